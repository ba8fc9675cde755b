// The per-answer redraw of one receiver's cell: user-mute icon, voltage gauge, text box,
// diversity lamps and the three bars with their peak-hold and threshold markers, in the live or
// the muted style. The 8-slot cell is the full design; the 16-, 24- and 40-slot cells are
// smaller variants of it.
#include "display/MeterPanel.h"
#include "display/Raster.h"

#include <QPainter>

#include <algorithm>

namespace k7 {

namespace {

enum class BarKind { RfA, RfB, Audio };
using CellKind = LayoutId;

constexpr int kRfTop = 261;
constexpr int kRfBottom = 515;
constexpr int kRfShortBottom = 389;
constexpr int kVuShortTop = 26;
constexpr int kVuShortBottom = 153;
constexpr int kMarkerLeft = 520;
// The raw voltage below which the transmitter's battery is reported low.
constexpr int kLowVoltage = 108;
// A forty-slot audio peak at or above this (the first row past the "0 dB" mark of the 79-pixel
// scale) shows the threshold sprite, as 205 does on the 255-pixel scale.
constexpr int kAudioAlarm40 = 64;

// What an element shows, told apart by layout: the key of a placed element (PlacedKey::what).
constexpr int ElementKey(CellKind kind, int shown) {
    return (static_cast<int>(kind) << 24) | shown;
}

QRect Columns(int left, int right, int top, int bottom) {
    return QRect(QPoint(left, top), QPoint(right, bottom));
}

} // namespace

struct MeterPanel::BarCut {
    QRect unlit;     // unlit bar in the atlas
    int litLeft = 0; // lit bar columns in the atlas
    int litRight = 0;
    int litBottom = 0; // the lit part is the bottom height + 1 rows up to this row
    int bottom = 0;    // the bar's last row (it lands on the cell's bar position)
    int width = 0;     // the bar's columns on the panel
    int markerWidth = 0;
    int peakBase = 0;       // the peak marker's lower-left row is peakBase - p
    int thresholdBase = -1; // the threshold marker's lower-left row is thresholdBase - t
    int audioSwitch = 0;    // audio: a peak at or above this shows the threshold sprite
    int code = 0;           // which cut: layout, bar and style
};

struct MeterPanel::CellLayout {
    CellKind kind = CellKind::Slots8;
    QPoint rfA, rfB, audio, gauge, textBox, lampA, lampB, muteIcon;
    bool hasLamps = true;
    const ScaleTable* table = nullptr;
    BarScale thresholdColumn = Bar255;
};

namespace {

// How each layout's cell is drawn, in the order of the layouts' profiles: where its elements
// lie and the scales its bars and threshold marker follow.
struct CellDesign {
    CellPositions at;
    ScaleTable Scaling::*table;
    BarScale thresholdColumn;
};

constexpr std::array<CellDesign, 4> kCellDesigns{{
    {kCell8Positions, &Scaling::ScaleTable255, Bar255},
    {kCell16Positions, &Scaling::ScaleTable127, Bar127},
    {kCell24Positions, &Scaling::ScaleTable127, Bar127},
    {kCell40Positions, &Scaling::ScaleTable79, Bar79},
}};

// The sprites and size of the battery gauge, and where its fill's bottom row lands.
struct GaugeCut {
    Sprite normal, low, fill;
    int width, height;
    QPoint fillAt;
};

GaugeCut GaugeOf(CellKind kind) {
    if (kind == CellKind::Slots40) {
        return {Sprite::GaugeFrame40Normal, Sprite::GaugeFrame40Low, Sprite::GaugeFill40,
                Cell40::GaugeWidth,         Cell40::GaugeHeight,     QPoint(2, 38)};
    }
    return {
        Sprite::GaugeFrameNormal, Sprite::GaugeFrameLow, Sprite::GaugeFill, 20, 75, QPoint(2, 71)};
}

// The forty-slot bars have sprites of their own, 80 rows for the 79-pixel scale.
MeterPanel::BarCut BarCut40(bool rf, bool muted) {
    static constexpr Sprite kRf[2][2] = {{Sprite::RfBar40Unlit, Sprite::RfBar40Lit},
                                         {Sprite::RfBar40UnlitMuted, Sprite::RfBar40LitMuted}};
    static constexpr Sprite kVu[2][2] = {{Sprite::VuBar40Unlit, Sprite::VuBar40Lit},
                                         {Sprite::VuBar40UnlitMuted, Sprite::VuBar40LitMuted}};
    const auto& sprites = rf ? kRf[muted ? 1 : 0] : kVu[muted ? 1 : 0];
    const SpriteRect& lit = SpriteAt(sprites[1]);
    MeterPanel::BarCut cut;
    cut.unlit = SpriteAt(sprites[0]).rect();
    cut.litLeft = lit.minx;
    cut.litRight = lit.maxx;
    cut.litBottom = lit.maxy;
    cut.bottom = Cell40::BarRows - 1;
    cut.width = rf ? Cell40::RfWidth : Cell40::AudioWidth;
    cut.markerWidth = cut.width;
    cut.peakBase = cut.bottom;
    cut.thresholdBase = rf ? cut.bottom : -1;
    cut.audioSwitch = rf ? 0 : kAudioAlarm40;
    return cut;
}

MeterPanel::BarCut MakeBarCutOf(CellKind kind, BarKind bar, bool muted) {
    MeterPanel::BarCut cut;
    const bool rf = bar != BarKind::Audio;
    const int unlitLeft = muted ? 602 : 551;
    const int litLeft = muted ? 627 : 576;
    switch (kind) {
    case CellKind::Slots8:
        cut.unlit = rf ? Columns(unlitLeft, unlitLeft + 19, kRfTop, kRfBottom)
                       : Columns(unlitLeft, unlitLeft + 19, 0, 255);
        cut.litLeft = litLeft;
        cut.litRight = litLeft + 19;
        cut.litBottom = rf ? kRfBottom : 255;
        cut.bottom = 255;
        cut.width = 20;
        cut.markerWidth = 20;
        cut.peakBase = 255;
        cut.thresholdBase = rf ? 255 : -1;
        cut.audioSwitch = rf ? 0 : 205;
        break;
    case CellKind::Slots16:
        cut.unlit = rf ? Columns(unlitLeft, unlitLeft + 19, kRfTop, kRfShortBottom)
                       : Columns(unlitLeft, unlitLeft + 19, kVuShortTop, kVuShortBottom);
        cut.litLeft = litLeft;
        cut.litRight = litLeft + 19;
        cut.litBottom = rf ? kRfShortBottom : kVuShortBottom;
        cut.bottom = 127;
        cut.width = 20;
        cut.markerWidth = 20;
        cut.peakBase = 127;
        cut.thresholdBase = rf ? 127 : -1;
        cut.audioSwitch = rf ? 0 : (muted ? 205 : 102);
        break;
    case CellKind::Slots24: {
        // The 24-slot bars are cut from the left columns of the full-width sprites.
        const int spriteWidth = muted ? 19 : (rf ? 12 : 15);
        cut.unlit =
            rf ? Columns(unlitLeft, unlitLeft + spriteWidth - 1, kRfTop, kRfShortBottom)
               : Columns(unlitLeft, unlitLeft + spriteWidth - 1, kVuShortTop, kVuShortBottom);
        cut.litLeft = litLeft;
        cut.litRight = litLeft + spriteWidth - 1;
        cut.litBottom = rf ? kRfShortBottom : kVuShortBottom;
        cut.bottom = 127;
        cut.width = rf ? 10 : 13;
        cut.markerWidth = rf ? 10 : 13;
        cut.peakBase = rf && !muted ? 128 : 127;
        cut.thresholdBase = !rf ? -1 : (bar == BarKind::RfA && !muted ? 128 : 127);
        cut.audioSwitch = rf ? 0 : (muted ? 205 : 102);
        break;
    }
    case CellKind::Slots40:
        return BarCut40(rf, muted);
    }
    return cut;
}

MeterPanel::BarCut MakeBarCut(CellKind kind, BarKind bar, bool muted) {
    MeterPanel::BarCut cut = MakeBarCutOf(kind, bar, muted);
    cut.code = (static_cast<int>(kind) * 3 + static_cast<int>(bar)) * 2 + (muted ? 1 : 0);
    return cut;
}

} // namespace

void StepPeakHold(std::uint8_t& peak, int height) {
    if (height > peak) {
        peak = static_cast<std::uint8_t>(std::min(height, 255));
    } else if (peak - height > 9 && peak > 10) {
        --peak;
    }
}

int MeterPanel::PeakHold(int slot, int entry) const {
    if (!RackTables::validSlot(slot) || entry < 1 || entry > 4) {
        return 0;
    }
    return peakHold_[slot][entry];
}

int MeterPanel::BlinkCount(int slot) const {
    return RackTables::validSlot(slot) ? blinkCount_[slot] : 0;
}

bool MeterPanel::LiveDrawn(int slot) const {
    return RackTables::validSlot(slot) && liveDrawn_[slot];
}

void MeterPanel::ResetPeaks() {
    for (auto& entries : peakHold_) {
        entries.fill(5);
    }
}

void MeterPanel::Display8VU(int receiver, int position) {
    drawInLayout(LayoutId::Slots8, receiver, position);
}

void MeterPanel::Display16VU(int receiver, int /*position*/) {
    drawInLayout(LayoutId::Slots16, receiver, receiver);
}

void MeterPanel::Display24VU(int receiver, int /*position*/) {
    drawInLayout(LayoutId::Slots24, receiver, receiver);
}

void MeterPanel::Display40VU(int receiver, int /*position*/) {
    drawInLayout(LayoutId::Slots40, receiver, receiver);
}

void MeterPanel::drawInLayout(LayoutId layout, int receiver, int cellIndex) {
    const LayoutProfile& profile = LayoutProfileOf(layout);
    if (!setUp_ || !scaled_ || !RackTables::validSlot(receiver) || cellIndex < 1 ||
        cellIndex > profile.slotCount) {
        return;
    }
    const CellDesign& design = kCellDesigns[static_cast<std::size_t>(layout)];
    const QPoint o = layoutCellRect(profile, cellIndex).topLeft();
    const CellPositions& p = design.at;
    CellLayout cell{layout,        o + p.rfA,   o + p.rfB,   o + p.audio,   o + p.gauge,
                    o + p.textBox, o + p.lampA, o + p.lampB, o + p.muteIcon};
    cell.hasLamps = p.hasLamps;
    cell.table = &(scaling_.*design.table);
    cell.thresholdColumn = design.thresholdColumn;
    drawCell(receiver, cell);
}

void MeterPanel::drawCell(int slot, const CellLayout& cell) {
    const bool muted = rack_.LastMuted == 1;
    // The 8-slot cell shows the user mute first; the smaller cells draw it over the rest last.
    if (cell.kind == CellKind::Slots8) {
        drawMuteIcon(slot, cell);
    }
    drawGauge(slot, cell);
    if (muted) {
        liveDrawn_[slot] = false;
    }
    drawText(slot, muted, cell);
    if (cell.hasLamps) {
        drawLamps(slot, muted, cell);
    }
    const auto& meter = rack_.MeterData[slot];
    const ScaleTable& table = *cell.table;
    const int threshold =
        scaling_.ThresholdTable[MuteLevelRow(rack_.CurData[slot].MuteLevel)][cell.thresholdColumn];
    auto& peaks = peakHold_[slot];
    auto& bars = placed_[static_cast<std::size_t>(slot)].bars;
    drawBar(MakeBarCut(cell.kind, BarKind::RfA, muted), table[meter[RfA]][RfHeightColumn],
            peaks[PeakRfA], threshold, cell.rfA, bars[0]);
    drawBar(MakeBarCut(cell.kind, BarKind::RfB, muted), table[meter[RfB]][RfHeightColumn],
            peaks[PeakRfB], threshold, cell.rfB, bars[1]);
    drawBar(MakeBarCut(cell.kind, BarKind::Audio, muted),
            table[meter[AudioLevel]][AudioHeightColumn], peaks[PeakAudio], threshold, cell.audio,
            bars[2]);
    if (cell.kind != CellKind::Slots8) {
        drawMuteIcon(slot, cell);
    }
    if (!muted) {
        liveDrawn_[slot] = true;
    }
    if (redrawnListener_) {
        redrawnListener_();
    }
}

void MeterPanel::drawMuteIcon(int slot, const CellLayout& cell) {
    const bool compact = cell.kind == CellKind::Slots40;
    const int size = compact ? Cell40::MuteIconSize : 31;
    const PlacedKey shown{cell.muteIcon, ElementKey(cell.kind, rack_.UserMute[slot] ? 1 : 0)};
    if (!replaces(placed_[static_cast<std::size_t>(slot)].muteIcon, shown)) {
        return;
    }
    if (rack_.UserMute[slot]) {
        const Sprite icon = compact                         ? Sprite::UserMuteIcon40
                            : cell.kind == CellKind::Slots8 ? Sprite::UserMuteIcon
                                                            : Sprite::UserMuteIconSmall;
        copySprite(icon, muteIconBuf_, QPoint(0, size - 1));
    } else {
        FillBuffer(muteIconBuf_, Colour::Black);
    }
    place(muteIconBuf_, QRect(0, 0, size, size), cell.muteIcon);
}

void MeterPanel::drawGauge(int slot, const CellLayout& cell) {
    const GaugeCut gauge = GaugeOf(cell.kind);
    const QPoint frameAt(0, gauge.height - 1);
    // What the gauge shows: dark, the low frame, or the normal frame filled h rows (h + 3).
    enum : int { Dark = 0, LowFrame = 1, Filled = 3 };
    int shown = Dark;
    int h = 0;
    if (rack_.LastMuted != 1 && rack_.VoltageKnown[slot]) {
        const int raw = rack_.MeterData[slot][Voltage];
        if (raw >= kLowVoltage) {
            h = (*cell.table)[raw][GaugeHeightColumn];
            shown = Filled + h;
        } else {
            // Low battery: three redraws dark, three with the low frame, in turn.
            shown = blinkCount_[slot] <= 2 ? Dark : LowFrame;
            if (++blinkCount_[slot] > 5) {
                blinkCount_[slot] = 0;
            }
        }
    }
    if (!replaces(placed_[static_cast<std::size_t>(slot)].gauge,
                  {cell.gauge, ElementKey(cell.kind, shown)})) {
        return;
    }
    if (shown == Dark) {
        FillBuffer(gaugeBuf_, Colour::Black);
    } else if (shown == LowFrame) {
        copySprite(gauge.low, gaugeBuf_, frameAt);
    } else {
        copySprite(gauge.normal, gaugeBuf_, frameAt);
        const SpriteRect& fill = SpriteAt(gauge.fill);
        CopyRect(atlasBuf_, Columns(fill.minx, fill.maxx, fill.maxy - h, fill.maxy), gaugeBuf_,
                 gauge.fillAt);
    }
    place(gaugeBuf_, QRect(0, 0, gauge.width, gauge.height), cell.gauge);
}

void MeterPanel::drawText(int slot, bool muted, const CellLayout& cell) {
    const SettingsRow& row = rack_.CurData[slot];
    const QString frequency = row.Frequency.left(7);
    const bool compact = cell.kind == CellKind::Slots40;
    const bool small = cell.kind == CellKind::Slots24;
    const bool large = cell.kind == CellKind::Slots8;
    const QRect source =
        compact ? QRect(0, 0, Cell40::TextWidth, Cell40::TextHeight)
                : (small ? Columns(4, 111, 20, 45)
                         : (large ? Columns(4, 194, 15, 51) : Columns(4, 185, 25, 51)));
    // Names and frequencies change rarely: a slot's text box is composed again only when its
    // text, style or layout changed, and pasted from the last composition otherwise.
    TextBoxCache& cached = textCache_[slot][muted ? 1 : 0];
    const int kindCode = static_cast<int>(cell.kind);
    // The box is placed from its composition every time it is composed, so a box still placed
    // from the same composition shows it already.
    const PlacedKey shown{cell.textBox, ElementKey(cell.kind, muted ? 1 : 0)};
    PlacedKey& placed = placed_[static_cast<std::size_t>(slot)].text;
    if (cached.valid && cached.name == row.Name && cached.frequency == frequency &&
        cached.kind == kindCode) {
        if (replaces(placed, shown)) {
            place(cached.image, source, cell.textBox);
        }
        return;
    }
    placed = shown;
    const QColor& colour = muted ? Colour::Grey : Colour::Green;
    const Justify centred = JustifyCode(0, -1);
    QImage& box = small || compact ? smallTextBuf_ : textBuf_;
    FillBuffer(box, Colour::Black);
    // The name line of the 16- and 24-slot boxes sits one row lower than the bitmap fonts'
    // rows: the tallest glyph of these fonts ("$") would otherwise start above the copied rows.
    if (compact) {
        composeText40(box, row.Name, frequency, muted);
    } else if (small) {
        DrawText(box, fonts_.Font12, colour, {67, 33}, centred, row.Name);
        if (muted) {
            DrawText(box, fonts_.Font9, Colour::Red, {23, 45}, centred, QStringLiteral("MUTE"));
        }
        DrawText(box, fonts_.Font9, colour, {70, 45}, centred, frequency);
    } else {
        DrawText(box, large ? fonts_.FontB18 : fonts_.Font12, colour, {100, large ? 33 : 38},
                 centred, row.Name);
        if (muted) {
            DrawText(box, fonts_.Font12, Colour::Red, {35, 51}, centred, QStringLiteral("MUTE"));
        }
        DrawText(box, fonts_.Font12, colour, {100, 51}, centred, frequency);
    }
    cached = {true, row.Name, frequency, kindCode, box.copy()};
    place(box, source, cell.textBox);
}

void MeterPanel::drawLamps(int slot, bool muted, const CellLayout& cell) {
    const bool onA = rack_.LastAntenna == 1;
    if (!replaces(placed_[static_cast<std::size_t>(slot)].lamps,
                  {cell.lampA, ElementKey(cell.kind, (muted ? 2 : 0) | (onA ? 1 : 0))})) {
        return;
    }
    const Sprite lampA = muted ? Sprite::LampOff : (onA ? Sprite::LampLit : Sprite::LampIdle);
    const Sprite lampB = muted ? Sprite::LampOff : (onA ? Sprite::LampIdle : Sprite::LampLit);
    copySprite(lampA, lampBuf_, QPoint(0, 14));
    place(lampBuf_, QRect(0, 0, 15, 15), cell.lampA);
    copySprite(lampB, lampBuf_, QPoint(0, 14));
    place(lampBuf_, QRect(0, 0, 15, 15), cell.lampB);
}

void MeterPanel::drawBar(const BarCut& cut, int height, std::uint8_t& peak, int threshold,
                         QPoint at, PlacedBar& last) {
    StepPeakHold(peak, height);
    const int p = std::max(0, peak - 5);
    const bool alarm = cut.audioSwitch > 0 && peak >= cut.audioSwitch;
    const SpriteRect& marker = SpriteAt(alarm ? Sprite::ThresholdMarker : Sprite::PeakMarker);
    const SpriteRect& line = SpriteAt(Sprite::ThresholdMarker);
    const bool hasThreshold = cut.thresholdBase >= 0;
    const BarState now{height,
                       cut.peakBase - p,
                       marker.maxy - marker.miny + 1,
                       alarm,
                       hasThreshold ? cut.thresholdBase - threshold : 0,
                       hasThreshold ? line.maxy - line.miny + 1 : 0};
    RowSpans rows;
    if (last.at == at && last.cut == cut.code) {
        rows = ChangedBarRows(last.state, now, cut.bottom);
    } else {
        rows.spans[0] = {0, cut.bottom};
        rows.count = 1;
    }
    last = {at, cut.code, now};
    for (const RowSpan& band : rows) {
        composeBar(cut, height, cut.peakBase - p, alarm, threshold, band, at);
    }
}

void MeterPanel::composeBar(const BarCut& cut, int height, int peakRow, bool alarm, int threshold,
                            RowSpan rows, QPoint at) {
    // Composed straight onto the panel, within the bar's columns and the given rows: bar row r
    // is panel row r + shift.
    const int shift = at.y() - cut.bottom;
    const QRect clip(at.x(), rows.top + shift, cut.width, rows.bottom - rows.top + 1);
    // The RF sprites are a row shorter than the bar: the rows above the unlit sprite are black.
    const int uncovered = cut.bottom + 1 - cut.unlit.height();
    if (uncovered > 0) {
        FillRect(panelBuf_, clip.intersected(QRect(at.x(), shift, cut.width, uncovered)),
                 Colour::Black);
    }
    // The lit part covers the bar's lowest height + 1 rows across its width: the unlit sprite
    // goes only above it, so that no row is written twice.
    const QRect lit = Columns(cut.litLeft, cut.litRight, cut.litBottom - height, cut.litBottom);
    QRect unlitClip = clip;
    if (atlasBuf_.rect().contains(lit) && lit.width() >= cut.width) {
        unlitClip.setBottom(std::min(clip.bottom(), at.y() - height - 1));
    }
    CopyRectClipped(atlasBuf_, cut.unlit, panelBuf_, at, unlitClip);
    CopyRectClipped(atlasBuf_, lit, panelBuf_, at, clip);
    const SpriteRect& marker = SpriteAt(alarm ? Sprite::ThresholdMarker : Sprite::PeakMarker);
    CopyRectClipped(
        atlasBuf_,
        Columns(kMarkerLeft, kMarkerLeft + cut.markerWidth - 1, marker.miny, marker.maxy),
        panelBuf_, QPoint(at.x(), peakRow + shift), clip);
    if (cut.thresholdBase >= 0) {
        const SpriteRect& line = SpriteAt(Sprite::ThresholdMarker);
        CopyRectClipped(
            atlasBuf_,
            Columns(kMarkerLeft, kMarkerLeft + cut.markerWidth - 1, line.miny, line.maxy),
            panelBuf_, QPoint(at.x(), cut.thresholdBase - threshold + shift), clip);
    }
    pasteToWindow(clip);
}

bool MeterPanel::replaces(PlacedKey& last, const PlacedKey& now) {
    if (last == now) {
        return false;
    }
    last = now;
    return true;
}

void MeterPanel::forgetPlaced() {
    placed_.fill(PlacedCell{});
}

void MeterPanel::copySprite(Sprite sprite, QImage& to, QPoint lowerLeft) {
    CopyRect(atlasBuf_, SpriteAt(sprite).rect(), to, lowerLeft);
}

void MeterPanel::place(const QImage& from, const QRect& source, QPoint lowerLeft) {
    // Only what changed is shown again: most of a cell stays as it was from one answer to the
    // next.
    pasteToWindow(CopyRectChanged(from, source, panelBuf_, lowerLeft));
}

void MeterPanel::pasteToWindow(const QRect& rect) {
    const QRect shown = rect.intersected(panelBuf_.rect());
    if (pasteListener_ && !shown.isEmpty()) {
        pasteListener_(shown);
    }
}

} // namespace k7
