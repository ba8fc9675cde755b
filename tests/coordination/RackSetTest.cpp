// The generator on a whole rack: slots of two bands side by side, fixed transmitters around it,
// backups after it; every set held against the brute-force reference.
#include "BruteForce.h"
#include "coordination/ConflictCount.h"
#include "coordination/SetGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7 {
namespace {

std::vector<CoordinationSlot> Slots(std::initializer_list<std::pair<int, int>> bands) {
    std::vector<CoordinationSlot> rackSlots;
    for (const auto& [code, count] : bands) {
        rackSlots.insert(rackSlots.end(), static_cast<std::size_t>(count),
                         CoordinationSlot{*BandPlan::ForBand(code), std::nullopt});
    }
    return rackSlots;
}

GeneratorOptions Fixed(CoordinationRules rules, std::int64_t iterations) {
    GeneratorOptions options;
    options.rules = rules;
    options.iterations = iterations;
    options.timeBudgetMicros = 0;
    return options;
}

std::vector<int> Filled(const GeneratorResult& result) {
    std::vector<int> kHz;
    for (const std::optional<int>& carrier : result.slotCarriers) {
        if (carrier) {
            kHz.push_back(*carrier);
        }
    }
    return kHz;
}

// Each filled slot holds a channel of its own band; the band's rows are ascending.
void ExpectRowsInTheirBands(const std::vector<CoordinationSlot>& rackSlots,
                            const GeneratorResult& result) {
    ASSERT_EQ(result.slotCarriers.size(), rackSlots.size());
    for (std::size_t i = 0; i < rackSlots.size(); ++i) {
        if (const std::optional<int> kHz = result.slotCarriers[i]) {
            EXPECT_TRUE(rackSlots[i].band.IsChannel(*kHz)) << "row " << i + 1 << ": " << *kHz;
            if (i > 0 && result.slotCarriers[i - 1] &&
                rackSlots[i - 1].band.code() == rackSlots[i].band.code()) {
                EXPECT_LT(*result.slotCarriers[i - 1], *kHz) << "row " << i + 1;
            }
        }
    }
}

TEST(RackSet, ARackOf34And36IsCoordinatedAcrossBothBands) {
    const std::vector<CoordinationSlot> rackSlots = Slots({{34, 20}, {36, 20}});
    // Spacing and 3rd-order 2-tx: 60 MHz hold far more than 40, so every row is filled.
    const CoordinationRules twoTx{350, 100, 0, 0};
    const GeneratorResult filled = GenerateSet(rackSlots, Fixed(twoTx, 400));
    ExpectRowsInTheirBands(rackSlots, filled);
    EXPECT_EQ(Filled(filled).size(), 40u);
    EXPECT_TRUE(BruteForceConflicts(Filled(filled), twoTx).empty());

    // All four default rules: 3-tx products of the two bands land in each other, and the
    // two bands together hold fewer than 40 (about 29; CarrierCeiling proves at most 39); what
    // is found is clean across both.
    const CoordinationRules all;
    const GeneratorResult result = GenerateSet(rackSlots, Fixed(all, 3000));
    ExpectRowsInTheirBands(rackSlots, result);
    const std::vector<int> set = Filled(result);
    EXPECT_GE(set.size(), 27u);
    EXPECT_EQ(set.size(), result.carriers.size());
    EXPECT_TRUE(BruteForceConflicts(set, all).empty());
    const auto band34 = std::ranges::count_if(set, [](int kHz) { return kHz > 638000; });
    const auto band36 = std::ranges::count_if(set, [](int kHz) { return kHz < 636000; });
    EXPECT_GE(band34, 10);
    EXPECT_GE(band36, 10);
    // The two best single bands side by side are not clean: their cross products hit.
    std::vector<int> sideBySide = GenerateSet(*BandPlan::ForBand(34), Fixed(all, 300)).carriers;
    const std::vector<int> lower = GenerateSet(*BandPlan::ForBand(36), Fixed(all, 300)).carriers;
    std::ranges::copy_if(lower, std::back_inserter(sideBySide),
                         [](int kHz) { return kHz < 636000; });
    EXPECT_FALSE(IsClean(sideBySide, all));
}

TEST(RackSet, AProductOfTwoBand36CarriersOnABand34CarrierIsFound) {
    // 2 * 632.000 - 610.000 = 654.000, a band-34 carrier; 632 + 633.2 - 611.2 = 654 as well.
    const std::vector<int> rack{654000, 632000, 610000, 633200, 611200};
    const CoordinationRules rules;
    const ConflictCount count = CountConflicts(rack, {}, rules);
    const CarrierHits& hit = count.carriers[0];
    EXPECT_TRUE(hit.hitBy(ConflictKind::ThirdOrder2Tx));
    EXPECT_TRUE(hit.hitBy(ConflictKind::ThirdOrder3Tx));
    ASSERT_TRUE(hit.nearest.has_value());
    EXPECT_EQ(hit.nearest->distanceKHz, 0);
    // And the generator never puts a band-34 row there when those band-36 rows are kept.
    std::vector<CoordinationSlot> rackSlots = Slots({{34, 12}});
    for (const int kHz : {632000, 610000}) {
        rackSlots.push_back({*BandPlan::ForBand(36), kHz});
    }
    const GeneratorResult result =
        GenerateSet(rackSlots, Fixed(CoordinationRules{350, 100, 0, 0}, 60));
    for (const int kHz : Filled(result)) {
        EXPECT_GE(std::abs(kHz - 654000), 100) << kHz;
    }
    EXPECT_TRUE(IsClean(result.carriers, CoordinationRules{350, 100, 0, 0}));
}

TEST(RackSet, ChannelsTwoBandsShareFillTheRowsOfEither) {
    // Band 34 starts at 636.000, band 36 ends at 638.000: a lone row of each, with only the
    // shared stretch allowed, gets one carrier each from it.
    const std::vector<CoordinationSlot> rackSlots = Slots({{34, 1}, {36, 1}});
    GeneratorOptions options = Fixed(CoordinationRules{350, 0, 0, 0}, 40);
    options.excluded = {{600000, 635999}, {638001, 700000}};
    const GeneratorResult result = GenerateSet(rackSlots, options);
    ExpectRowsInTheirBands(rackSlots, result);
    ASSERT_EQ(Filled(result).size(), 2u);
    // A locked carrier in the shared stretch may take either band's row.
    options.locked = {637000};
    const GeneratorResult locked = GenerateSet(Slots({{36, 1}, {34, 1}}), options);
    EXPECT_TRUE(locked.unplacedLocks.empty());
    EXPECT_EQ(std::ranges::count(locked.slotCarriers, std::optional<int>(637000)), 1);
    EXPECT_EQ(Filled(locked).size(), 2u);
}

TEST(RackSet, FixedCarriersProductsCountAndTheyNeverMove) {
    const std::vector<CoordinationSlot> rackSlots = Slots({{34, 16}});
    GeneratorOptions options = Fixed(CoordinationRules{}, 400);
    options.fixed = {{640000, "IEM 1"}, {641000, "IEM 2"}, {652525, "Intercom"}};
    const GeneratorResult result = GenerateSet(rackSlots, options);
    std::vector<int> all = result.carriers;
    for (const FixedCarrier& fixed : options.fixed) {
        EXPECT_EQ(std::ranges::count(result.carriers, fixed.kHz), 0) << "fixed are not returned";
        all.push_back(fixed.kHz);
    }
    EXPECT_GE(result.carriers.size(), 14u);
    // Clean with the fixed carriers taking part, except what they do among themselves
    // (2 * 641 - 640 = 642 hits nothing of theirs, so nothing at all).
    EXPECT_TRUE(BruteForceConflicts(all, options.rules).empty());
    const ConflictCount count = CountConflicts(result.carriers, options.fixed, options.rules);
    EXPECT_TRUE(count.clean());
    // Without them in the search, their products hit the set.
    GeneratorOptions blind = options;
    blind.fixed.clear();
    const ConflictCount hit =
        CountConflicts(GenerateSet(rackSlots, blind).carriers, options.fixed, options.rules);
    EXPECT_GT(hit.carriersHit + hit.fixedHit, 0);
}

TEST(RackSet, BackupsAreCleanAgainstTheSetAndTheFixedCarriers) {
    const std::vector<CoordinationSlot> rackSlots = Slots({{34, 10}, {36, 10}});
    GeneratorOptions options = Fixed(CoordinationRules{}, 300);
    options.fixed = {{612400, "IEM 1"}, {613100, "IEM 2"}};
    options.backups = 6;
    const GeneratorResult result = GenerateSet(rackSlots, options);
    ASSERT_EQ(Filled(result).size(), 20u);
    ASSERT_EQ(result.backups.size(), 6u);
    EXPECT_TRUE(std::ranges::is_sorted(result.backups));
    bool bothBands[2] = {false, false};
    for (const int backup : result.backups) {
        std::vector<int> all = result.carriers;
        all.push_back(backup);
        for (const FixedCarrier& fixed : options.fixed) {
            all.push_back(fixed.kHz);
        }
        EXPECT_TRUE(BruteForceConflicts(all, options.rules).empty()) << backup;
        EXPECT_EQ(std::ranges::count(result.carriers, backup), 0);
        bothBands[0] = bothBands[0] || backup > 638000;
        bothBands[1] = bothBands[1] || backup < 636000;
    }
    EXPECT_TRUE(bothBands[0] && bothBands[1]) << "backups for each band's rows";
}

} // namespace
} // namespace k7
