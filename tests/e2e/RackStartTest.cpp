// From start to metering on simulated racks: discovery timing with immediate and latency
// answers, receivers that answer late or never, the load-last-file decision (and the activities
// its observers hear, up to the close), and what the receivers were sent.
#include "rack/Protocol.h"
#include "support/RackHarness.h"

#include <QFile>

#include <gtest/gtest.h>

#include <tuple>

namespace k7::test {
namespace {

sim::Scenario rackOf(int n, bool immediate) {
    sim::Scenario scenario = sim::Scenario::simulated(n, 7);
    scenario.immediateAnswers = immediate;
    return scenario;
}

bool called(const RecordingRackFiles& files, const char* call) {
    return files.calls.contains(QString::fromLatin1(call));
}

// The row discovery stores for a receiver.
SettingsRow reported(const sim::SimulatedReceiver& rx) {
    const auto f = rx.frequency();
    return SettingsRow{QString::fromLatin1(rx.name().data(), 6).replace(' ', '_'),
                       FrequencyText(f[0], f[1], f[2], '.'), QString::number(rx.muteLevel()),
                       QString::number(rx.bandType())};
}

// Racks of each size, with immediate or latency answers.
class StartToMetering : public ::testing::TestWithParam<std::tuple<int, bool>> {};

TEST_P(StartToMetering, CompletesOpensAndMetersEveryReceiver) {
    const int n = std::get<0>(GetParam());
    const bool immediate = std::get<1>(GetParam());
    RackHarness h(rackOf(n, immediate));
    ASSERT_EQ(h.Start(), n);
    EXPECT_EQ(h.engine.Activity(), RackActivity::Discovery);
    ASSERT_TRUE(h.clock.runUntil([&] { return called(h.rackFiles, "CurrentFromRack"); }, 60000));
    // A late answer is read by the next sweep's probe of the slot.
    const int sweepTicks = n + 1;
    EXPECT_EQ(h.NowMs(), (immediate ? sweepTicks : 2 * sweepTicks) * 120.0);
    EXPECT_FALSE(h.timers.enabled(PollTimer));
    const double completed = h.NowMs();
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_EQ(h.NowMs() - completed, (n + 2) * 120.0);
    EXPECT_EQ(h.timers.interval(PollTimer), h.devices.PollInterval);
    EXPECT_TRUE(h.timers.enabled(WatchdogTimer));
    EXPECT_TRUE(h.timers.enabled(AnswerRateTimer));
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::Hidden);
    EXPECT_EQ(h.dialog.activity, QStringLiteral("USB Monitoring"));
    EXPECT_EQ(h.shell.titles, QStringList{"Using: Receiver Data"});
    EXPECT_EQ(h.shell.focusCount, 1);
    EXPECT_TRUE(called(h.rackFiles, "WriteRackSnapshot"));

    ASSERT_TRUE(h.clock.runUntil(
        [&] {
            for (int s = 1; s <= n; ++s) {
                if (h.rack.AnswerCount[static_cast<std::size_t>(s)] < 2) {
                    return false;
                }
            }
            return true;
        },
        5000));
    for (int i = 0; i < n; ++i) {
        const sim::SimulatedReceiver& rx = h.receiver(i);
        const auto slot = static_cast<std::size_t>(i + 1); // locations are in slot order
        EXPECT_EQ(rx.countOf('?'), immediate ? 1 : 2) << i;
        EXPECT_EQ(rx.countOf('M') + rx.countOf('I') + rx.countOf('m'), 0) << i;
        for (const sim::ReceivedFrame& frame : rx.frames()) {
            EXPECT_TRUE(frame.accepted) << i << " " << frame.command;
        }
        EXPECT_EQ(h.rack.RxData[slot], reported(rx)) << i;
        EXPECT_EQ(h.rack.CurData[slot], reported(rx)) << i;
        EXPECT_EQ(h.rack.SlotState[slot], 2);
    }
}

INSTANTIATE_TEST_SUITE_P(Racks, StartToMetering,
                         ::testing::Combine(::testing::Values(1, 8, 9, 16, 24), ::testing::Bool()));

TEST(Discovery, OneReceiverBlinksItsNumberAndSweepsInTwoTicks) {
    sim::Scenario scenario = rackOf(1, true);
    scenario.receivers[0].faults.silent = true;
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 1);
    h.clock.advanceMs(120 * 6 + 1);
    EXPECT_EQ(h.dialog.numbers, (QStringList{"", "1", ""}));
    EXPECT_EQ(h.receiver(0).countOf('?'), 3);
}

