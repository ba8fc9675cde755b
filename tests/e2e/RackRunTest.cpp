// A metering rack on the simulator: the answer-rate check, the watchdog, and programming
// passes as the receivers see them. (One query a tick, slot after slot: the recorded wire logs.)
#include "rack/Protocol.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

// userMuted: the receivers (0-based) the operator has muted.
std::unique_ptr<RackHarness> meteringRack(int n, std::initializer_list<int> userMuted = {}) {
    sim::Scenario scenario = sim::Scenario::simulated(n, 3);
    for (int i : userMuted) {
        scenario.receivers[static_cast<std::size_t>(i)].bandType = kBandTypeUserMute;
    }
    auto h = std::make_unique<RackHarness>(scenario);
    EXPECT_EQ(h->Start(), n);
    EXPECT_TRUE(h->RunToMonitoring());
    return h;
}

std::vector<std::uint8_t> bytes(const SettingsFrame& frame) {
    return {frame.begin(), frame.end()};
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
    EXPECT_TRUE(h->Monitoring());
    h->display.calls.clear();
    const int queries = h->receiver(2).countOf('D');
    h->clock.advanceMs(5000); // still silent: still polled, not blanked again
    EXPECT_TRUE(h->display.calls.isEmpty());
    EXPECT_GT(h->receiver(2).countOf('D'), queries + 20);
    h->line.cut(2, false);
    h->clock.advanceMs(5000);
    EXPECT_FALSE(h->rack.SlowFlag[3]);
}

TEST(AnswerRate, BlanksThePanelOfEachLayout) {
    const std::pair<int, QStringList> cases[] = {
        {12, {"ClearPanel", "PrepareCells16", "ShowPanel"}},
        {20, {"ClearPanel", "PrepareCells24", "ShowPanel"}},
        {30, {"ClearPanel", "PrepareCells40", "ShowPanel"}}};
    for (const auto& [n, expected] : cases) {
        auto h = meteringRack(n);
        // Metering started on the same layout (each answer's cell: AnswerParserTest).
        const QStringList& calls = h->display.calls;
        EXPECT_EQ(calls.mid(calls.size() - 3),
                  (QStringList{"ResetPeaks", expected[1], "ShowPanel"}))
            << n;
        // No receiver can give this many answers: every one becomes slow at the next check.
        h->rack.AnswersPerSecond = 1000;
        h->display.calls.clear();
        h->clock.advanceMs(5000);
        EXPECT_EQ(h->display.calls, expected) << n;
    }
}

TEST(Watchdog, AnUnpluggedReceiverEndsMonitoringWithinTwoSecondsACountNotGivenDoesNot) {
    sim::Scenario scenario = sim::Scenario::simulated(6, 3);
    scenario.receivers[4].faults.unplugAtMs = 20000;
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 6);
    ASSERT_TRUE(h.RunToMonitoring());
    h.line.listStatus = FT_IO_ERROR; // no count is no verdict
    h.clock.advanceMs(4100);
    EXPECT_EQ(h.engine.Activity(), RackActivity::Monitoring);
    h.line.listStatus = FT_OK;
    ASSERT_LT(h.NowMs(), 20000);
    ASSERT_TRUE(
        h.clock.runUntil([&] { return h.engine.Activity() == RackActivity::Closing; }, 30000));
    EXPECT_GE(h.NowMs(), 20000.0);
    EXPECT_LE(h.NowMs(), 22000.0);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(h.timers.enabled(tag)) << tag;
    }
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    const int queries = h.receiver(0).countOf('D');
    h.clock.advanceMs(10000);
    EXPECT_EQ(h.receiver(0).countOf('D'), queries);
}

