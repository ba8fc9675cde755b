// The frames that mark a cell (the alerts of its receiver): drawn in the outermost pixels of the
// cell, where the cell backgrounds of every layout carry only their border, and taken off by
// copying that border back from the cell background. Beside them, the bar of the receiver's
// label colour, in the strip between the frame and the text box where a layout leaves one.
#include "display/MeterPanel.h"

#include <QPainter>

#include <algorithm>

namespace k7 {
namespace {

constexpr int kDash = 8;
constexpr int kGap = 6;

// The four strips of a w x h rectangle's border, kFrameWidth wide.
std::array<QRect, 4> Border(int width, int height) {
    const int f = CellFrame::kFrameWidth;
    return {QRect(0, 0, width, f), QRect(0, height - f, width, f), QRect(0, 0, f, height),
            QRect(width - f, 0, f, height)};
}

void DashedStrip(QPainter& painter, const QRect& strip, const QColor& colour) {
    const bool across = strip.width() >= strip.height();
    const int length = across ? strip.width() : strip.height();
    for (int at = 0; at < length; at += kDash + kGap) {
        const int dash = std::min(kDash, length - at);
        painter.fillRect(across ? QRect(strip.left() + at, strip.top(), dash, strip.height())
                                : QRect(strip.left(), strip.top() + at, strip.width(), dash),
                         colour);
    }
}

} // namespace

const CellFrame& MeterPanel::cellFrame(int slot) const {
    static const CellFrame kNone;
    return RackTables::validSlot(slot) ? frames_[static_cast<std::size_t>(slot)] : kNone;
}

void MeterPanel::SetCellFrame(int slot, const CellFrame& frame) {
    if (!RackTables::validSlot(slot) || frames_[static_cast<std::size_t>(slot)] == frame) {
        return;
    }
    frames_[static_cast<std::size_t>(slot)] = frame;
    drawFrame(slot);
}

QRect MeterPanel::LabelBarRect(LayoutId layout) {
    // Clear of the frame by a row and a column, and of the text box below (the 8-slot box
    // starts at row 14, the 24-slot one at row 6); the 16- and 40-slot boxes start right under
    // the frame.
    switch (layout) {
    case LayoutId::Slots8:
        return {6, 5, 188, 6};
    case LayoutId::Slots24:
        return {6, 3, 121, 2};
    case LayoutId::Slots16:
    case LayoutId::Slots40:
        break;
    }
    return {};
}

void MeterPanel::SetCellLabelColour(int slot, const QColor& colour) {
    if (!RackTables::validSlot(slot) || labelColours_[static_cast<std::size_t>(slot)] == colour) {
        return;
    }
    labelColours_[static_cast<std::size_t>(slot)] = colour;
    drawLabelBar(slot);
}

void MeterPanel::drawLabelBar(int slot) {
    const QRect cell = CellRect(slot);
    const QRect bar = LabelBarRect(rackLayout().id);
    if (!setUp_ || cell.isEmpty() || bar.isEmpty() || !cellsPrepared_) {
        return;
    }
    const QRect target = bar.translated(cell.topLeft());
    QPainter painter(&panelBuf_);
    painter.drawImage(target, cellBuf_, bar); // the background back
    if (const QColor& colour = labelColours_[static_cast<std::size_t>(slot)]; colour.isValid()) {
        painter.fillRect(target, colour);
    }
    painter.end();
    pasteToWindow(target);
}

void MeterPanel::drawFrame(int slot) {
    const QRect cell = CellRect(slot);
    if (!setUp_ || cell.isEmpty()) {
        return;
    }
    const CellFrame& frame = frames_[static_cast<std::size_t>(slot)];
    placed_[static_cast<std::size_t>(slot)] = PlacedCell{}; // the cell is drawn whole again
    QPainter painter(&panelBuf_);
    for (const QRect& strip : Border(cell.width(), cell.height())) {
        const QRect target = strip.translated(cell.topLeft());
        painter.drawImage(target, cellBuf_, strip); // the background's border back
        if (!frame.shown()) {
            continue;
        }
        if (frame.dashed) {
            DashedStrip(painter, target, frame.colour);
        } else {
            painter.fillRect(target, frame.colour);
        }
    }
    painter.end();
    pasteToWindow(cell);
}

} // namespace k7
