// The check of a set as an engineer acts on it: which carriers are hit (too close to another
// carrier, or near a product), by which kinds, and the nearest offender of each, beside how many
// products land near a carrier at all ("5 of 24 rows in conflict; 12 products"). The set's
// carriers may be of any bands, and the fixed carriers of other transmitters take part: their
// products count and products landing on them count, but conflicts among them alone are left
// out, as nothing the set does changes them.
#pragma once

#include "CoordinationSlot.h"
#include "Intermodulation.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace k7 {

struct CarrierHits {
    // Bit (1 << ConflictKind) for every kind that hits the carrier.
    unsigned kinds = 0;
    // The conflicts that hit it: a spacing conflict hits both carriers, a product its victim.
    int conflicts = 0;
    // The one that comes nearest: for spacing the other carrier (a or b), for a product its
    // makers; distanceKHz says how near. None for a carrier nothing hits.
    std::optional<Conflict> nearest;
    bool hit() const { return conflicts > 0; }
    bool hitBy(ConflictKind kind) const { return (kinds >> static_cast<unsigned>(kind) & 1u) != 0; }
};

struct ConflictCount {
    // Every conflict. Indices: the set's carriers, then the fixed carriers.
    std::vector<Conflict> conflicts;
    // One per carrier of the set, then one per fixed carrier.
    std::vector<CarrierHits> carriers;
    int carriersHit = 0; // carriers of the set hit
    int fixedHit = 0;    // fixed carriers hit
    int products = 0;    // distinct products (kind and makers) that land near some carrier
    int closePairs = 0;  // pairs closer than the spacing
    bool clean() const { return conflicts.empty(); }
};

ConflictCount CountConflicts(std::span<const int> carriersKHz, std::span<const FixedCarrier> fixed,
                             const CoordinationRules& rules);

} // namespace k7
