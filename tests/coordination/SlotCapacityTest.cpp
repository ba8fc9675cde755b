// Hall's condition over overlapping bands against a direct assignment, and the conflict counts
// an engineer acts on.
#include "coordination/SlotCapacity.h"
#include "coordination/ConflictCount.h"
#include "coordination/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7 {
namespace {

TEST(SlotCapacity, OneMoreCarrierFitsExactlyWhenAnAssignmentExists) {
    SeededRandom random(5);
    // Three bands: 0 and 1 share channels, 1 and 2 share channels, 0 and 2 do not.
    const std::vector<BandMask> masks{0b001, 0b010, 0b100, 0b011, 0b110};
    int refused = 0;
    for (int round = 0; round < 200; ++round) {
        const std::vector<int> capacities{random.below(4), random.below(4), random.below(4)};
        SlotCapacity capacity(capacities, masks);
        std::vector<BandMask> carriers;
        std::vector<int> kinds;
        for (int move = 0; move < 12; ++move) {
            if (!kinds.empty() && random.below(3) == 0) {
                const auto at =
                    static_cast<std::size_t>(random.below(static_cast<int>(kinds.size())));
                capacity.Remove(kinds[at]);
                kinds.erase(kinds.begin() + static_cast<std::ptrdiff_t>(at));
                carriers.erase(carriers.begin() + static_cast<std::ptrdiff_t>(at));
            }
            for (int mask = 0; mask < static_cast<int>(masks.size()); ++mask) {
                std::vector<BandMask> withIt = carriers;
                withIt.push_back(masks[static_cast<std::size_t>(mask)]);
                const bool fits =
                    std::ranges::count(SlotCapacity::Assign(withIt, capacities), -1) == 0;
                ASSERT_EQ(capacity.CanAdd(mask), fits) << "round " << round << " mask " << mask;
                refused += fits ? 0 : 1;
            }
            const int mask = random.below(static_cast<int>(masks.size()));
            if (capacity.CanAdd(mask)) {
                capacity.Add(mask);
                kinds.push_back(mask);
                carriers.push_back(masks[static_cast<std::size_t>(mask)]);
            }
        }
    }
    EXPECT_GT(refused, 500);
}

TEST(SlotCapacity, AssignPutsEveryCarrierInABandOfItsOwn) {
    // Two carriers only band 1 takes, one either: band 0 must take the shared one.
    const std::vector<BandMask> carriers{0b11, 0b10, 0b10};
    const std::vector<int> groups = SlotCapacity::Assign(carriers, std::vector<int>{1, 2});
    EXPECT_EQ(groups, (std::vector<int>{0, 1, 1}));
    EXPECT_EQ(SlotCapacity::Assign(carriers, std::vector<int>{2, 1}), (std::vector<int>{0, 1, -1}));
}

TEST(ConflictCount, CountsTheCarriersHitTheProductsAndTheNearestOffender) {
    // 600 and 600.2 too close; 2 * 612 - 610 = 614 lands 30 kHz from 614.030, and
    // 2 * 612 - 614.030 = 609.970 30 kHz from 610; 612 makes both and is not hit; 630 is clear.
    const std::vector<int> set{600000, 600200, 610000, 612000, 614030, 630000};
    const ConflictCount count = CountConflicts(set, {}, CoordinationRules{350, 100, 0, 0});
    EXPECT_EQ(count.closePairs, 1);
    EXPECT_EQ(count.products, 2);
    EXPECT_EQ(count.carriersHit, 4);
    EXPECT_EQ(count.carriers[0].kinds, 1u << static_cast<unsigned>(ConflictKind::Spacing));
    ASSERT_TRUE(count.carriers[1].nearest.has_value());
    EXPECT_EQ(count.carriers[1].nearest->a, 0);
    EXPECT_EQ(count.carriers[1].nearest->distanceKHz, 200);
    const CarrierHits& top = count.carriers[4];
    EXPECT_TRUE(top.hitBy(ConflictKind::ThirdOrder2Tx));
    EXPECT_FALSE(top.hitBy(ConflictKind::Spacing));
    ASSERT_TRUE(top.nearest.has_value());
    EXPECT_EQ(top.nearest->a, 3);
    EXPECT_EQ(top.nearest->b, 2);
    EXPECT_EQ(top.nearest->distanceKHz, 30);
    EXPECT_FALSE(count.carriers[3].hit());
    EXPECT_FALSE(count.carriers[5].hit());
    // Two products of one maker pair on one carrier count once as that carrier, twice as
    // products; the nearest of several is the one kept.
    const ConflictCount both = CountConflicts(std::vector<int>{610000, 612000, 614030, 613990}, {},
                                              CoordinationRules{0, 100, 0, 0});
    EXPECT_EQ(both.carriers[0].nearest->distanceKHz, 10); // 2 * 612 - 613.990 = 610.010
}

TEST(ConflictCount, FixedCarriersTakePartButTheirOwnConflictsAreLeftOut) {
    // Two fixed carriers too close to each other and making 2 * 610.1 - 610 = 610.2 on a
    // third: theirs alone, left out. Their product 2 * 610.2 - 610.1 = 610.3 hits the set.
    const std::vector<FixedCarrier> fixed{{610000, "IEM 1"}, {610100, "IEM 2"}, {610200, "IEM 3"}};
    const CoordinationRules rules{0, 100, 0, 0};
    EXPECT_TRUE(CountConflicts(std::vector<int>{650000}, fixed, rules).clean());
    const ConflictCount count = CountConflicts(std::vector<int>{610300}, fixed, rules);
    EXPECT_EQ(count.carriersHit, 1);
    EXPECT_EQ(count.carriers[0].nearest->a, 3); // 2 * IEM 3 - IEM 2
    // A product of the set landing on a fixed carrier counts against the fixed one:
    // 3 * 620 - 2 * 625 = 610, and no product with the fixed one lands on the set.
    const std::vector<FixedCarrier> iem{{610000, "IEM"}};
    const ConflictCount onFixed =
        CountConflicts(std::vector<int>{620000, 625000}, iem, CoordinationRules{0, 0, 0, 100});
    EXPECT_EQ(onFixed.fixedHit, 1);
    EXPECT_EQ(onFixed.carriersHit, 0);
    EXPECT_EQ(onFixed.products, 1);
}

} // namespace
} // namespace k7
