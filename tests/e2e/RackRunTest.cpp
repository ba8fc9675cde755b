// A metering rack on the simulator: the answer-rate check, the watchdog, and programming
// passes as the receivers see them.
#include "rack/Protocol.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

std::unique_ptr<RackHarness> meteringRack(int n, bool immediate = false) {
    sim::Scenario scenario = sim::Scenario::simulated(n, 3);
    scenario.immediateAnswers = immediate;
    auto h = std::make_unique<RackHarness>(scenario);
    EXPECT_EQ(h->Start(), n);
    EXPECT_TRUE(h->RunToMonitoring());
    return h;
}

TEST(AnswerRate, AReceiverThatStopsAnsweringIsFlaggedAndThePanelBlankedOnce) {
    auto h = meteringRack(4);
    h->clock.advanceMs(5000);
    EXPECT_FALSE(h->rack.SlowFlag[3]);
    h->line.cut(2, true);
    h->display.calls.clear();
    h->display.draws.clear();
    h->clock.advanceMs(5000);
    EXPECT_TRUE(h->rack.SlowFlag[3]);
    EXPECT_FALSE(h->rack.SlowFlag[1]);
    EXPECT_EQ(h->display.calls, (QStringList{"PrepareCells8", "ShowPanel"}));
    EXPECT_FALSE(h->display.draws.contains(QStringLiteral("8:3,3")));
    h->display.calls.clear();
    h->clock.advanceMs(5000);
    EXPECT_TRUE(h->display.calls.isEmpty());
    h->line.cut(2, false);
    h->clock.advanceMs(5000);
    EXPECT_FALSE(h->rack.SlowFlag[3]);
    EXPECT_TRUE(h->Monitoring());
}

TEST(Watchdog, AnUnpluggedReceiverEndsMonitoringWithinTwoSeconds) {
    sim::Scenario scenario = sim::Scenario::simulated(6, 3);
    scenario.receivers[4].faults.unplugAtMs = 20000;
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 6);
    ASSERT_TRUE(h.RunToMonitoring());
    ASSERT_LT(h.NowMs(), 20000);
    ASSERT_TRUE(
        h.clock.runUntil([&] { return h.engine.Activity() == RackActivity::Closing; }, 30000));
    EXPECT_GE(h.NowMs(), 20000.0);
    EXPECT_LE(h.NowMs(), 22000.0);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(h.timers.enabled(tag)) << tag;
    }
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
}

TEST(Passes, ChangedOnlySendsTheNameFrameOnlyWhereTheNameDiffersAndThenNothing) {
    auto h = meteringRack(3);
    h->files.LoadData = h->rack.RxData;
    h->files.LoadData[2].Name = QStringLiteral("LEAD");
    h->rackFiles.AcceptLoadedFile();
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(0).countOf('M') + h->receiver(2).countOf('M'), 0);
    ASSERT_EQ(h->receiver(1).countOf('M'), 1);
    EXPECT_TRUE(h->receiver(1).framesOf('M')[0].accepted);
    EXPECT_EQ(QByteArray(h->receiver(1).name().data(), 6), "LEAD__");
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(h->receiver(i).countOf('I'), 0) << i;
    }
    h->rackFiles.AcceptLoadedFile();
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(1).countOf('M'), 1);
}

TEST(Passes, AFullPassSendsNameThenFrequency90MsLaterToEverySlot) {
    auto h = meteringRack(3);
    const char* frequencies[] = {"606.600", "611.005", "612.300"}; // 611.005: checksum edge
    for (int s = 1; s <= 3; ++s) {
        h->rack.CurData[static_cast<std::size_t>(s)] =
            SettingsRow{QStringLiteral("CH%1").arg(s), QString::fromLatin1(frequencies[s - 1]),
                        QStringLiteral("5"), QStringLiteral("0")};
    }
    h->rack.PassStart = true;
    h->rack.ProgramRack = true;
    h->rack.ChangedOnly = false;
    h->timers.setEnabled(PassTimer, true);
    ASSERT_TRUE(h->RunToMonitoring());
    for (int i = 0; i < 3; ++i) {
        const sim::SimulatedReceiver& rx = h->receiver(i);
        ASSERT_EQ(rx.countOf('M'), 1) << i;
        ASSERT_EQ(rx.countOf('I'), 1) << i;
        const sim::ReceivedFrame m = rx.framesOf('M')[0];
        const sim::ReceivedFrame f = rx.framesOf('I')[0];
        EXPECT_TRUE(m.accepted && f.accepted) << i;
        EXPECT_EQ(f.atMicros - m.atMicros, 90000) << i;
        EXPECT_NE(f.bytes[12], 'R') << i;
        const auto bytes = FrequencyBytes(QString::fromLatin1(frequencies[i]));
        EXPECT_EQ(rx.frequency(), *bytes) << i;
    }
    EXPECT_EQ(h->receiver(1).framesOf('I')[0].bytes[10], 0);
    EXPECT_EQ(h->receiver(1).framesOf('I')[0].bytes[12], 0x51);
}

TEST(SettingsAnswers, MuteBytesAndFrontPanelChangesReachBothTables) {
    sim::Scenario scenario = sim::Scenario::simulated(2, 3);
    scenario.immediateAnswers = true;
    scenario.receivers[0].mute = 5;
    scenario.receivers[0].muteHighBit = true;
    scenario.receivers[0].settingsEvery = 7;
    scenario.receivers[1].mute = 10;
    sim::ScheduledChange change;
    change.atMs = 6000;
    change.name = std::array<char, 6>{'B', 'A', 'C', 'K', ' ', '2'};
    change.frequency = std::array<std::uint8_t, 3>{61, 5, 50};
    change.mute = 3;
    change.userMute = true;
    scenario.receivers[1].changes.push_back(change);
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 2);
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_TRUE(h.rack.MuteHighBit[1]);
    EXPECT_EQ(h.rack.RxData[1].MuteLevel, QStringLiteral("5"));
    EXPECT_FALSE(h.rack.MuteHighBit[2]);
    EXPECT_EQ(h.rack.RxData[2].MuteLevel, QStringLiteral("10"));
    ASSERT_LT(h.NowMs(), 6000);

    h.clock.advanceMs(7000 - h.NowMs());
    EXPECT_TRUE(h.panel.answeredSlots.contains(1));
    EXPECT_TRUE(h.rack.MuteHighBit[1]);
    EXPECT_EQ(h.rack.CurData[1].MuteLevel, QStringLiteral("5"));
    ASSERT_TRUE(h.panel.answeredSlots.contains(2));
    EXPECT_EQ(h.rack.RxData[2], (SettingsRow{"BACK 2", "610.550", "3", "36"}));
    EXPECT_EQ(h.rack.CurData[2].Name, QStringLiteral("BACK 2"));
    EXPECT_EQ(h.rack.CurData[2].Frequency, QStringLiteral("610.550"));
    EXPECT_EQ(h.rack.CurData[2].MuteLevel, QStringLiteral("3"));
    EXPECT_TRUE(h.rack.UserMute[2]);
}

} // namespace
} // namespace k7::test
