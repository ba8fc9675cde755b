// The scaling tables at their calibration points, the voltage gauge steps and the threshold
// table, against the station's published figures.
#include "display/Scaling.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class ScalingTest : public ::testing::Test {
protected:
    void SetUp() override { BuildScaling(s); }
    Scaling s;
};

TEST_F(ScalingTest, VoltageStepsFollowTheirRule) {
    const std::array<int, 11> expected{0, 109, 119, 128, 138, 148, 157, 167, 176, 194, 212};
    EXPECT_EQ(s.VoltageSteps, expected);
}

TEST_F(ScalingTest, CalibrationPointsLandOnTheirMarks) {
    for (int mark = 0; mark <= 10; ++mark) {
        const int rf = s.RfCalPoints[mark];
        const int audio = s.AudioCalPoints[mark];
        EXPECT_EQ(s.ScaleTable255[rf][RfHeightColumn], std::nearbyint(mark * 25.5)) << mark;
        EXPECT_EQ(s.ScaleTable255[audio][AudioHeightColumn], std::nearbyint(mark * 25.5)) << mark;
        EXPECT_EQ(s.ScaleTable127[rf][RfHeightColumn], std::nearbyint(mark * 12.7)) << mark;
        EXPECT_EQ(s.ScaleTable79[audio][AudioHeightColumn], std::nearbyint(mark * 7.9)) << mark;
    }
    EXPECT_EQ(s.ScaleTable255[85][RfHeightColumn], 51);
}

TEST_F(ScalingTest, BarHeightsAreFlatOutsideTheCalibratedRange) {
    for (int raw : {0, 30, 74}) {
        EXPECT_EQ(s.ScaleTable255[raw][RfHeightColumn], 0) << raw;
    }
    for (int raw : {0, 12}) {
        EXPECT_EQ(s.ScaleTable255[raw][AudioHeightColumn], 0) << raw;
    }
    for (int raw : {175, 200, 255}) {
        EXPECT_EQ(s.ScaleTable255[raw][RfHeightColumn], 255) << raw;
        EXPECT_EQ(s.ScaleTable127[raw][RfHeightColumn], 127) << raw;
        EXPECT_EQ(s.ScaleTable79[raw][RfHeightColumn], 79) << raw;
    }
    EXPECT_EQ(s.ScaleTable255[188][AudioHeightColumn], 255);
    EXPECT_EQ(s.ScaleTable255[255][AudioHeightColumn], 255);
    // Between points the height rises, never falls.
    for (int raw = 1; raw <= 255; ++raw) {
        EXPECT_GE(s.ScaleTable255[raw][RfHeightColumn], s.ScaleTable255[raw - 1][RfHeightColumn]);
        EXPECT_GE(s.ScaleTable255[raw][AudioHeightColumn],
                  s.ScaleTable255[raw - 1][AudioHeightColumn]);
    }
}

TEST_F(ScalingTest, VoltageGaugeHeightsMatchTheExamples) {
    struct Example {
        int firstRaw, lastRaw, step, small, large;
    };
    const Example examples[] = {{99, 118, 1, 5, 10},   {119, 119, 2, 9, 18},  {148, 148, 5, 19, 39},
                                {150, 157, 6, 23, 45}, {175, 176, 8, 29, 58}, {177, 194, 9, 31, 61},
                                {195, 255, 10, 31, 61}};
    for (const Example& e : examples) {
        for (int raw = e.firstRaw; raw <= e.lastRaw; ++raw) {
            EXPECT_EQ(VoltageStep(s, raw), e.step) << raw;
            EXPECT_EQ(s.ScaleTable79[raw][GaugeHeightColumn], e.small) << raw;
            EXPECT_EQ(s.ScaleTable255[raw][GaugeHeightColumn], e.large) << raw;
            EXPECT_EQ(s.ScaleTable127[raw][GaugeHeightColumn], e.large) << raw;
        }
    }
    EXPECT_EQ(s.ScaleTable255[98][GaugeHeightColumn], 0);
    EXPECT_EQ(s.ScaleTable255[0][GaugeHeightColumn], 0);
    EXPECT_EQ(s.ScaleTable255[213][GaugeHeightColumn], s.ScaleTable255[212][GaugeHeightColumn]);
}

TEST_F(ScalingTest, ThresholdTableMatchesThePublishedFigures) {
    const std::array<std::array<int, 10>, 3> expected{{
        {4, 12, 16, 20, 24, 28, 33, 36, 41, 43},
        {21, 47, 62, 73, 88, 99, 114, 125, 140, 148},
        {8, 21, 28, 33, 41, 46, 53, 59, 66, 70},
    }};
    for (int level = 1; level <= 10; ++level) {
        EXPECT_EQ(s.ThresholdTable[level][Bar79], expected[0][level - 1]) << level;
        EXPECT_EQ(s.ThresholdTable[level][Bar255], expected[1][level - 1]) << level;
        EXPECT_EQ(s.ThresholdTable[level][Bar127], expected[2][level - 1]) << level;
    }
    EXPECT_EQ(s.ThresholdTable[0], ThresholdRow{});
    EXPECT_EQ(s.ThresholdTable[11], ThresholdRow{});
}

TEST(MuteLevelRow, OnlyWholeNumbersInsideTheTableIndexIt) {
    const std::pair<const char*, int> cases[] = {
        {"7", 7},    {" 10", 10}, {"", 0},   {"x3", 0},     {"-1", 0},    {"300", 0}, {"255", 255},
        {"010", 10}, {"+4", 4},   {"4 ", 4}, {"0255", 255}, {"\u0663", 0}}; // another script's 3
    for (const auto& [text, row] : cases) {
        EXPECT_EQ(MuteLevelRow(QString::fromUtf8(text)), row) << text;
    }
}

} // namespace
} // namespace k7
