// The record of alerts: one alert of a kind per receiver at a time, what its cell shows (the
// most urgent alert up, else the most urgent one ended unseen), and a long run that keeps the
// latest ended alerts and every open one.
#include "monitor/AlertList.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(AlertList, ACellShowsItsMostUrgentAlertUpElseOneEndedUnseen) {
    AlertList alerts;
    const QDateTime now(QDate(2024, 5, 3), QTime(20, 0));
    ASSERT_NE(alerts.Start(AlertKind::Battery, 4, {}, 0, 10, now, {}), nullptr);
    EXPECT_EQ(alerts.Start(AlertKind::Battery, 4, {}, 0, 20, now, {}), nullptr) << "one at a time";
    EXPECT_EQ(alerts.Start(AlertKind::RfLost, 41, {}, 0, 20, now, {}), nullptr) << "no such slot";
    alerts.Start(AlertKind::RfLost, 4, {}, 0, 30, now, {});
    EXPECT_EQ(alerts.CellOf(4), (CellAlerts{AlertKind::RfLost, {}}));

    ASSERT_NE(alerts.End(AlertKind::RfLost, 4, 40, now, {}), nullptr);
    EXPECT_EQ(alerts.End(AlertKind::RfLost, 4, 50, now, {}), nullptr);
    EXPECT_EQ(alerts.CellOf(4), (CellAlerts{AlertKind::Battery, AlertKind::RfLost}));
    alerts.AcknowledgeEnded();
    EXPECT_EQ(alerts.CellOf(4), (CellAlerts{AlertKind::Battery, {}}));
    EXPECT_EQ(alerts.ActiveCount(), 1);
    EXPECT_EQ(alerts.size(), 2u);
}

TEST(AlertList, ALongRunKeepsTheLatestEndedAlertsAndEveryOpenOne) {
    AlertList alerts;
    const QDateTime now(QDate(2024, 5, 3), QTime(20, 0));
    alerts.Start(AlertKind::Battery, 1, QStringLiteral("FIRST"), 0, 0, now, {});
    const std::int64_t extra = 7;
    for (std::int64_t i = 0; i < std::int64_t(AlertList::kKept) + extra; ++i) {
        alerts.Start(AlertKind::RfLost, 2, {}, i, i, now, QString::number(i));
        alerts.End(AlertKind::RfLost, 2, i, now, {});
    }
    alerts.Start(AlertKind::RfLost, 3, {}, 0, 0, now, {});
    ASSERT_EQ(alerts.size(), AlertList::kKept + 2);
    EXPECT_EQ(alerts.at(0).name, QStringLiteral("FIRST"));
    EXPECT_TRUE(alerts.at(0).active());
    EXPECT_EQ(alerts.at(1).detail, QString::number(extra)) << "the oldest ended ones went";
    EXPECT_TRUE(alerts.IsOpen(3, AlertKind::RfLost));
}

} // namespace
} // namespace k7
