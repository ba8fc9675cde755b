// Where the rack's cells lie on the panel and which slot a point of it belongs to, from the
// profile of the rack's layout.
#include "display/MeterPanel.h"

namespace k7 {

QRect MeterPanel::CellRect(int slot) const {
    const LayoutProfile& layout = LayoutProfileOf(devices_.RackLayout);
    if (!RackTables::validSlot(slot) || slot > devices_.DeviceCount || slot > layout.slotCount) {
        return {};
    }
    return layoutCellRect(layout, slot);
}

QRect MeterPanel::layoutCellRect(const LayoutProfile& layout, int cellIndex) const {
    return layout.CellRect(cellIndex);
}

int MeterPanel::SlotAt(QPoint point) const {
    return LayoutProfileOf(devices_.RackLayout)
        .findRx(static_cast<float>(point.x()), static_cast<float>(point.y()));
}

} // namespace k7
