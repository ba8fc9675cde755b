// The meter panel's prepare and redraw by layout number, as the rack picks them, for the tests
// and benchmarks that run in every layout.
#pragma once

#include "display/MeterPanel.h"

namespace k7::test {

// Prepares the panel's cells for a layout (1: 8 slots, 2: 16, 3: 24, any other: 40).
inline void PrepareLayout(MeterPanel& on, int layout) {
    switch (layout) {
    case 1:
        on.PrepareCells8();
        break;
    case 2:
        on.PrepareCells16();
        break;
    case 3:
        on.PrepareCells24();
        break;
    default:
        on.PrepareCells40();
        break;
    }
}

// Redraws a slot's cell in a layout, as a meter answer does.
inline void DisplayInLayout(MeterPanel& on, int layout, int slot, int position) {
    switch (layout) {
    case 1:
        on.Display8VU(slot, position);
        break;
    case 2:
        on.Display16VU(slot, position);
        break;
    case 3:
        on.Display24VU(slot, position);
        break;
    default:
        on.Display40VU(slot, position);
        break;
    }
}

} // namespace k7::test
