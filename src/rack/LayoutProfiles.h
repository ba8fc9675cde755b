// The rack's four meter layouts as one table: for each value of DeviceTables::RackLayout the
// slots it holds, the size of its cells and the grid they lie in, the display's operations that
// prepare and draw them, and the hit test that maps a point of the panel back to a slot. What
// depends on the layout reads its profile here instead of switching on the number.
#pragma once

#include "RackPorts.h"

#include <QRect>
#include <QSize>

#include <array>

namespace k7 {

// Hit tests of the layouts' own grids: the slot under a point. A value on a boundary belongs to
// the higher column or row. The 24-slot columns part at 134, 267, 400, 534 and 667 (the 800
// pixels shared out in sixths), one or two pixels right of the edges of its 133-pixel cells.
int FindMedRx(float x, float y); // 8-slot layout
int Find16Rx(float x, float y);  // 16-slot layout
int Find24Rx(float x, float y);  // 24-slot layout
int Find40Rx(float x, float y);  // 40-slot layout: eight columns by five rows of 100 x 140

// The layouts in table order; the renderer tells its cells apart by the same values.
enum class LayoutId { Slots8, Slots16, Slots24, Slots40 };

struct LayoutProfile {
    LayoutId id;
    int rackLayout; // the DeviceTables::RackLayout value that picks it
    int slotCount;  // the most receivers it holds
    QSize cell;     // one cell on the panel
    int columns;    // the layout's own grid, cells in reading order
    int rows;
    void (MeterDisplay::*prepare)();
    void (MeterDisplay::*draw)(int receiver, int position);
    // The 8-slot layout draws a receiver in the cell of its position in its bank (and passes
    // the position as the receiver); the others draw it in the cell of its slot.
    bool cellOfPosition;
    // Blanking the panel clears it before the cells are prepared again (not the 8-slot layout).
    bool clearsWhenBlanked;
    int (*findRx)(float x, float y);

    // The cell 1..slots in the layout's own grid.
    constexpr QRect CellRect(int cellIndex) const {
        return {(cellIndex - 1) % columns * cell.width(), (cellIndex - 1) / columns * cell.height(),
                cell.width(), cell.height()};
    }
};

inline constexpr std::array<LayoutProfile, 4> kLayoutProfiles{{
    {LayoutId::Slots8,
     1,
     8,
     {200, 350},
     4,
     2,
     &MeterDisplay::PrepareCells8,
     &MeterDisplay::Display8VU,
     true,
     false,
     &FindMedRx},
    {LayoutId::Slots16,
     2,
     16,
     {200, 175},
     4,
     4,
     &MeterDisplay::PrepareCells16,
     &MeterDisplay::Display16VU,
     false,
     true,
     &Find16Rx},
    {LayoutId::Slots24,
     3,
     24,
     {133, 175},
     6,
     4,
     &MeterDisplay::PrepareCells24,
     &MeterDisplay::Display24VU,
     false,
     true,
     &Find24Rx},
    {LayoutId::Slots40,
     0,
     40,
     {100, 140},
     8,
     5,
     &MeterDisplay::PrepareCells40,
     &MeterDisplay::Display40VU,
     false,
     true,
     &Find40Rx},
}};

constexpr const LayoutProfile& LayoutProfileOf(LayoutId id) {
    return kLayoutProfiles[static_cast<std::size_t>(id)];
}

// The profile of a RackLayout value: 1, 2 and 3 are the 8-, 16- and 24-slot layouts, any other
// value (0: more than 24 receivers) the forty-slot one.
constexpr const LayoutProfile& LayoutProfileOf(int rackLayout) {
    for (const LayoutProfile& profile : kLayoutProfiles) {
        if (profile.rackLayout == rackLayout) {
            return profile;
        }
    }
    return LayoutProfileOf(LayoutId::Slots40);
}

// The smallest layout that holds this many receivers (the forty-slot one for more).
constexpr const LayoutProfile& LayoutProfileFor(int receivers) {
    for (const LayoutProfile& profile : kLayoutProfiles) {
        if (receivers <= profile.slotCount) {
            return profile;
        }
    }
    return LayoutProfileOf(LayoutId::Slots40);
}

} // namespace k7
