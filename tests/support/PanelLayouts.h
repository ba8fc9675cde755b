// The meter panel's prepare and redraw by layout number, through the layout's profile as the
// rack picks them, for the tests and benchmarks that run in every layout.
#pragma once

#include "display/MeterPanel.h"
#include "rack/LayoutProfiles.h"

namespace k7::test {

// Prepares the panel's cells for a layout (1: 8 slots, 2: 16, 3: 24, any other: 40).
inline void PrepareLayout(MeterPanel& on, int layout) {
    (on.*LayoutProfileOf(layout).prepare)();
}

// Redraws a slot's cell in a layout, as a meter answer does.
inline void DisplayInLayout(MeterPanel& on, int layout, int slot, int position) {
    (on.*LayoutProfileOf(layout).draw)(slot, position);
}

} // namespace k7::test
