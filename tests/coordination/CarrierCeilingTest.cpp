// The ceiling on clean carriers: never below a set that exists (an exhaustive walk of small
// spans, where it is exact), and the rack of 40 in bands 34 and 36 under the default rules.
#include "coordination/CarrierCeiling.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7 {
namespace {

// The largest clean set on the points 0, 25, ... spanKHz (above 606 MHz), walked exhaustively.
std::size_t LargestCleanSet(int spanKHz, const CoordinationRules& rules) {
    std::vector<int> set;
    std::size_t largest = 0;
    const auto walk = [&](auto& self, int from) -> void {
        largest = std::max(largest, set.size());
        for (int kHz = from; kHz <= 606000 + spanKHz; kHz += 25) {
            set.push_back(kHz);
            if (IsClean(set, rules)) {
                self(self, kHz + rules.spacing);
            }
            set.pop_back();
        }
    };
    walk(walk, 606000);
    return largest;
}

TEST(CarrierCeiling, IsExactOnSpansSmallEnoughToWalk) {
    for (const CoordinationRules rules :
         {CoordinationRules{350, 100, 50, 0}, CoordinationRules{}}) {
        for (const int span : {1500, 2250}) {
            const std::size_t largest = LargestCleanSet(span, rules);
            SCOPED_TRACE(testing::Message() << span << " kHz, 5th order " << rules.fifthOrder2Tx);
            EXPECT_EQ(MostCleanCarriers(span, 25, rules), static_cast<int>(largest));
        }
    }
    // Without both third-order kinds the distances may repeat: no ceiling is claimed.
    EXPECT_FALSE(MostCleanCarriers(3000, 25, CoordinationRules{350, 100, 0, 25}));
    EXPECT_FALSE(MostCleanCarriers(3000, 25, CoordinationRules{350, 0, 50, 25}));
}

TEST(CarrierCeiling, ARackOf40InBands34And36CannotBeCleanUnderTheDefaultRules) {
    std::vector<CoordinationSlot> rack(20, CoordinationSlot{*BandPlan::ForBand(34), std::nullopt});
    rack.insert(rack.end(), 20, CoordinationSlot{*BandPlan::ForBand(36), std::nullopt});
    const std::optional<CarrierCeiling> ceiling = CeilingFor(rack, {}, CoordinationRules{});
    ASSERT_TRUE(ceiling);
    EXPECT_EQ(ceiling->lowKHz, 606000);
    EXPECT_EQ(ceiling->highKHz, 666000);
    EXPECT_EQ(ceiling->most, 39);
    // A fixed carrier far below widens the span (and counts among the carriers).
    const std::optional<CarrierCeiling> wider =
        CeilingFor(rack, {FixedCarrier{500000, "IEM"}}, CoordinationRules{});
    ASSERT_TRUE(wider);
    EXPECT_EQ(wider->lowKHz, 500000);
    EXPECT_GT(wider->most, 39);
}

} // namespace
} // namespace k7
