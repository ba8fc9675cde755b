// The pure rules of start-up: sizing by device count, the receiver-count label, the decimal
// separator, the title base and the polling counts.
#include "app/StartupRules.h"
#include "link/DeviceTables.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

// Up to four receivers a quarter wide each (no pixel for a twip) and half high; 9 to 12 and 17
// and 18 three quarters high, the window a pixel taller; every other rack the whole panel.
TEST(WindowSizing, PanelAndWindowByRackSize) {
    const struct {
        std::vector<int> racks;
        QSize panel;
        QSize client;
    } cases[] = {{{1}, {200, 350}, {200, 350}},
                 {{2}, {400, 350}, {400, 350}},
                 {{3}, {600, 350}, {600, 350}},
                 {{4}, {800, 350}, {800, 350}},
                 {{9, 10, 11, 12, 17, 18}, {800, 525}, {800, 526}},
                 {{5, 8, 13, 16, 19, 24, 40}, {800, 700}, {800, 700}}};
    for (const auto& c : cases) {
        for (const int n : c.racks) {
            EXPECT_EQ(SizeForDevices(n).panel, c.panel) << n;
            EXPECT_EQ(SizeForDevices(n).client, c.client) << n;
        }
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
