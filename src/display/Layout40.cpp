#include "display/Layout40.h"

namespace k7 {

QPoint CellOrigin40(int slot) {
    return {(slot - 1) % kCell40Columns * kCell40Width,
            (slot - 1) / kCell40Columns * kCell40Height};
}

void BuildLayout40(LayoutTable& table) {
    table.fill(CellPositions{});
    for (int slot = 1; slot <= kCell40Columns * kCell40Rows; ++slot) {
        const QPoint o = CellOrigin40(slot);
        auto& cell = table[slot];
        cell.rfA = o + QPoint(Cell40::RfLeftA, Cell40::BarBottom);
        cell.rfB = o + QPoint(Cell40::RfLeftB, Cell40::BarBottom);
        cell.audio = o + QPoint(Cell40::AudioLeft, Cell40::BarBottom);
        cell.gauge = o + QPoint(Cell40::GaugeLeft, Cell40::GaugeBottom);
        cell.textBox = o + QPoint(Cell40::TextLeft, Cell40::TextBottom);
        cell.lampA = o + QPoint(Cell40::LampLeft, Cell40::LampABottom);
        cell.lampB = o + QPoint(Cell40::LampLeft, Cell40::LampBBottom);
        cell.muteIcon = o + QPoint(Cell40::MuteIconLeft, Cell40::MuteIconBottom);
        cell.hasLamps = true;
    }
}

} // namespace k7
