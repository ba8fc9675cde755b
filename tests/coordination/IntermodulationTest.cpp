// The intermodulation check: against a brute-force reference on random sets and windows at and
// around the edge, on small sets worked by hand, and on the preset lists of every band.
#include "coordination/Intermodulation.h"
#include "BruteForce.h"
#include "coordination/SeededRandom.h"
#include "files/Presets.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

namespace k7 {
namespace {

std::vector<Conflict> SortedConflicts(std::vector<Conflict> conflicts) {
    std::ranges::sort(conflicts);
    return conflicts;
}

std::vector<int> PresetKHz(int band) {
    std::vector<int> kHz;
    for (const QString& text : PresetList(band)) {
        kHz.push_back(static_cast<int>(std::lround(text.toDouble() * 1000.0)));
    }
    return kHz;
}

TEST(Intermodulation, MatchesTheBruteForceReferenceOnRandomSetsAndEdgeWindows) {
    SeededRandom random(20240611);
    int conflictsSeen = 0;
    for (int round = 0; round < 400; ++round) {
        // A narrow stretch on a 25 kHz raster, so that products land on carriers often;
        // a repeated frequency now and then.
        std::vector<int> set(static_cast<std::size_t>(2 + random.below(11)));
        for (int& kHz : set) {
            kHz = 600000 + 25 * random.below(120);
        }
        // Windows taken from a real distance of the set, then nudged across the edge.
        const int distance = std::abs(2 * set[0] - set[1] - set.back()) + 1;
        const auto window = [&] {
            const int pick = random.below(5);
            return pick == 0 ? 0 : std::max(0, distance + random.below(3) - 1 + (pick - 1) * 25);
        };
        const CoordinationRules rules{window(), window(), window(), window()};
        const std::vector<Conflict> expected = SortedConflicts(BruteForceConflicts(set, rules));
        ASSERT_EQ(SortedConflicts(FindConflicts(set, rules)), expected) << "round " << round;
        ASSERT_EQ(IsClean(set, rules), expected.empty()) << "round " << round;
        conflictsSeen += static_cast<int>(expected.size());
    }
    EXPECT_GT(conflictsSeen, 1000); // the rounds did exercise the product paths
}

TEST(Intermodulation, AProductExactlyAtTheWindowIsClean) {
    // 2 * 600.100 - 600.000 = 600.200, 100 kHz from 600.300.
    const std::vector<int> set{600000, 600100, 600300};
    CoordinationRules rules{0, 100, 0, 0};
    EXPECT_TRUE(IsClean(set, rules));
    // One kHz wider, and both products of the pair conflict (2b - a near c is 2b - c near a).
    rules.thirdOrder2Tx = 101;
    EXPECT_EQ(SortedConflicts(FindConflicts(set, rules)),
              SortedConflicts({{ConflictKind::ThirdOrder2Tx, 1, 0, -1, 2, 600200, 100},
                               {ConflictKind::ThirdOrder2Tx, 1, 2, -1, 0, 599900, 100}}));
}

TEST(Intermodulation, AProductCountsAgainstEveryCarrierButItsMakers) {
    // 600 + 610 - 605 = 605 falls on one of its own makers, which does not count.
    const std::vector<int> makersOnly{600000, 605000, 610000};
    EXPECT_TRUE(IsClean(makersOnly, CoordinationRules{0, 0, 50, 0}));
    // 2 * 605 - 600 = 610 lands on the third carrier, which is not one of its makers.
    const std::vector<Conflict> evenlySpaced =
        FindConflicts(makersOnly, CoordinationRules{0, 100, 0, 0});
    EXPECT_EQ(SortedConflicts(evenlySpaced),
              SortedConflicts({{ConflictKind::ThirdOrder2Tx, 1, 0, -1, 2, 610000, 0},
                               {ConflictKind::ThirdOrder2Tx, 1, 2, -1, 0, 600000, 0}}));
    // a + b - c on a fourth carrier, and on every carrier that shares its frequency.
    const std::vector<int> four{600000, 601000, 603000, 602000, 602000};
    std::set<int> victims;
    for (const Conflict& c : FindConflicts(four, CoordinationRules{0, 0, 50, 0})) {
        if (c.a == 0 && c.b == 2 && c.c == 1) {
            victims.insert(c.victim);
        }
    }
    EXPECT_EQ(victims, (std::set<int>{3, 4}));
}

TEST(Intermodulation, PresetListsKeepTheirSpacingAndTwoTransmitterWindows) {
    const std::vector<int> bands{10, 11, 12, 13, 14, 32, 33, 34, 35, 36};
    bool productOnTheEdge = false;
    for (const int band : bands) {
        SCOPED_TRACE(band);
        const std::vector<int> list = PresetKHz(band);
        ASSERT_GE(list.size(), 6u);
        CoordinationRules rules{band == 14 ? 250 : 350, band == 34 ? 50 : 100, 0, 0};
        EXPECT_TRUE(FindConflicts(list, rules).empty());
        // One kHz wider and some list has a product right at the window's edge.
        ++rules.thirdOrder2Tx;
        productOnTheEdge = productOnTheEdge || !IsClean(list, rules);
    }
    EXPECT_TRUE(productOnTheEdge);
}

} // namespace
} // namespace k7