TEST(Discovery, AnswersFromTheThirdSweepOrAnUnevaluatedNinthSweep) {
    const std::pair<int, int> cases[] = {{3, 3}, {9, 10}}; // first identify answered, sweep
    for (const auto& [from, acceptedSweep] : cases) {
        sim::Scenario scenario = rackOf(4, true);
        scenario.receivers[2].faults.identifyFrom = from;
        RackHarness h(scenario);
        ASSERT_EQ(h.Start(), 4);
        ASSERT_TRUE(
            h.clock.runUntil([&] { return called(h.rackFiles, "CurrentFromRack"); }, 60000));
        EXPECT_EQ(h.NowMs(), acceptedSweep * 5 * 120.0) << from;
        EXPECT_EQ(h.receiver(2).countOf('?'), acceptedSweep) << from;
    }
}

TEST(Discovery, ASilentReceiverEndsInTheFailureAfterExactly121Sweeps) {
    sim::Scenario scenario = rackOf(2, false);
    scenario.receivers[1].faults.silent = true;
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 2);
    h.clock.advanceMs(121 * 3 * 120 - 1);
    EXPECT_TRUE(h.prompter.boxes.empty());
    h.clock.advanceMs(1);
    ASSERT_EQ(h.prompter.boxes.size(), 1u);
    EXPECT_EQ(h.receiver(1).countOf('?'), 121);
    EXPECT_EQ(h.receiver(0).countOf('?'), 121);
    const MessageBoxSpec& box = h.prompter.boxes[0];
    EXPECT_EQ(box.text, QStringLiteral("At least one receiver is not responding\r\nYou should "
                                       "reconnect your system\r\nPlease read software manual "
                                       "'Appendix A'\r\nMonitoring will close'"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::OK);
    EXPECT_TRUE(box.title.isEmpty());
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(h.timers.enabled(tag)) << tag;
    }
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    EXPECT_EQ(h.engine.Activity(), RackActivity::Closing);
    EXPECT_FALSE(h.engine.PollingMayRun());
    h.engine.StartMonitoring(); // nothing restarts polling on a closing station
    EXPECT_FALSE(h.timers.enabled(PollTimer));
    h.clock.advanceMs(60000);
    EXPECT_EQ(h.receiver(0).countOf('?'), 121);
    EXPECT_EQ(h.receiver(0).countOf('D'), 0);
    EXPECT_TRUE(h.rackFiles.calls.isEmpty());
}

// Band1.frq holds what the receivers report, but mute level 9; it is loaded at start.
FrqDocument LastFileOf(RackHarness& h, int receivers) {
    FrqDocument file{receivers, 5, {}};
    for (int i = 1; i <= kMaxSlots; ++i) {
        file.Entries[static_cast<std::size_t>(i)] =
            i <= receivers ? reported(h.receiver(i - 1))
                           : SettingsRow{"Spare_", "606.600", "5", "0"};
        file.Entries[static_cast<std::size_t>(i)].MuteLevel = QStringLiteral("9");
    }
    return file;
}

class LastFile : public ::testing::Test {
protected:
    LastFile() : h(rackOf(2, true)) { h.LoadAtStart(QStringLiteral("Band1.frq")); }
    void write(const FrqDocument& file) { ASSERT_TRUE(h.core.frq().WriteFile("Band1.frq", file)); }
    RackHarness h;
};

