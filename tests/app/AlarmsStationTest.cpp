// The alarms through the whole station on the simulated rack: a machine without a sound output
// starts and meters, says so once on standard error and in the trace, and still traces when a
// tone would have sounded; the key A acknowledges through the main window's controller (the
// banner on the screen: StationWindowsTest).
#include "support/StationRig.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(StationAlarms, WithoutASoundOutputTheStationMetersAndTracesEveryToneItCouldNotPlay) {
    sim::Scenario scenario = test::RackOf(3);
    for (auto& receiver : scenario.receivers) {
        receiver.mute = 1; // never muted: the battery is always read
        receiver.rf = {200, 250};
    }
    scenario.receivers[0].battery = 60; // under the low mark from the start
    test::StationRig rig(scenario);
    rig.tones.device = false;
    Station& station = *rig.station;

    testing::internal::CaptureStderr();
    ASSERT_TRUE(station.Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    const qsizetype drawn = rig.display.draws.size();
    rig.clock.advanceMs(30000); // the gauge reads after its 20-s hold, then the alert's hold
    const QString errors = QString::fromStdString(testing::internal::GetCapturedStderr());
    EXPECT_EQ(errors.count(QStringLiteral("no sound output")), 1) << qPrintable(errors);
    EXPECT_GT(rig.display.draws.size(), drawn + 100) << "the receivers are metered";

    std::vector<QJsonObject> alarms = rig.Traced(QStringLiteral("alarm"));
    ASSERT_GE(alarms.size(), 3u);
    EXPECT_EQ(alarms[0][QStringLiteral("state")].toString(), QStringLiteral("no-audio-device"));
    EXPECT_EQ(alarms[1][QStringLiteral("state")].toString(), QStringLiteral("raised"));
    EXPECT_EQ(alarms[1][QStringLiteral("kind")].toString(), QStringLiteral("battery"));
    EXPECT_EQ(alarms[2][QStringLiteral("state")].toString(), QStringLiteral("tone"));
    EXPECT_FALSE(alarms[2][QStringLiteral("audible")].toBool(true));
    EXPECT_EQ(rig.tones.played, 0);

    station.window().KeyPressed(MainWindowController::kAcknowledgeKey);
    rig.clock.advanceMs(30000); // no tone after the acknowledgement: its line stays the last
    alarms = rig.Traced(QStringLiteral("alarm"));
    EXPECT_EQ(alarms.back()[QStringLiteral("state")].toString(), QStringLiteral("acknowledged"));
    EXPECT_EQ(alarms.back()[QStringLiteral("unacknowledged")].toInt(-1), 0);

    station.CloseNow();
}

} // namespace
} // namespace k7
