// The meter panel: the off-screen buffers, atlas and fonts set up once, the cell backgrounds of
// the four layouts placed in the layout's own grid or in the wide arrangement's, and the
// per-answer redraw of one receiver's cell. Every element is composed in a small buffer and
// copied into PanelBuf (a bar is composed on PanelBuf itself), and what changed is announced to
// the paste listener (the window notes the rectangle and shows it from PanelBuf with its next
// repaint); the end of a cell's redraw is announced too.
#pragma once

#include "display/BarRows.h"
#include "display/Layout40.h"
#include "display/Layouts.h"
#include "display/PanelArrangement.h"
#include "display/Scaling.h"
#include "display/Sprites.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/RackPorts.h"
#include "rack/RackTables.h"

#include <QFont>
#include <QImage>
#include <QRect>
#include <QSize>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

namespace k7 {

// The text faces of the panel, sized as the 8, 9, 12 and bold 18 point faces of the station's
// meter bridge at 100 % scale, and the bold face of the forty-slot names.
struct MeterFonts {
    QFont Font8;
    QFont Font9;
    QFont Font12;
    QFont FontB18;
    QFont FontName40;
};

// One redraw's move of a peak-hold height: it jumps up to a higher level, holds while the level
// stays within 9 pixels of it, then falls a pixel a redraw, but never below 10 by falling.
void StepPeakHold(std::uint8_t& peak, int height);

// A frame around a cell, drawn in its outermost kFrameWidth pixels, where no meter element
// lies: solid, or dashed. No colour: no frame.
struct CellFrame {
    static constexpr int kFrameWidth = 2;
    QColor colour;
    bool dashed = false;
    bool shown() const { return colour.isValid(); }
    bool operator==(const CellFrame&) const = default;
};

// PeakHold entries of a slot.
enum PeakEntry : int { PeakRfA = 1, PeakRfB = 2, PeakAudio = 4 };

class MeterPanel final : public MeterDisplay {
public:
    MeterPanel(const RackTables& rack, const DeviceTables& devices, Prompter& prompter);

    // Reads the atlas and fonts from assetDir and allocates the buffers, the panel at panelSize
    // in the native arrangement. An atlas that is missing or unusable is told to the operator
    // ("There is a graphics problem"); the panel then draws with a black atlas and false is
    // returned, so the station goes on.
    bool InitGraphics(const QString& assetDir, QSize panelSize);
    // Loads Liberation Sans, regular and bold, from fontDir; where that folder lacks them (an
    // installed station) the system's own Liberation Sans serves. False when neither has it: the
    // texts then come out in a face the system substitutes, or as empty boxes.
    bool LoadFonts(const QString& fontDir);
    // Whether the last set-up found the panel's font (see LoadFonts).
    bool FontsFound() const { return fontsFound_; }
    // The scaling tables; no cell is drawn before them.
    void BuildScaling();
    void CloseGraphics();
    bool IsSetUp() const { return setUp_; }

    void BuildCell8();
    void BuildCell16();
    void BuildCell24();
    void BuildCell40();
    void ClearPanelGrey();

    // MeterDisplay
    void Display8VU(int receiver, int position) override;
    void Display16VU(int receiver, int position) override;
    void Display24VU(int receiver, int position) override;
    void Display40VU(int receiver, int position) override;
    void ResetPeaks() override;
    void PrepareCells8() override;
    void PrepareCells16() override;
    void PrepareCells24() override;
    void PrepareCells40() override;
    void ClearPanel() override;
    void ShowPanel() override;

    // Frames a slot's cell (or takes its frame off), at once and whenever the cells are
    // prepared again; the meters redrawn inside it never touch it.
    void SetCellFrame(int slot, const CellFrame& frame);
    const CellFrame& cellFrame(int slot) const;
    // Shows the colour of a slot's receiver label as a bar in the cell's margin (an invalid
    // colour takes it off), at once and whenever the cells are prepared again. Only where the
    // layout leaves a margin free of every meter element; a frame stays an alert's alone.
    void SetCellLabelColour(int slot, const QColor& colour);
    // The bar's place in a cell of the layout; empty where the layout leaves no margin.
    static QRect LabelBarRect(LayoutId layout);
    // Arranges the rack's cells: in the layout's own grid on the panel of InitGraphics' size
    // (native), or in the grid that shows them largest in a window of this size, on a panel of
    // that grid's size (wide). The cells drawn so far move there with their frames; cells of the
    // grid past the rack's receivers are dark grey, as the rest of a native panel is. Kept for
    // every later preparation of the cells (the rack's size is known by then).
    void Arrange(PanelArrangement arrangement, QSize window);
    PanelArrangement arrangement() const { return arrangement_; }
    // The grid the rack's cells lie in.
    PanelGrid grid() const { return grid_; }
    // The panel's size in the wide arrangement; empty in the native one, where the window shows
    // the rack's own part of the panel.
    QSize ArrangedSize() const;
    // The slot's cell on the panel in the rack's layout and arrangement; empty for a slot
    // outside the rack.
    QRect CellRect(int slot) const;
    // The slot under a point of the panel: by the hit test of the rack's layout in the native
    // arrangement (a slot past the rack's receivers, or past 40, is for the caller to refuse);
    // in the wide one the slot of the grid cell the point lies in, 0 outside every cell.
    int SlotAt(QPoint point) const;

    const QImage& PanelBuf() const { return panelBuf_; }
    // Writes PanelBuf as a PNG file, whole or not at all; false when nothing is set up or the
    // file cannot be written.
    bool SaveSnapshot(const QString& file) const;
    const QImage& CellBuf() const { return cellBuf_; }
    void setPasteListener(std::function<void(const QRect&)> listener) {
        pasteListener_ = std::move(listener);
    }
    // Told when an answer's redraw of a cell has placed all it places.
    void setRedrawnListener(std::function<void()> listener) {
        redrawnListener_ = std::move(listener);
    }