TEST_F(LastFile, ThatMatchesIsAcceptedWithoutAQuestion) {
    write(LastFileOf(h, 2));
    ASSERT_EQ(h.Start(), 2);
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_EQ(h.rackFiles.calls, (QStringList{"LoadRackFile:Band1.frq", "CopyLoadToCurrent",
                                              "RackDiffers", "AcceptLoadedFile"}));
    EXPECT_TRUE(h.files.FileInUse());
    EXPECT_EQ(h.shell.titles, QStringList{"FILE: Band1"});
    EXPECT_EQ(h.receiver(0).muteLevel(), 9); // only the mute level differed
    EXPECT_EQ(h.receiver(1).countOf('I'), 0);
}

TEST_F(LastFile, ThatDiffersWaitsForTheOperatorWithEveryTimerOff) {
    FrqDocument file = LastFileOf(h, 2);
    file.Entries[1].Name = QStringLiteral("OTHER_");
    write(file);
    ASSERT_EQ(h.Start(), 2);
    h.clock.advanceMs(3 * 120);
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::Query);
    EXPECT_EQ(h.engine.Activity(), RackActivity::LoadQuestion);
    EXPECT_FALSE(h.engine.PollingMayRun());
    h.clock.advanceMs(20000);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(h.timers.enabled(tag)) << tag;
    }
    h.rackFiles.CurrentFromRack(); // the operator's "No"
    EXPECT_EQ(h.engine.Activity(), RackActivity::Pass);
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_EQ(h.rack.CurData[1], reported(h.receiver(0)));

    // The observers heard every activity once; a closing station starts no pass.
    h.engine.EnterClosing();
    EXPECT_EQ(h.events.activities,
              (std::vector<RackActivity>{RackActivity::Discovery, RackActivity::LoadQuestion,
                                         RackActivity::Pass, RackActivity::Monitoring,
                                         RackActivity::Closing}));
    EXPECT_FALSE(h.engine.StartProgrammingPass(PassKind::Full));
    EXPECT_FALSE(h.engine.State().PassStart);
    EXPECT_FALSE(h.timers.enabled(PassTimer));
}

TEST_F(LastFile, ThatCannotBeReadIsToldAndTheReceiversDataTaken) {
    enum class Fault { Missing, NoFrequency, Short };
    const std::tuple<Fault, const char*, std::size_t> cases[] = {
        {Fault::Missing, "Band1.frq does not exist \r\nExiting file load\r\n", 1},
        {Fault::NoFrequency,
         "An error occurred reading the file: Band1.frq\r\nExiting file load\r\n", 1},
        // The read's own box with its number comes first.
        {Fault::Short, "An error occurred reading the file: Band1.frq\r\nExiting file load\r\n",
         2}};
    for (const auto& [fault, text, boxes] : cases) {
        RackHarness run(rackOf(1, true));
        run.LoadAtStart(QStringLiteral("Band1.frq"));
        FrqDocument file = LastFileOf(run, 1);
        file.Entries[2].Frequency.clear();
        if (fault == Fault::NoFrequency) {
            ASSERT_TRUE(run.core.frq().WriteFile("Band1.frq", file));
        } else if (fault == Fault::Short) {
            QFile cut(run.dataFolder() + QStringLiteral("/Band1.frq"));
            ASSERT_TRUE(cut.open(QIODevice::WriteOnly));
            cut.write("Veltora USB Receiver file\r\n1\r\n5\r\n");
        }
        ASSERT_EQ(run.Start(), 1);
        ASSERT_TRUE(run.RunToMonitoring());
        ASSERT_EQ(run.prompter.boxes.size(), boxes) << text;
        EXPECT_EQ(run.prompter.boxes.back().text, QString::fromLatin1(text));
        EXPECT_EQ(run.prompter.boxes.back().icon, MsgIcon::Exclamation);
        EXPECT_FALSE(run.files.FileInUse());
        EXPECT_FALSE(called(run.rackFiles, "CopyLoadToCurrent"));
        EXPECT_FALSE(called(run.rackFiles, "WriteRackSnapshot")); // the last file stays on
        EXPECT_EQ(run.shell.titles, QStringList{"Using: Receiver Data"});
    }
}

} // namespace
} // namespace k7::test
