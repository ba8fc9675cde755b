// The pure rules of start-up: sizing by device count, the receiver-count label, the decimal
// separator, the title base and the polling counts.
#include "app/StartupRules.h"
#include "link/DeviceTables.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(WindowSizing, SmallRacksShrinkPanelAndWindowTogether) {
    const RackWindowSize one = SizeForDevices(1);
    EXPECT_EQ(one.panel, QSize(200, 350)) << "a quarter wide, half high";
    EXPECT_EQ(one.client, QSize(200, 350));
    EXPECT_EQ(SizeForDevices(2).panel, QSize(400, 350));
    EXPECT_EQ(SizeForDevices(3).panel, QSize(600, 350)) << "no pixel for a twip";
    EXPECT_EQ(SizeForDevices(3).client, QSize(600, 350));
    EXPECT_EQ(SizeForDevices(4).panel, QSize(800, 350)) << "four: only the height halves";
    EXPECT_EQ(SizeForDevices(4).client, QSize(800, 350));
}

TEST(WindowSizing, ThreeQuarterHeightRacksAndUnchangedOnes) {
    for (int n : {9, 10, 11, 12, 17, 18}) {
        EXPECT_EQ(SizeForDevices(n).panel, QSize(800, 525)) << n;
        EXPECT_EQ(SizeForDevices(n).client, QSize(800, 526)) << n;
    }
    for (int n : {5, 8, 13, 16, 19, 24, 40}) {
        EXPECT_EQ(SizeForDevices(n).panel, QSize(800, 700)) << n;
        EXPECT_EQ(SizeForDevices(n).client, QSize(800, 700)) << n;
    }
}

TEST(ReceiverCountLabel, PluralForEveryModelButJapanese) {
    EXPECT_EQ(ReceiverCountLabel(1, ModelK75), QStringLiteral("1 K7.5"));
    EXPECT_EQ(ReceiverCountLabel(3, ModelK75), QStringLiteral("3 K7.5s"));
    EXPECT_EQ(ReceiverCountLabel(8, ModelK73), QStringLiteral("8 K7.3s"));
    EXPECT_EQ(ReceiverCountLabel(12, ModelJapanese), QStringLiteral("12 Japanese"));
    EXPECT_EQ(ReceiverCountLabel(1, ModelJapanese), QStringLiteral("1 Japanese"));
}

TEST(DecimalSeparator, FromTheLocaleWithPointForAnEmptyAnswer) {
    EXPECT_EQ(DecimalSeparatorCodeFor(QLocale(QLocale::German, QLocale::Germany)), ',');
    EXPECT_EQ(DecimalSeparatorCodeFor(QLocale::c()), '.');
    EXPECT_EQ(DecimalSeparatorCodeFor(QString()), '.') << "never the frame letter 'R'";
    EXPECT_EQ(DecimalSeparatorCodeFor(QStringLiteral(",x")), ',');
}

TEST(TitleBase, VersionThenTwentyNineBlanks) {
    const QString title = MakeTitleBase(2, 0, 14);
    EXPECT_EQ(title, QStringLiteral("Veltora K7 Monitoring -- Ver: 2.0.14") +
                         QString(29, QLatin1Char(' ')));
}

TEST(PollingCounts, AboutTwentySecondsOfAnswersAndOneSecondsWorth) {
    // One receiver at 50 ms: 20 answers a second, 400 in 20 s.
    EXPECT_EQ(PollingCountsFor(50, 1).AnswersPerSecond, 20);
    EXPECT_EQ(PollingCountsFor(50, 1).HoldAnswers, 400);
    // 24 receivers at 4 ms: 1000 / 96 = 10.4 -> 10.
    EXPECT_EQ(PollingCountsFor(4, 24).AnswersPerSecond, 10);
    EXPECT_EQ(PollingCountsFor(4, 24).HoldAnswers, 200);
    // 1000 / (4 * 16) = 15.625 -> 16; halves go to even: 1000 / (16 * 5) = 12.5 -> 12.
    EXPECT_EQ(PollingCountsFor(4, 16).AnswersPerSecond, 16);
    EXPECT_EQ(PollingCountsFor(16, 5).AnswersPerSecond, 12);
    EXPECT_EQ(PollingCountsFor(0, 5).HoldAnswers, 0) << "no division by zero";
}

} // namespace
} // namespace k7
