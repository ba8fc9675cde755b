// What a coordination fills and works around: the slots (a receiver or a row each, with its own
// band, some kept at the frequency they have) and the fixed carriers of other transmitters (in-ear
// monitors, intercom, a neighbour's frequencies) whose products count but which never move.
#pragma once

#include "bands/BandPlan.h"

#include <optional>
#include <string>

namespace k7 {

struct CoordinationSlot {
    BandPlan band;
    // The slot keeps this carrier (kHz) whatever else is chosen; none: the search fills it with
    // a channel of its band.
    std::optional<int> lockedKHz;
};

struct FixedCarrier {
    int kHz = 0;
    std::string label; // how the operator named it ("IEM 1"); may be empty
    bool operator==(const FixedCarrier&) const = default;
};

} // namespace k7
