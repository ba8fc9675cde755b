// The station's way out on the simulated rack: the exit request from its three sources and
// "Continue" resuming what it interrupted, the load-last-file question, the close countdown and
// the orderly stop.
#include "support/StationRig.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

bool PollingPaused(Station& station) {
    return !station.core().timers().enabled(PollTimer) &&
           !station.core().timers().enabled(WatchdogTimer) &&
           !station.core().timers().enabled(AnswerRateTimer);
}

TEST(StationExit, EachSourcePausesPollingAndContinueRestartsItAtPollInterval) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    Station& station = *rig.station;
    const int pollInterval = station.core().devices().PollInterval;
    ASSERT_NE(pollInterval, 120);

    const std::vector<std::function<void()>> sources{
        [&] { station.window().KeyPressed(MainWindowController::kEscapeKey); },
        [&] { station.window().MenuExit(); },
        [&] { EXPECT_FALSE(station.window().CloseRequested()) << "the close box is refused"; }};
    for (const auto& request : sources) {
        request();
        request(); // asked again behind the dialog: the same state, and Continue still resumes
        EXPECT_TRUE(PollingPaused(station));
        EXPECT_EQ(DialogStateName(station.dialog().state()), QStringLiteral("exit"));
        const int answers = station.core().rack().AnswerCount[1];
        rig.clock.advanceMs(6000);
        EXPECT_TRUE(PollingPaused(station)) << "nothing restarts polling behind the dialog";
        EXPECT_EQ(station.core().rack().AnswerCount[1], answers) << "no receiver is polled";

        station.dialog().PressContinue();
        EXPECT_EQ(DialogStateName(station.dialog().state()), QStringLiteral("hidden"));
        EXPECT_TRUE(station.core().timers().enabled(PollTimer));
        EXPECT_EQ(station.core().timers().interval(PollTimer), pollInterval);
        EXPECT_TRUE(station.core().timers().enabled(WatchdogTimer));
        EXPECT_TRUE(station.core().timers().enabled(AnswerRateTimer));
        rig.clock.advanceMs(500);
    }
    EXPECT_TRUE(rig.stoppedWith.empty());
}

TEST(StationExit, ContinueResumesDiscoveryAt120MsAndLetsAPassFinishIntoMonitoring) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    rig.clock.advanceMs(500);
    Station& station = *rig.station;
    station.window().MenuExit();
    EXPECT_FALSE(station.core().timers().enabled(PollTimer));
    rig.clock.advanceMs(3000);
    EXPECT_EQ(station.core().engine().State().PollMode, PollDiscovery)
        << "discovery waits for the operator";
    station.dialog().PressContinue();
    EXPECT_EQ(station.core().timers().interval(PollTimer), 120);
    EXPECT_EQ(station.core().engine().State().PollMode, PollDiscovery)
        << "not metering half-identified receivers";
    EXPECT_EQ(DialogStateName(station.dialog().state()), QStringLiteral("startup"));

    ASSERT_TRUE(
        rig.clock.runUntil([&] { return station.core().timers().enabled(PassTimer); }, 10000));
    rig.clock.advanceMs(300);
    station.window().MenuExit();
    rig.clock.advanceMs(5000);
    EXPECT_EQ(station.core().engine().Activity(), RackActivity::Pass);
    EXPECT_FALSE(station.core().timers().enabled(PollTimer))
        << "the pass did not end behind the dialog";
    station.dialog().PressContinue();
    EXPECT_TRUE(rig.RunToMonitoring(5000));
    EXPECT_TRUE(station.window().state().caption.endsWith(QStringLiteral("Using: Receiver Data")));
}

// The last file (Default.frq, with its own names) differs from the receivers: the question.
void StartWithLastFile(StationRig& rig) {
    rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                             QStringLiteral("True"));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.station->core().rackFile().LoadAtStart());
    ASSERT_TRUE(rig.station->window().state().loadLastFileChecked);
    ASSERT_TRUE(rig.clock.runUntil(
        [&] { return rig.station->core().engine().Activity() == RackActivity::LoadQuestion; },
        10000));
    ASSERT_EQ(DialogStateName(rig.station->dialog().state()), QStringLiteral("query"));
}

