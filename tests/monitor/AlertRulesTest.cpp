// The rules that raise and end the alerts drawn from the readings, fed reading by reading on
// the manual clock: battery low after its hold and never from one reading, RF lost only after
// the transmitter was seen and both antennas stayed under the threshold the meters show, audio
// silent only when switched on and never while muted, the thresholds from the settings, and
// every alert still up ended at the stop.
#include "CsvLines.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

constexpr double kPollMs = 50;
// Mute level 5's marker stands 88 pixels up the 255-pixel RF bar, which raw 97 reaches first
// (96 lights 85 pixels): the threshold the meters show.
constexpr int kThreshold5 = 97;

class AlertRulesTest : public ::testing::Test {
protected:
    void SetUp() override {
        rig.devices.DeviceCount = 2;
        for (int slot = 1; slot <= 2; ++slot) {
            rig.rack.CurData[slot] = {QStringLiteral("VOX_%1_").arg(slot),
                                      QStringLiteral("606.600"), QStringLiteral("5"),
                                      QStringLiteral("0")};
        }
    }

    // One meter answer of the slot with these readings (voltage < 0: not known yet), then the
    // time to the next one.
    void Answer(int slot, int rf, int audio, int voltage, bool muted = false) {
        auto& meter = rig.rack.MeterData[slot];
        meter[RfA] = static_cast<std::uint8_t>(rf);
        meter[RfB] = static_cast<std::uint8_t>(rf);
        meter[AudioLevel] = static_cast<std::uint8_t>(audio);
        rig.rack.VoltageKnown[slot] = voltage >= 0;
        meter[Voltage] = static_cast<std::uint8_t>(std::max(voltage, 0));
        rig.rack.LastMuted = muted ? 1 : 0;
        monitor.MeterAnswered(slot, slot);
        rig.clock.advanceMs(kPollMs);
    }
    // Answers of the slot for ms milliseconds.
    void Answers(double ms, int slot, int rf, int audio, int voltage, bool muted = false) {
        for (double t = 0; t < ms; t += kPollMs) {
            Answer(slot, rf, audio, voltage, muted);
        }
    }
    bool Up(int slot, AlertKind kind) const { return monitor.alerts().IsOpen(slot, kind); }
    const Alert& Last() const { return monitor.alerts().at(monitor.alerts().size() - 1); }

    RackHarness rig;
    Monitor& monitor = rig.core.monitor();
};

TEST_F(AlertRulesTest, BatteryLowAfterFiveSecondsOfLowReadingsAndNeverFromOne) {
    Answers(1000, 1, 150, 60, 150);
    Answer(1, 150, 60, 100); // one bad reading
    Answers(6000, 1, 150, 60, 150);
    Answers(4950, 1, 150, 60, -1); // low, but not known: the gauge shows nothing
    EXPECT_EQ(monitor.alerts().size(), 0u);

    const double lowFrom = rig.NowMs();
    Answers(5000, 1, 150, 60, 104);
    EXPECT_FALSE(Up(1, AlertKind::Battery)) << "4.95 s of low readings";
    Answer(1, 150, 60, 104);
    ASSERT_TRUE(Up(1, AlertKind::Battery)) << "the reading 5 s after the first low one";
    EXPECT_EQ(Last().sinceMicros, static_cast<std::int64_t>(lowFrom * 1000));
    EXPECT_EQ(Last().startMicros, Last().sinceMicros + 5'000'000);

    Answer(1, 150, 60, 150);       // one good reading ends nothing either
    Answers(3000, 1, 150, 60, -1); // transmitter off for a battery change: still up
    const double goodFrom = rig.NowMs();
    Answers(5000, 1, 150, 60, 190);
    EXPECT_TRUE(Up(1, AlertKind::Battery));
    Answer(1, 150, 60, 190);
    EXPECT_FALSE(Up(1, AlertKind::Battery));
    EXPECT_EQ(Last().endMicros, static_cast<std::int64_t>(goodFrom * 1000) + 5'000'000);
}

TEST_F(AlertRulesTest, RfLostAfterTheSetTimeUnderTheMetersThresholdOnceTheTransmitterWasSeen) {
    const int t = kThreshold5;
    Answers(3000, 1, 0, 0, -1); // never seen: nothing to lose
    EXPECT_EQ(monitor.alerts().size(), 0u);

    Answers(500, 1, t, 60, -1);     // one antenna at the threshold is enough to be seen
    Answers(1000, 1, t - 1, 0, -1); // under for 1 s, not longer
    Answers(500, 1, 120, 60, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u);

    const double lostFrom = rig.NowMs();
    Answers(1050, 1, t - 1, 0, -1);
    EXPECT_FALSE(Up(1, AlertKind::RfLost));
    Answer(1, t - 1, 0, -1);
    ASSERT_TRUE(Up(1, AlertKind::RfLost)) << "the first answer more than 1 s after the loss";
    EXPECT_EQ(Last().sinceMicros, static_cast<std::int64_t>(lostFrom * 1000));
    EXPECT_EQ(Last().slot, 1);
    EXPECT_EQ(Last().name, QStringLiteral("VOX_1_"));

    Answer(1, t, 60, -1);
    EXPECT_FALSE(Up(1, AlertKind::RfLost)) << "the first answer back ends it";
    EXPECT_EQ(Last().durationMicros(0), 1'100'000) << "from the first reading under";
}

