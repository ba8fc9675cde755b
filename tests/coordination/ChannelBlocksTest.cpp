// The generator's window counts against the full check: after any run of carriers joining and
// leaving, a channel is free exactly when a carrier there would be in no conflict.
#include "coordination/ChannelBlocks.h"
#include "BruteForce.h"
#include "coordination/SeededRandom.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace k7 {
namespace {

std::vector<int> Channels(int low, int count, int step) {
    std::vector<int> channels;
    for (int i = 0; i < count; ++i) {
        channels.push_back(low + i * step);
    }
    return channels;
}

TEST(ChannelBlocks, FreeChannelsMatchTheFullCheckAsCarriersComeAndGo) {
    SeededRandom random(7);
    for (int round = 0; round < 20; ++round) {
        const int step = round % 3 == 0 ? 125 : 25;
        const std::vector<int> channels = Channels(640000, 120, step);
        const auto window = [&] { return random.below(4) == 0 ? 0 : 10 + 5 * random.below(30); };
        const CoordinationRules rules{window(), window(), window(), window()};
        ChannelBlocks blocks(channels, rules);
        std::vector<int> set;
        for (int move = 0; move < 12; ++move) {
            if (!set.empty() && random.below(3) == 0) {
                const auto out = set.begin() + random.below(static_cast<int>(set.size()));
                blocks.Remove(*out);
                set.erase(out);
            } else {
                // Carriers off the list and off the raster too, as locked carriers may be.
                const int kHz = random.below(4) == 0
                                    ? 639000 + random.below(30000)
                                    : channels[static_cast<std::size_t>(random.below(120))];
                if (std::ranges::find(set, kHz) != set.end()) {
                    continue;
                }
                blocks.Add(kHz);
                set.push_back(kHz);
            }
            for (int i = 0; i < blocks.channelCount(); ++i) {
                ASSERT_EQ(blocks.IsFree(i), !WouldConflict(set, channels[i], rules))
                    << "round " << round << " move " << move << " channel " << channels[i];
            }
        }
    }
}

TEST(ChannelBlocks, ImpactCountsTheFreeChannelsACarrierWouldTake) {
    const std::vector<int> channels = Channels(600000, 400, 25);
    ChannelBlocks blocks(channels, CoordinationRules{});
    for (const int kHz : {602000, 604500, 605100}) {
        blocks.Add(kHz);
    }
    const auto freeCount = [&] {
        int count = 0;
        for (int i = 0; i < blocks.channelCount(); ++i) {
            count += blocks.IsFree(i) ? 1 : 0;
        }
        return count;
    };
    for (const int candidate : {600000, 603000, 607500, 609975}) {
        const int before = freeCount();
        const int impact = blocks.Impact(candidate);
        blocks.Add(candidate);
        EXPECT_EQ(impact, before - freeCount()) << candidate;
        EXPECT_GT(impact, 0);
        blocks.Remove(candidate);
        EXPECT_EQ(freeCount(), before);
    }
}

} // namespace
} // namespace k7
