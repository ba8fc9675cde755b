// The intermodulation check: every product of the set is looked up among the carriers sorted
// by frequency, so a set of 40 costs one binary search per product instead of a scan.
#include "Intermodulation.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

namespace k7 {

namespace {

struct Sorted {
    std::vector<std::int64_t> kHz; // ascending
    std::vector<int> index;        // the carrier's index in the checked set
};

Sorted SortCarriers(std::span<const int> carriers) {
    std::vector<std::pair<std::int64_t, int>> pairs;
    pairs.reserve(carriers.size());
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        pairs.emplace_back(carriers[i], static_cast<int>(i));
    }
    std::ranges::sort(pairs);
    Sorted sorted;
    for (const auto& [kHz, index] : pairs) {
        sorted.kHz.push_back(kHz);
        sorted.index.push_back(index);
    }
    return sorted;
}

// Walks every conflict and hands it to visit, which returns false to stop the walk. Returns
// false when the walk was stopped.
template <typename Visit>
bool WalkConflicts(std::span<const int> carriers, const CoordinationRules& rules, Visit&& visit) {
    const Sorted sorted = SortCarriers(carriers);
    const auto n = static_cast<int>(carriers.size());
    if (n < 2) {
        return true;
    }
    const std::int64_t lowest = sorted.kHz.front();
    const std::int64_t highest = sorted.kHz.back();

    // Every carrier strictly within the window of the product, other than its makers.
    const auto near = [&](ConflictKind kind, std::int64_t product, int window, int a, int b,
                          int c) {
        if (product <= lowest - window || product >= highest + window) {
            return true;
        }
        auto it = std::ranges::upper_bound(sorted.kHz, product - window);
        for (; it != sorted.kHz.end() && *it < product + window; ++it) {
            const int victim = sorted.index[static_cast<std::size_t>(it - sorted.kHz.begin())];
            if (victim == a || victim == b || victim == c) {
                continue;
            }
            if (!visit(Conflict{kind, a, b, c, victim, product, std::llabs(*it - product)})) {
                return false;
            }
        }
        return true;
    };

    if (const int window = rules.spacing; window > 0) {
        for (int i = 0; i < n; ++i) {
            for (int j = i + 1; j < n && sorted.kHz[j] - sorted.kHz[i] < window; ++j) {
                const int a = std::min(sorted.index[i], sorted.index[j]);
                const int b = std::max(sorted.index[i], sorted.index[j]);
                if (!visit(Conflict{ConflictKind::Spacing, a, b, -1, -1, 0,
                                    sorted.kHz[j] - sorted.kHz[i]})) {
                    return false;
                }
            }
        }
    }
    const int im3 = rules.thirdOrder2Tx;
    const int im5 = rules.fifthOrder2Tx;
    if (im3 > 0 || im5 > 0) {
        for (int a = 0; a < n; ++a) {
            for (int b = 0; b < n; ++b) {
                if (a == b) {
                    continue;
                }
                const std::int64_t fa = carriers[a];
                const std::int64_t fb = carriers[b];
                if (im3 > 0 && !near(ConflictKind::ThirdOrder2Tx, 2 * fa - fb, im3, a, b, -1)) {
                    return false;
                }
                if (im5 > 0 && !near(ConflictKind::FifthOrder2Tx, 3 * fa - 2 * fb, im5, a, b, -1)) {
                    return false;
                }
            }
        }
    }
    if (const int window = rules.thirdOrder3Tx; window > 0) {
        for (int a = 0; a < n; ++a) {
            for (int b = a + 1; b < n; ++b) {
                const std::int64_t sum = std::int64_t{carriers[a]} + carriers[b];
                for (int c = 0; c < n; ++c) {
                    if (c != a && c != b &&
                        !near(ConflictKind::ThirdOrder3Tx, sum - carriers[c], window, a, b, c)) {
                        return false;
                    }
                }
            }
        }
    }
    return true;
}

} // namespace

int CoordinationRules::window(ConflictKind kind) const {
    switch (kind) {
    case ConflictKind::Spacing:
        return spacing;
    case ConflictKind::ThirdOrder2Tx:
        return thirdOrder2Tx;
    case ConflictKind::ThirdOrder3Tx:
        return thirdOrder3Tx;
    case ConflictKind::FifthOrder2Tx:
        return fifthOrder2Tx;
    }
    return 0;
}

std::vector<Conflict> FindConflicts(std::span<const int> carriersKHz,
                                    const CoordinationRules& rules) {
    std::vector<Conflict> conflicts;
    WalkConflicts(carriersKHz, rules, [&conflicts](const Conflict& conflict) {
        conflicts.push_back(conflict);
        return true;
    });
    return conflicts;
}

bool IsClean(std::span<const int> carriersKHz, const CoordinationRules& rules) {
    return WalkConflicts(carriersKHz, rules, [](const Conflict&) { return false; });
}

} // namespace k7