    const Scaling& scaling() const { return scaling_; }
    const MeterFonts& fonts() const { return fonts_; }
    int PeakHold(int slot, int entry) const;
    int BlinkCount(int slot) const;
    bool LiveDrawn(int slot) const;

    // How one bar and one cell are cut from the atlas and placed (defined with the renderer).
    struct BarCut;
    struct CellLayout;

private:
    // Redraws a receiver's cell, the cell cellIndex of a layout, when both are in range.
    void drawInLayout(LayoutId layout, int receiver, int cellIndex);
    // Where the cell cellIndex of a layout lies on the panel: in the arranged grid for the
    // layout it was arranged for, else in the layout's own grid.
    QRect layoutCellRect(const LayoutProfile& layout, int cellIndex) const;
    const LayoutProfile& rackLayout() const;
    // Whether the rack's cells take a wide grid now (the window and the rack's size known).
    bool wideInUse() const;
    PanelGrid chooseGrid(const LayoutProfile& layout) const;
    QSize panelSizeFor(const LayoutProfile& layout, PanelGrid grid) const;
    // The panel for the rack's layout in the grid the arrangement chooses, when the grid or the
    // panel's size changed; keepCells: the prepared cells move to their new places.
    void rearrange(bool keepCells);
    void drawCell(int slot, const CellLayout& cell);
    void drawMuteIcon(int slot, const CellLayout& cell);
    void drawGauge(int slot, const CellLayout& cell);
    void drawText(int slot, bool muted, const CellLayout& cell);
    void composeText40(QImage& box, const QString& name, const QString& frequency, bool muted);
    void drawLamps(int slot, bool muted, const CellLayout& cell);
    // What an element of a cell last placed on PanelBuf, and where: a redraw that would place
    // the same pixels again places nothing, and a bar is composed again only in the rows that
    // change (BarRows.h). Forgotten whenever anything else writes PanelBuf.
    struct PlacedKey {
        QPoint at{-1, -1};
        int what = -1;
        bool operator==(const PlacedKey&) const = default;
    };
    struct PlacedBar {
        QPoint at{-1, -1};
        int cut = -1;
        BarState state;
    };
    struct PlacedCell {
        PlacedKey muteIcon, gauge, text, lamps;
        std::array<PlacedBar, 3> bars;
    };
    // Whether `now` differs from what `last` holds; `last` then holds it.
    static bool replaces(PlacedKey& last, const PlacedKey& now);
    void forgetPlaced();
    void drawBar(const BarCut& cut, int height, std::uint8_t& peak, int threshold, QPoint at,
                 PlacedBar& last);
    // Composes the given rows of a bar whose lowest row lands on `at`, and shows them.
    void composeBar(const BarCut& cut, int height, int peakRow, bool alarm, int threshold,
                    RowSpan rows, QPoint at);
    // Copies an element into PanelBuf and pastes it to the window.
    void place(const QImage& from, const QRect& source, QPoint lowerLeft);
    void pasteToWindow(const QRect& rect);
    void copySprite(Sprite sprite, QImage& to, QPoint lowerLeft);
    // The layout's cell background built, and placed in the cells of the rack's receivers on a
    // dark grey panel.
    void prepareLayout(LayoutId layout);
    void drawFrame(int slot);
    void drawLabelBar(int slot);
    void fillPanel(const QColor& colour);
    void unloadFonts();

    const RackTables& rack_;
    const DeviceTables& devices_;
    Prompter& prompter_;
    std::function<void(const QRect&)> pasteListener_;
    std::function<void()> redrawnListener_;

    Scaling scaling_;
    MeterFonts fonts_;
    std::array<int, 2> fontIds_{-1, -1};

    bool setUp_ = false;
    PanelArrangement arrangement_ = PanelArrangement::Native;
    QSize window_;     // the window the wide grid fills
    QSize nativeSize_; // the panel in the native arrangement
    PanelGrid grid_;   // the grid the cells of gridLayout_ lie in
    std::optional<LayoutId> gridLayout_;
    QColor fill_;                // the colour of the panel around and between the cells
    bool cellsPrepared_ = false; // the rack's cells are on the panel in grid_
    bool fontsFound_ = false;
    bool scaled_ = false; // no cell is drawn before the scaling tables exist
    QImage atlasBuf_;
    QImage panelBuf_;
    QImage cellBuf_;
    QImage muteIconBuf_;
    QImage textBuf_;
    QImage smallTextBuf_;
    QImage gaugeBuf_;
    QImage lampBuf_;

    struct TextBoxCache {
        bool valid = false;
        QString name;
        QString frequency;
        int kind = 0;
        QImage image;
    };
    // A slot's text box as last composed, unmuted [0] and muted [1]: a receiver whose squelch
    // opens and closes shows both in turn.
    std::array<std::array<TextBoxCache, 2>, kMaxSlots + 1> textCache_{};

    std::array<std::array<std::uint8_t, 5>, kMaxSlots + 1> peakHold_{};
    std::array<std::int16_t, kMaxSlots + 1> blinkCount_{};
    std::array<bool, kMaxSlots + 1> liveDrawn_{};
    std::array<CellFrame, kMaxSlots + 1> frames_{};
    std::array<QColor, kMaxSlots + 1> labelColours_{};
    std::array<PlacedCell, kMaxSlots + 1> placed_{};
};

} // namespace k7
