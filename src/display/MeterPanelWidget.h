// The window over the meter panel. It shows PanelBuf, drawn at its native size, scaled to fit
// the window with its aspect kept (PanelScale), and repaints at the screen's pace: every paste
// into PanelBuf is only noted, and what changed since the last repaint is repainted at most once
// per screen refresh. The first change after a quiet spell is shown one refresh later, on a
// timer of the platform's timer port, so that a burst of answers is shown once; while answers
// keep coming, an answer whose redraw ends a refresh or more after the last repaint is shown at
// once, so a steady stream is shown without a timer of its own. It shows the tool tip on K7.5
// set-ups, keeps the pointer position in panel pixels and turns a right-button release and a
// left double click into a slot, through the scale; a cell's context menu holds "Label...". The
// slot-opened callback is the only road from the panel to the receiver control panel: a click that
// opens nothing changes SelectedSlot but never the slot an open control panel acts on, since that
// panel keeps the slot it was opened with.
#pragma once

#include "display/ChangedArea.h"
#include "display/MeterPanel.h"
#include "display/PanelScale.h"
#include "platform/Clock.h"
#include "platform/Timer.h"
#include "rack/RackSettings.h"

#include <QPoint>
#include <QSize>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>

namespace k7 {

class MeterPanelWidget final : public QWidget {
    Q_OBJECT
public:
    // The fastest the window repaints, in hertz (a faster screen gets this; a slower one its
    // own rate).
    static constexpr int kMaxRepaintHz = 60;

    // rack: the click selects its slot. timers: makes the repaint timer; clock: its time.
    MeterPanelWidget(MeterPanel& panel, RackSettings& rack, const DeviceTables& devices,
                     TimerFactory& timers, const Clock& clock, QWidget* parent = nullptr);
    ~MeterPanelWidget() override;

    // Called with the slot when a right click lands on a receiver that has answered, on a K7.5
    // set-up.
    void setOpenPanelCallback(std::function<void(int slot)> callback) {
        openPanel_ = std::move(callback);
    }
    // Called with the slot when a left double click lands on a receiver that has answered.
    void setOpenHistoryCallback(std::function<void(int slot)> callback) {
        openHistory_ = std::move(callback);
    }
    // The panel's size before it is set up and before the rack tells its own.
    static constexpr QSize kNativePanelSize{800, 700};

    // The part of PanelBuf the rack's layout shows in the native arrangement (its top-left
    // corner); until it is set, the whole buffer. The wide arrangement shows the whole buffer.
    void setPanelSize(QSize size);
    QSize panelSize() const;
    // Native: the cells in the layout's own grid. Wide: in the grid that fills this window best,
    // chosen again whenever the window's size changes.
    void setArrangement(PanelArrangement arrangement);
    // More for a cell's tool tip (a rack check's conflicts); empty: nothing more.
    void setCellToolTip(std::function<QString(int slot)> more) { cellToolTip_ = std::move(more); }
    // The first lines of a cell's tool tip (the receiver's label and group); empty: none.
    void setCellHeading(std::function<QString(int slot)> heading) {
        cellHeading_ = std::move(heading);
    }
    // "Label..." of a cell's context menu, for a receiver that has answered: a right click
    // (with Shift on a K7.5 set-up, where a plain right click opens the control panel) or the
    // menu key.
    void setLabelCallback(std::function<void(int slot)> callback) {
        labelReceiver_ = std::move(callback);
    }
    // The tool tip at a point of the panel.
    QString toolTipAt(QPoint point) const;
    // How the panel is shown at the widget's present size and screen.
    PanelScale scale() const;
    // The repaint timer's interval: one refresh of the widget's screen, at most kMaxRepaintHz.
    int repaintIntervalMs() const;

    static QString toolTipText() { return QStringLiteral("Right Click to change values."); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The slot under the pointer at this widget position (0 for none; in the margins too), the
    // pointer kept in panel pixels.
    int slotUnder(QPointF position);
    void pasted(const QRect& rect);
    void repaintChanged();
    void waitForRefresh();
    void redrawn();
    // Copies the region straight from the buffer into the window's image when the panel is shown
    // at its own size and the paint goes to a plain 32-bit image; false (nothing done)
    // otherwise.
    bool copyOntoWindowImage(const QRegion& region, const QImage& buffer, const PanelScale& shown);

    MeterPanel& panel_;
    RackSettings& rack_;
    const DeviceTables& devices_;
    std::function<void(int)> openPanel_;
    std::function<QString(int)> cellToolTip_;
    std::function<QString(int)> cellHeading_;
    std::function<void(int)> labelReceiver_;
    std::function<void(int)> openHistory_;
    const Clock& clock_;
    std::unique_ptr<Timer> repaintTimer_;
    ChangedArea changed_; // pasted since the last repaint
    static constexpr std::int64_t kNever = std::numeric_limits<std::int64_t>::min() / 2;
    std::int64_t askedAt_ = kNever; // when the last repaint was asked for (clock microseconds)
    std::int64_t refreshMicros_ = 0;
    QSize panelSize_;
    QPoint pointer_; // the pointer's last position in panel pixels; (-1, -1) in the margins
    std::optional<PanelScale> repaintScale_; // the scale of the repaint under way, if any
};

} // namespace k7
