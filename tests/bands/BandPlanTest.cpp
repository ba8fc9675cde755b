// The bands in whole kHz against the text check: every channel, every value around a band's
// edges and every value half a raster step off a channel must get the same answer from both.
#include "bands/BandPlan.h"
#include "bands/CheckFrequency.h"
#include "link/DeviceTables.h"
#include "rack/RackTables.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>

namespace k7 {
namespace {

QString Text(int kHz) {
    return QStringLiteral("%1.%2").arg(kHz / 1000).arg(kHz % 1000, 3, 10, QLatin1Char('0'));
}

class BandPlanTest : public ::testing::Test {
protected:
    // What a frequency file read would store for kHz in the band: a text or a token.
    QString readBack(int band, int kHz) {
        devices.DeviceCount = 1;
        devices.SlotBand[1] = band;
        const FrequencyCheck check = checker.CheckFrequency(Text(kHz), true, 1);
        return check.result == FrequencyResult::Range ? QStringLiteral("RANGE") : check.frequency;
    }
    // The band API's word on the same value, in the same form.
    static QString planSays(const BandPlan& plan, int kHz) {
        const std::optional<int> stored = plan.ChannelFor(kHz);
        return stored ? Text(*stored) : QStringLiteral("RANGE");
    }

    DeviceTables devices;
    RackTables rack;
    test::ScriptedPrompter prompter;
    FrequencyChecker checker{devices, rack, prompter};
};

TEST_F(BandPlanTest, OnlyBandsWithLimitsHaveAPlan) {
    const std::vector<int> expected{8, 9, 10, 11, 12, 13, 14, 32, 33, 34, 35, 36};
    EXPECT_EQ(BandPlan::CodesWithLimits(), expected);
    EXPECT_FALSE(BandPlan::ForBand(37));
    EXPECT_FALSE(BandPlan::ForBand(0));
    EXPECT_FALSE(BandPlan::ForBand(-1));
    EXPECT_FALSE(BandPlan::ForBand(kBandCodes));
}

TEST_F(BandPlanTest, EveryChannelReadsBackAsItselfAndNumbersRunInOrder) {
    for (const int code : BandPlan::CodesWithLimits()) {
        SCOPED_TRACE(code);
        const BandPlan plan = *BandPlan::ForBand(code);
        int index = 0;
        int previous = 0;
        for (const int kHz : plan) {
            ASSERT_EQ(readBack(code, kHz), Text(kHz));
            ASSERT_TRUE(plan.IsChannel(kHz));
            ASSERT_EQ(plan.ChannelIndex(kHz), index);
            ASSERT_EQ(plan.ChannelAt(index), kHz);
            ASSERT_EQ(kHz % plan.raster(), 0);
            if (index > 0) { // no channel left out, also across the Japanese band's two ranges
                ASSERT_EQ(kHz, previous + plan.raster());
            }
            previous = kHz;
            ++index;
        }
        EXPECT_EQ(index, plan.ChannelCount());
        EXPECT_EQ(std::distance(plan.begin(), plan.end()), plan.ChannelCount());
        EXPECT_EQ(plan.lowest(), plan.ChannelAt(0));
        EXPECT_EQ(plan.highest(), previous);
    }
}

TEST_F(BandPlanTest, ValuesAroundTheEdgesAndBetweenChannelsAgreeWithTheTextCheck) {
    for (const int code : BandPlan::CodesWithLimits()) {
        SCOPED_TRACE(code);
        const BandPlan plan = *BandPlan::ForBand(code);
        for (const KHzRange& range : plan.ranges()) {
            for (const int edge : {range.low, range.high}) {
                for (int kHz = edge - 2 * plan.raster(); kHz <= edge + 2 * plan.raster(); ++kHz) {
                    const QString stored = readBack(code, kHz);
                    ASSERT_EQ(planSays(plan, kHz), stored) << kHz;
                    ASSERT_EQ(plan.IsChannel(kHz), stored == Text(kHz)) << kHz;
                }
            }
        }
        // Half a raster step either way of every channel: down below the half, up above it.
        const int half = (plan.raster() - 1) / 2;
        for (const int kHz : plan) {
            for (const int off : {kHz + half, kHz + half + 1, kHz - half, kHz - half - 1}) {
                ASSERT_EQ(planSays(plan, off), readBack(code, off)) << off;
                ASSERT_FALSE(plan.IsChannel(off)) << off;
            }
        }
    }
}

TEST_F(BandPlanTest, FirstChannelAtOrAboveMatchesAScan) {
    for (const int code : {34, 14, 9}) {
        SCOPED_TRACE(code);
        const BandPlan plan = *BandPlan::ForBand(code);
        for (int kHz = plan.lowest() - 300; kHz <= plan.highest() + 300; kHz += 7) {
            const auto found = std::find_if(plan.begin(), plan.end(),
                                            [kHz](int channel) { return channel >= kHz; });
            ASSERT_EQ(plan.FirstChannelAtOrAbove(kHz), std::distance(plan.begin(), found)) << kHz;
        }
    }
}

} // namespace
} // namespace k7
