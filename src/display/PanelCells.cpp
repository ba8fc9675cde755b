// Where the rack's cells lie on the panel and which slot a point of it belongs to, from the
// profile of the rack's layout and the panel's arrangement, and the move of the cells when the
// arrangement chooses another grid.
#include "display/MeterPanel.h"
#include "display/Raster.h"

#include <algorithm>

namespace k7 {

const LayoutProfile& MeterPanel::rackLayout() const {
    return LayoutProfileOf(devices_.RackLayout);
}

QRect MeterPanel::CellRect(int slot) const {
    const LayoutProfile& layout = rackLayout();
    if (!RackTables::validSlot(slot) || slot > devices_.DeviceCount || slot > layout.slotCount) {
        return {};
    }
    return layoutCellRect(layout, slot);
}

QRect MeterPanel::layoutCellRect(const LayoutProfile& layout, int cellIndex) const {
    if (gridLayout_ == layout.id && !grid_.empty()) {
        return grid_.cellRect(layout.cell, cellIndex);
    }
    return layout.CellRect(cellIndex);
}

int MeterPanel::SlotAt(QPoint point) const {
    const LayoutProfile& layout = rackLayout();
    if (arrangement_ != PanelArrangement::Wide || gridLayout_ != layout.id || grid_.empty()) {
        return layout.findRx(static_cast<float>(point.x()), static_cast<float>(point.y()));
    }
    if (point.x() < 0 || point.y() < 0) {
        return 0;
    }
    const int column = point.x() / layout.cell.width();
    const int row = point.y() / layout.cell.height();
    const int cell = row * grid_.columns + column + 1;
    return column < grid_.columns && row < grid_.rows && cell <= layout.slotCount ? cell : 0;
}

bool MeterPanel::wideInUse() const {
    return arrangement_ == PanelArrangement::Wide && devices_.DeviceCount > 0 && !window_.isEmpty();
}

PanelGrid MeterPanel::chooseGrid(const LayoutProfile& layout) const {
    const PanelGrid own{layout.columns, layout.rows};
    if (!wideInUse()) {
        return own;
    }
    const PanelGrid wide =
        WideGrid(std::min(devices_.DeviceCount, layout.slotCount), layout.cell, QSizeF(window_));
    return wide.empty() ? own : wide;
}

QSize MeterPanel::panelSizeFor(const LayoutProfile& layout, PanelGrid grid) const {
    return wideInUse() ? grid.size(layout.cell) : nativeSize_;
}

QSize MeterPanel::ArrangedSize() const {
    return wideInUse() && setUp_ ? panelBuf_.size() : QSize();
}

void MeterPanel::Arrange(PanelArrangement arrangement, QSize window) {
    arrangement_ = arrangement;
    window_ = window;
    rearrange(true);
}

void MeterPanel::rearrange(bool keepCells) {
    const LayoutProfile& layout = rackLayout();
    const PanelGrid grid = chooseGrid(layout);
    const QSize size = panelSizeFor(layout, grid);
    const bool sameLayout = gridLayout_ == layout.id;
    if (sameLayout && grid == grid_ && (!setUp_ || panelBuf_.size() == size)) {
        return;
    }
    const PanelGrid from = grid_;
    grid_ = grid;
    gridLayout_ = layout.id;
    if (!setUp_) {
        return;
    }
    if (!keepCells && panelBuf_.size() == size) {
        cellsPrepared_ = false; // the caller draws the panel anew
        return;
    }
    const QImage before = panelBuf_;
    panelBuf_ = AllocateBuffer(std::max(1, size.width()), std::max(1, size.height()));
    FillBuffer(panelBuf_, fill_);
    forgetPlaced();
    if (keepCells && cellsPrepared_ && sameLayout) {
        // Each cell is drawn whole within its rectangle, frame included: moved, it shows the same.
        const int cells = std::min(devices_.DeviceCount, layout.slotCount);
        for (int k = 1; k <= cells; ++k) {
            CopyRect(before, from.cellRect(layout.cell, k), panelBuf_,
                     grid_.cellRect(layout.cell, k).bottomLeft());
        }
    } else {
        cellsPrepared_ = false;
    }
    pasteToWindow(panelBuf_.rect());
}

} // namespace k7