// Unanswered, the question runs out into "No": the receivers' data, and the rack's file state as
// it was before the file was read (its count and global mute are not the file's).
TEST(StationQuestion, UnansweredItTakesTheReceiversDataAndLeavesTheRacksCountAndGlobalMute) {
    StationRig rig(RackOf(3));
    StartWithLastFile(rig);
    const RackFile& files = rig.station->core().rackFile();
    const FrqLoad offered =
        rig.station->core().frq().ReadRackFile(files.CurrentFile(), RangeRule::KeepOutOfRange);
    ASSERT_TRUE(offered.ok());
    const std::int32_t count = files.EntryCount();
    const std::uint8_t globalMute = files.GlobalMuteLevel();
    ASSERT_NE(count, offered.read.document.EntryCount) << "the test needs a file that differs";
    rig.clock.advanceMs(10'000);
    EXPECT_EQ(rig.station->dialog().state().lblFSec, QStringLiteral("1 Second"));
    EXPECT_TRUE(rig.RunToMonitoring(5000));
    EXPECT_FALSE(files.FileInUse());
    EXPECT_EQ(files.EntryCount(), count);
    EXPECT_EQ(files.GlobalMuteLevel(), globalMute);
    EXPECT_TRUE(
        rig.station->window().state().caption.endsWith(QStringLiteral("Using: Receiver Data")));
}

TEST(StationQuestion, YesProgramsTheFileAndContinueAfterAnExitReturnsToTheQuestion) {
    StationRig rig(RackOf(3));
    StartWithLastFile(rig);
    rig.clock.advanceMs(2000);
    rig.station->window().KeyPressed(MainWindowController::kEscapeKey);
    rig.clock.advanceMs(20'000);
    EXPECT_EQ(rig.station->core().engine().Activity(), RackActivity::LoadQuestion)
        << "the question does not run out behind the exit dialog";
    rig.station->dialog().PressContinue();
    EXPECT_EQ(DialogStateName(rig.station->dialog().state()), QStringLiteral("query"));
    rig.station->dialog().PressYes();
    EXPECT_TRUE(rig.station->core().rackFile().FileInUse());
    EXPECT_TRUE(rig.RunToMonitoring(5000));
    EXPECT_TRUE(rig.station->window().state().caption.endsWith(QStringLiteral("FILE: Default")));
    EXPECT_TRUE(
        QDir(rig.station->core().frq().dataFolder()).exists(QStringLiteral("Rack_Data.frq")));
    EXPECT_EQ(rig.station->core().rack().CurData[1].Name, QStringLiteral("Def-1_"));
}

TEST(StationClose, UnpluggedReceiverEndsTheProgramThroughTheCloseCountdown) {
    sim::Scenario scenario = RackOf(4);
    scenario.receivers[1].faults.unplugAtMs = 8000;
    StationRig rig(scenario);
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    ASSERT_TRUE(rig.clock.runUntil(
        [&] { return DialogStateName(rig.station->dialog().state()) == "close"; }, 12000));
    // An exit request in the countdown holds it; "Continue" returns to a fresh countdown,
    // since the program still has to end.
    rig.clock.advanceMs(5000);
    rig.station->window().KeyPressed(MainWindowController::kEscapeKey);
    rig.clock.advanceMs(30000);
    EXPECT_TRUE(rig.stoppedWith.empty());
    rig.station->dialog().PressContinue();
    EXPECT_EQ(DialogStateName(rig.station->dialog().state()), QStringLiteral("close"));
    const double shownAt = rig.clock.nowMs();
    ASSERT_TRUE(rig.clock.runUntil([&] { return !rig.stoppedWith.empty(); }, 30000));
    EXPECT_NEAR(rig.clock.nowMs() - shownAt, 21000, 1000);
    EXPECT_EQ(rig.stoppedWith, std::vector<int>{0});
    EXPECT_FALSE(rig.AnyDeviceOpen());
}

TEST(StationClose, CloseNowStopsInOrderAndEndsWithZero) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    Station& station = *rig.station;
    station.ToggleLoadLastFile();
    station.window().MenuExit();
    station.dialog().PressCloseNow();
    EXPECT_TRUE(station.window().ExitConfirmed());
    EXPECT_TRUE(station.window().CloseRequested()) << "the window may now close";
    EXPECT_EQ(rig.stoppedWith, std::vector<int>{0});
    EXPECT_FALSE(station.core().timers().exists());
    EXPECT_FALSE(rig.AnyDeviceOpen());
    EXPECT_EQ(rig.Setting(QStringLiteral("Settings"), QStringLiteral("LoadFile")),
              QStringLiteral("True"));
    station.dialog().PressCloseNow();
    EXPECT_EQ(rig.stoppedWith.size(), 1u) << "the stop runs once";
}

// "Close now" pressed from inside a box, as an operator would click the dialog while a timer
// handler waits on a message.
TEST(StationClose, StopAskedInsideATimerHandlerRunsWhenTheHandlerReturns) {
    sim::Scenario scenario = RackOf(1);
    scenario.receivers[0].faults.silent = true; // discovery gives up with a message
    StationRig rig(scenario);
    Station& station = *rig.station;
    bool stoppedInside = true;
    rig.prompter.onShow = [&](const MessageBoxSpec&) {
        if (!station.Stopped()) {
            station.CloseNow();
            stoppedInside = station.Stopped();
        }
    };
    ASSERT_TRUE(station.Start());
    ASSERT_TRUE(rig.clock.runUntil([&] { return !rig.prompter.boxes.empty(); }, 60000));
    EXPECT_TRUE(rig.prompter.boxes[0].text.startsWith(QStringLiteral("At least one receiver")));
    EXPECT_FALSE(stoppedInside) << "nothing is released under the running handler";
    EXPECT_TRUE(station.Stopped());
    EXPECT_EQ(station.ExitCode(), 0);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(station.core().timers().enabled(tag)) << tag;
    }
    EXPECT_FALSE(rig.AnyDeviceOpen());
    rig.clock.advanceMs(30000);
    EXPECT_EQ(rig.prompter.boxes.size(), 1u);
}

} // namespace
} // namespace k7
