// The intermodulation check of a set of carriers in whole kHz: which carriers sit too close to
// each other, and which intermodulation products of the set fall too close to one of its
// carriers. The windows are what the set is coordinated for; a window of 0 switches its kind
// off.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace k7 {

enum class ConflictKind {
    Spacing,       // two carriers closer than the spacing
    ThirdOrder2Tx, // 2a - b
    ThirdOrder3Tx, // a + b - c, three distinct carriers
    FifthOrder2Tx, // 3a - 2b
};

// Windows in kHz. A carrier conflicts when its distance is strictly below the window: a
// product exactly at the window's edge is clean.
struct CoordinationRules {
    int spacing = 350;
    int thirdOrder2Tx = 100;
    int thirdOrder3Tx = 50;
    int fifthOrder2Tx = 25;

    // The window of a kind; 0 when the kind is off.
    int window(ConflictKind kind) const;
    bool operator==(const CoordinationRules&) const = default;
};

// One conflict. Carriers are indices into the checked set.
//   Spacing:        a and b (a < b) are closer than the spacing (no product, no victim).
//   ThirdOrder2Tx:  2a - b falls near victim.   FifthOrder2Tx: 3a - 2b falls near victim.
//   ThirdOrder3Tx:  a + b - c (a < b) falls near victim.
// A product counts against every carrier of the set other than those it is made of.
struct Conflict {
    ConflictKind kind = ConflictKind::Spacing;
    int a = -1;
    int b = -1;
    int c = -1;
    int victim = -1;
    std::int64_t productKHz = 0;
    std::int64_t distanceKHz = 0;
    bool operator==(const Conflict&) const = default;
    auto operator<=>(const Conflict&) const = default;
};

// Every conflict of the set under the rules, in no particular order.
std::vector<Conflict> FindConflicts(std::span<const int> carriersKHz,
                                    const CoordinationRules& rules);
// True when the set has no conflict (stops at the first one).
bool IsClean(std::span<const int> carriersKHz, const CoordinationRules& rules);

} // namespace k7