TEST_F(AlertRulesTest, ANewFrequencyOrAPassForgetsTheTransmitterAndAGapStartsTheHoldAgain) {
    Answers(500, 1, 150, 60, -1);
    rig.rack.CurData[1].Frequency = QStringLiteral("607.000");
    Answers(3000, 1, 0, 0, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u) << "no transmitter seen on the new frequency";

    Answers(500, 1, 150, 60, -1);
    monitor.ProgrammingPassStarted(PassStart{});
    Answers(3000, 1, 0, 0, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u) << "nor after the pass";

    Answers(500, 1, 150, 60, -1);
    Answer(1, 0, 0, -1);
    rig.clock.advanceMs(2000); // no answers: a pass, or polling paused
    Answer(1, 0, 0, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u) << "one reading each side of a gap is no run";
    Answers(1100, 1, 0, 0, -1);
    EXPECT_TRUE(Up(1, AlertKind::RfLost));
}

TEST_F(AlertRulesTest, AudioSilentOnlyWhenSwitchedOnAndNeverWhileMuted) {
    Answers(500, 1, 150, 60, -1);
    Answers(5000, 1, 150, 0, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u) << "off by default";

    AlertSettings settings = monitor.settings();
    settings.audioSilentAfterMs = 2000;
    monitor.SetSettings(settings);
    Answers(3000, 1, 150, 0, -1, true);
    rig.rack.UserMute[1] = true;
    Answers(3000, 1, 150, 0, -1);
    EXPECT_EQ(monitor.alerts().size(), 0u) << "muted, by squelch or by the user";

    rig.rack.UserMute[1] = false;
    Answers(2100, 1, 150, settings.audioSilentAtOrBelow, -1);
    ASSERT_TRUE(Up(1, AlertKind::AudioSilent));
    Answer(1, 150, settings.audioSilentAtOrBelow + 1, -1);
    EXPECT_FALSE(Up(1, AlertKind::AudioSilent));
}

TEST_F(AlertRulesTest, ThresholdsComeFromTheSettingsAndMissingOnesAreWrittenThere) {
    QtSettingsStore store(rig.dir.filePath(QStringLiteral("alerts.ini")));
    const QString section = QStringLiteral("Alerts");
    store.SaveSetting(section, QStringLiteral("RfLostAfterMs"), QStringLiteral("3000"));
    store.SaveSetting(section, QStringLiteral("BatteryLowBelow"), QStringLiteral("lots"));
    const AlertSettings read = ReadAlertSettings(store);
    EXPECT_EQ(read.rfLostAfterMs, 3000);
    EXPECT_EQ(read.batteryLowBelow, 108) << "not a number: the default";
    EXPECT_EQ(store.GetSetting(section, QStringLiteral("AudioSilentAfterMs"), {}),
              QStringLiteral("0"));
    EXPECT_EQ(store.GetSetting(section, QStringLiteral("BatteryHoldMs"), {}),
              QStringLiteral("5000"));

    monitor.SetSettings(read);
    Answers(500, 1, 150, 60, -1);
    Answers(2500, 1, 0, 0, -1);
    EXPECT_FALSE(Up(1, AlertKind::RfLost));
    Answers(600, 1, 0, 0, -1);
    EXPECT_TRUE(Up(1, AlertKind::RfLost));
}

TEST_F(AlertRulesTest, TheStopEndsWhatIsUpAndTheLogTellsEachAlertsLife) {
    Answers(500, 2, 150, 60, -1);
    Answers(1100, 2, 0, 0, -1);
    ASSERT_TRUE(Up(2, AlertKind::RfLost));
    monitor.ReceiverBlanked(1);
    monitor.Stop();
    EXPECT_EQ(monitor.alerts().ActiveCount(), 0);
    Answers(3000, 1, 150, 60, 100);
    EXPECT_EQ(monitor.alerts().size(), 2u) << "nothing is watched after the stop";

    const auto rows = CsvRows(rig.LogFile());
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[1][3], QStringLiteral("rf-lost start"));
    EXPECT_EQ(rows[2][3], QStringLiteral("alarm raised")); // RF lost is an alarm
    EXPECT_EQ(rows[3][3], QStringLiteral("not-answering start"));
    EXPECT_EQ(rows[4][1], QStringLiteral("1"));
    EXPECT_EQ(rows[4][3], QStringLiteral("not-answering end"));
    EXPECT_EQ(rows[4][4], QStringLiteral("after 0.0 s: at the stop"));
    EXPECT_EQ(rows[5][3], QStringLiteral("rf-lost end"));
    EXPECT_EQ(rows[6][3], QStringLiteral("stopped"));
    EXPECT_EQ(rows[1][0], QStringLiteral("2024-05-03 19:30:01.550"));
}

} // namespace
} // namespace k7::test
