// The most carriers that can be clean together between two frequencies under the coordination
// rules: a proven ceiling, whatever the search. It lets the station tell an operator that a set
// came short because the rules leave no room, not because the search stopped early.
//
// Why it holds. With both kinds of third-order product checked, the distances between the pairs
// of a clean set are all different, and by at least the smallest window: a + b - c near d is the
// distances a - c and d - b alike; with a carrier in common, 2a - b near c, or two carriers
// closer than the spacing. So k carriers have k(k-1)/2 distances, none under the spacing, each
// at least that window from the next. Count, over every run of u consecutive raster points, the
// pairs of carriers inside it: once through the distances (at most when they are the smallest
// the rules allow) and once from below through the carriers' total (Cauchy-Schwarz). Where the
// lower count beats the upper one for some u, k carriers do not fit (the argument by which
// Erdos and Turan bounded sets with distinct differences).
#pragma once

#include "CoordinationSlot.h"
#include "Intermodulation.h"

#include <optional>
#include <span>
#include <vector>

namespace k7 {

struct CarrierCeiling {
    int most = 0;   // no more carriers than this are clean together
    int lowKHz = 0; // anywhere between these two frequencies
    int highKHz = 0;
};

// Over positions lowKHz + i * gridKHz (i = 0 ... span / gridKHz). Nothing when the rules give
// no ceiling but the spacing's (a third-order kind switched off).
std::optional<int> MostCleanCarriers(int spanKHz, int gridKHz, const CoordinationRules& rules);

// For a rack's slots and the fixed carriers around them: between the lowest and the highest
// frequency any of them can have, on the finest grid their channels share. The fixed carriers
// count among the `most`.
std::optional<CarrierCeiling> CeilingFor(std::span<const CoordinationSlot> rack,
                                         const std::vector<FixedCarrier>& fixed,
                                         const CoordinationRules& rules);

} // namespace k7
