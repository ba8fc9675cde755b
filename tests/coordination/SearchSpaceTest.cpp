// The generator's bookkeeping against the full check: after any run of carriers joining and
// leaving a rack of mixed bands with kept, fixed and excluded carriers, a channel is free exactly
// when a carrier there would be in no conflict and the carriers would still all have a slot of
// their band.
#include "coordination/SearchSpace.h"
#include "BruteForce.h"
#include "coordination/SeededRandom.h"
#include "coordination/SetGenerator.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7 {
namespace {

struct Rack {
    std::vector<CoordinationSlot> rackSlots;
    GeneratorOptions options;
};

// A few slots of two or three bands that share channels, some locked, with fixed carriers,
// floating locks and an excluded range; windows drawn at random.
Rack RandomRack(SeededRandom& random) {
    static const std::vector<std::vector<int>> kBandSets{{34, 36}, {32, 11, 14}, {36}, {14}};
    const std::vector<int>& bands = kBandSets[static_cast<std::size_t>(random.below(4))];
    Rack rack;
    for (const int code : bands) {
        const BandPlan band = *BandPlan::ForBand(code);
        for (int n = 1 + random.below(4); n > 0; --n) {
            std::optional<int> locked;
            if (random.below(5) == 0) {
                locked = band.ChannelAt(random.below(band.ChannelCount()));
            }
            rack.rackSlots.push_back({band, locked});
        }
    }
    const BandPlan first = rack.rackSlots.front().band;
    const auto window = [&] { return random.below(4) == 0 ? 0 : 10 + 5 * random.below(30); };
    rack.options.rules = {window(), window(), window(), window()};
    for (int n = random.below(3); n > 0; --n) {
        rack.options.fixed.push_back(
            {first.lowest() - 2000 + random.below(first.highest() - first.lowest() + 4000), "IEM"});
    }
    if (random.below(2) == 0) {
        rack.options.locked.push_back(first.ChannelAt(random.below(first.ChannelCount())));
    }
    const int low = first.ChannelAt(random.below(first.ChannelCount()));
    rack.options.excluded.push_back({low, low + 1500});
    return rack;
}

BandMask MaskOf(const SearchSpace& space, int kHz) {
    for (int i = 0; i < space.channelCount(); ++i) {
        if (space.channel(i) == kHz) {
            return space.bands(i);
        }
    }
    return 0;
}

TEST(SearchSpace, FreeChannelsMatchTheFullCheckAndTheSlotsAsCarriersComeAndGo) {
    SeededRandom random(321);
    int freeSeen = 0;
    int fullSeen = 0;
    int cleanButFullSeen = 0;
    for (int round = 0; round < 16; ++round) {
        const Rack rack = RandomRack(random);
        SearchSpace space(rack.rackSlots, rack.options);
        // Everything that stays: locked slots, placed and unplaced locks, fixed carriers.
        std::vector<int> kept = rack.options.locked;
        for (const CoordinationSlot& slot : rack.rackSlots) {
            if (slot.lockedKHz) {
                kept.push_back(*slot.lockedKHz);
            }
        }
        for (const FixedCarrier& fixed : rack.options.fixed) {
            kept.push_back(fixed.kHz);
        }
        for (int move = 0; move < 14; ++move) {
            const std::vector<int>& chosen = space.chosen();
            if (!chosen.empty() && random.below(3) == 0) {
                space.Remove(chosen[static_cast<std::size_t>(
                    random.below(static_cast<int>(chosen.size())))]);
            } else {
                std::vector<int> free;
                space.ForEachFree([&free](int index) { free.push_back(index); });
                if (!free.empty()) {
                    space.Add(free[static_cast<std::size_t>(
                        random.below(static_cast<int>(free.size())))]);
                }
            }
            std::vector<int> carriers = kept;
            std::vector<BandMask> masks;
            for (const int kHz : space.placedLocks()) {
                masks.push_back(MaskOf(space, kHz));
            }
            for (const int index : space.chosen()) {
                carriers.push_back(space.channel(index));
                masks.push_back(space.bands(index));
            }
            fullSeen += space.full() ? 1 : 0;
            // A sample of the channels of a large list, every channel of a small one.
            for (int i = 0; i < space.channelCount(); ++i) {
                if (space.channelCount() > 200 && random.below(12) != 0) {
                    continue;
                }
                const int kHz = space.channel(i);
                const bool excluded = std::ranges::any_of(
                    rack.options.excluded, [kHz](const KHzRange& r) { return r.contains(kHz); });
                const bool clean = !excluded && !WouldConflict(carriers, kHz, rack.options.rules);
                std::vector<BandMask> withIt = masks;
                withIt.push_back(space.bands(i));
                const bool fits =
                    std::ranges::count(SlotCapacity::Assign(withIt, space.groupSlots()), -1) == 0;
                ASSERT_EQ(space.IsClean(i), clean)
                    << "round " << round << " move " << move << " channel " << kHz;
                ASSERT_EQ(space.IsFree(i), clean && fits)
                    << "round " << round << " move " << move << " channel " << kHz;
                freeSeen += clean && fits ? 1 : 0;
                cleanButFullSeen += clean && !fits ? 1 : 0;
            }
        }
    }
    EXPECT_GT(freeSeen, 1000);
    EXPECT_GT(fullSeen, 0);
    EXPECT_GT(cleanButFullSeen, 100); // the slots did decide some channels
}

} // namespace
} // namespace k7
