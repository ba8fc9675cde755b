#include "ConflictCount.h"

#include <algorithm>
#include <set>
#include <tuple>

namespace k7 {

ConflictCount CountConflicts(std::span<const int> carriersKHz, std::span<const FixedCarrier> fixed,
                             const CoordinationRules& rules) {
    std::vector<int> all(carriersKHz.begin(), carriersKHz.end());
    const auto own = static_cast<int>(all.size());
    for (const FixedCarrier& carrier : fixed) {
        all.push_back(carrier.kHz);
    }
    ConflictCount count;
    count.conflicts = FindConflicts(all, rules);
    const auto fixedOnly = [own](const Conflict& c) {
        const auto notOwn = [own](int i) { return i < 0 || i >= own; };
        return notOwn(c.a) && notOwn(c.b) && notOwn(c.c) && notOwn(c.victim);
    };
    std::erase_if(count.conflicts, fixedOnly);
    std::ranges::sort(count.conflicts);

    count.carriers.resize(all.size());
    std::set<std::tuple<ConflictKind, int, int, int>> products;
    const auto hit = [&count](int carrier, const Conflict& c) {
        CarrierHits& hits = count.carriers[static_cast<std::size_t>(carrier)];
        hits.kinds |= 1u << static_cast<unsigned>(c.kind);
        ++hits.conflicts;
        if (!hits.nearest || c.distanceKHz < hits.nearest->distanceKHz) {
            hits.nearest = c;
        }
    };
    for (const Conflict& c : count.conflicts) {
        if (c.kind == ConflictKind::Spacing) {
            ++count.closePairs;
            hit(c.a, c);
            hit(c.b, c);
        } else {
            products.emplace(c.kind, c.a, c.b, c.c);
            hit(c.victim, c);
        }
    }
    count.products = static_cast<int>(products.size());
    for (int i = 0; i < static_cast<int>(all.size()); ++i) {
        if (count.carriers[static_cast<std::size_t>(i)].hit()) {
            ++(i < own ? count.carriersHit : count.fixedHit);
        }
    }
    return count;
}

} // namespace k7
