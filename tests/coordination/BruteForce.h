// The intermodulation check by its definition alone (every index tuple, no sorting, no pruning):
// the reference the engine's check and the generator's sets are held against; and whether one
// more carrier would conflict, by the engine's full check.
#pragma once

#include "coordination/Intermodulation.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace k7 {

inline std::vector<Conflict> BruteForceConflicts(const std::vector<int>& f,
                                                 const CoordinationRules& rules) {
    std::vector<Conflict> found;
    const int n = static_cast<int>(f.size());
    const auto check = [&](ConflictKind kind, std::int64_t product, int a, int b, int c) {
        const int window = rules.window(kind);
        for (int v = 0; v < n; ++v) {
            const std::int64_t distance = std::llabs(product - f[v]);
            if (window > 0 && v != a && v != b && v != c && distance < window) {
                found.push_back({kind, a, b, c, v, product, distance});
            }
        }
    };
    for (int a = 0; a < n; ++a) {
        for (int b = 0; b < n; ++b) {
            if (a < b && std::abs(f[a] - f[b]) < rules.spacing) {
                found.push_back({ConflictKind::Spacing, a, b, -1, -1, 0, std::abs(f[a] - f[b])});
            }
            if (a == b) {
                continue;
            }
            check(ConflictKind::ThirdOrder2Tx, 2LL * f[a] - f[b], a, b, -1);
            check(ConflictKind::FifthOrder2Tx, 3LL * f[a] - 2LL * f[b], a, b, -1);
            for (int c = 0; c < n; ++c) {
                if (a < b && c != a && c != b) {
                    check(ConflictKind::ThirdOrder3Tx, 0LL + f[a] + f[b] - f[c], a, b, c);
                }
            }
        }
    }
    return found;
}

// Whether a carrier at kHz would be in a conflict with the carriers, by the full check (two
// carriers never share a channel).
inline bool WouldConflict(std::vector<int> carriers, int kHz, const CoordinationRules& rules) {
    if (std::ranges::find(carriers, kHz) != carriers.end()) {
        return true;
    }
    carriers.push_back(kHz);
    const int added = static_cast<int>(carriers.size()) - 1;
    return std::ranges::any_of(FindConflicts(carriers, rules), [added](const Conflict& c) {
        return c.a == added || c.b == added || c.c == added || c.victim == added;
    });
}

} // namespace k7