// The receivers the operator muted stay muted through a changed-only pass, and the tables say
// so: a name frame carries the receiver's own user mute.
TEST(Passes, ChangedOnlySendsTheNameFrameOnlyWhereTheNameDiffersAndThenNothing) {
    auto h = meteringRack(3, {0, 1});
    h->clock.advanceMs(500);
    ASSERT_TRUE(h->rack.UserMute[1] && h->rack.UserMute[2] && !h->rack.UserMute[3]);
    std::vector<SettingsRow> rows(h->rack.RxData.begin() + 1, h->rack.RxData.begin() + 4);
    rows[1].Name = QStringLiteral("LEAD__");
    h->ReadAsLastFile(QStringLiteral("Show.frq"), RackHarness::FileOf(rows));
    h->rackFiles.AcceptLoadedFile();
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(0).countOf('M') + h->receiver(2).countOf('M'), 0);
    ASSERT_EQ(h->receiver(1).countOf('M'), 1);
    EXPECT_TRUE(h->receiver(1).framesOf('M')[0].accepted);
    EXPECT_EQ(h->receiver(1).framesOf('M')[0].bytes[11], kBandTypeUserMute);
    EXPECT_EQ(QByteArray(h->receiver(1).name().data(), 6), "LEAD__");
    const auto agree = [&] {
        for (int i = 0; i < 3; ++i) {
            const auto s = static_cast<std::size_t>(i + 1);
            const bool muted = i < 2;
            EXPECT_EQ(h->receiver(i).userMute(), muted) << i;
            EXPECT_EQ(h->rack.UserMute[s], muted) << i;
            EXPECT_EQ(h->rack.CurData[s].BandType, muted ? QStringLiteral("64") : "0") << i;
        }
    };
    agree();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(h->receiver(i).countOf('I'), 0) << i;
    }
    EXPECT_EQ(h->rack.RxData[2].Name, QStringLiteral("LEAD__"));
    EXPECT_FALSE(h->engine.State().ChangedOnly);
    EXPECT_TRUE(h->engine.State().ProgramRack);
    h->clock.advanceMs(500); // what the receivers answer keeps the tables as they are
    agree();
    h->rackFiles.AcceptLoadedFile();
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(1).countOf('M'), 1);
    agree();
}

TEST(Passes, AChangedFrequencyGoesOut90MsAfterItsSlotsTickUnlessTheBandRefusesIt) {
    auto h = meteringRack(3);
    std::vector<SettingsRow> rows(h->rack.RxData.begin() + 1, h->rack.RxData.begin() + 4);
    rows[0].Frequency = QStringLiteral("999.000");
    rows[1].Frequency = QStringLiteral("61x.000");
    rows[2].Frequency = QStringLiteral("612.300");
    h->ReadAsLastFile(QStringLiteral("Show.frq"), RackHarness::FileOf(rows));
    const QString before = h->rack.RxData[1].Frequency;
    h->rackFiles.AcceptLoadedFile();
    const std::int64_t started = h->clock.nowMicros();
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(0).countOf('I') + h->receiver(1).countOf('I'), 0);
    EXPECT_EQ(h->rack.RxData[1].Frequency, before);
    ASSERT_EQ(h->receiver(2).countOf('I'), 1);
    EXPECT_EQ(h->receiver(2).framesOf('I')[0].atMicros - started, (4 * 120 + 90) * 1000);
    EXPECT_EQ(h->receiver(2).frequency(), (std::array<std::uint8_t, 3>{61, 23, 0}));
    EXPECT_EQ(h->rack.RxData[3].Frequency, QStringLiteral("612.300"));
}

TEST(Passes, AFullPassSendsNameThenFrequency90MsLaterToEverySlot) {
    auto h = meteringRack(3);
    const char* frequencies[] = {"606.600", "611.005", "612.300"};
    for (int s = 1; s <= 3; ++s) {
        h->rack.CurData[static_cast<std::size_t>(s)] =
            SettingsRow{QStringLiteral("CH%1").arg(s), QString::fromLatin1(frequencies[s - 1]),
                        QStringLiteral("5"), QStringLiteral("64")};
    }
    ASSERT_TRUE(h->engine.StartProgrammingPass(PassKind::Full)); // as the file-open command does
    ASSERT_TRUE(h->RunToMonitoring());
    for (int i = 0; i < 3; ++i) {
        const sim::SimulatedReceiver& rx = h->receiver(i);
        ASSERT_EQ(rx.countOf('M'), 1) << i;
        ASSERT_EQ(rx.countOf('I'), 1) << i;
        const sim::ReceivedFrame m = rx.framesOf('M')[0];
        const sim::ReceivedFrame f = rx.framesOf('I')[0];
        EXPECT_TRUE(m.accepted && f.accepted) << i;
        EXPECT_EQ(m.bytes[11], 64) << i; // the band/type byte as it was
        EXPECT_EQ(f.atMicros - m.atMicros, 90000) << i;
        EXPECT_EQ(f.bytes, bytes(*BuildFrequencyFrame(h->rack, i + 1))) << i;
        EXPECT_EQ(rx.frequency(), *FrequencyBytes(QString::fromLatin1(frequencies[i]))) << i;
        // The tables say what the receiver now does: its user mute is on.
        EXPECT_TRUE(rx.userMute()) << i;
        EXPECT_TRUE(h->rack.UserMute[static_cast<std::size_t>(i + 1)]) << i;
        EXPECT_EQ(h->rack.CurData[static_cast<std::size_t>(i + 1)].BandType, QStringLiteral("64"));
    }
}

TEST(Passes, APassStopsPollingItselfAndKeepsTheFrequencyFrameFromOtherWrites) {
    auto h = meteringRack(2);
    h->rack.CurData[1].Frequency = QStringLiteral("606.600");
    const int queries = h->receiver(0).countOf('D') + h->receiver(1).countOf('D');
    ASSERT_TRUE(h->engine.StartProgrammingPass(PassKind::Full)); // timers 0, 2 and 4 were running
    h->clock.advanceMs(120 + 120 + 1); // start tick, slot 1's "M"; its "I" waits
    EXPECT_FALSE(h->timers.enabled(PollTimer));
    EXPECT_FALSE(h->timers.enabled(WatchdogTimer));
    EXPECT_FALSE(h->timers.enabled(AnswerRateTimer));
    EXPECT_EQ(h->engine.Activity(), RackActivity::Pass);
    EXPECT_FALSE(h->engine.PollingMayRun());
    h->link.TxBuffer.fill(0xEE); // another exchange in the 90 ms reuses the transmit buffer
    h->clock.advanceMs(90);
    ASSERT_EQ(h->receiver(0).countOf('I'), 1);
    EXPECT_EQ(h->receiver(0).framesOf('I')[0].bytes, bytes(*BuildFrequencyFrame(h->rack, 1)));
    ASSERT_TRUE(h->RunToMonitoring());
    EXPECT_EQ(h->receiver(0).countOf('D') + h->receiver(1).countOf('D'), queries);
}

TEST(Passes, TheOpeningPassShowsItsProgressAndTellsASnapshotThatFailed) {
    RackHarness h(sim::Scenario::simulated(3, 3));
    h.rackFiles.snapshotWrites = false;
    ASSERT_EQ(h.Start(), 3);
    ASSERT_TRUE(h.clock.runUntil([&] { return h.engine.State().ProgrammingBusy; }, 5000));
    EXPECT_EQ(h.dialog.activity, QStringLiteral("Using Rx data:"));
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::Progress);
    h.clock.advanceMs(240);
    EXPECT_EQ(h.dialog.activity, QStringLiteral("Opening Rx: "));
    EXPECT_EQ(h.dialog.receiverNumber, QStringLiteral("2"));
    EXPECT_EQ(h.dialog.progress, 2);
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_TRUE(h.dialog.receiverNumber.isEmpty());
    ASSERT_EQ(h.prompter.boxes.size(), 1u);
    EXPECT_TRUE(h.prompter.boxes[0].text.contains(QStringLiteral("Rack_Data.frq")));
    EXPECT_EQ(h.shell.titles, QStringList{"Using: Receiver Data"});
}

} // namespace
} // namespace k7::test
