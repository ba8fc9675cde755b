// Discovery on scripted receivers: the timing of sweeps and completion, late answers, the
// give-up after 121 sweeps, and the load-last-file decision.
#include "EngineRig.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

bool called(const FakeRackFiles& files, const char* call) {
    return files.calls.contains(QString::fromLatin1(call));
}

class RackSizes : public ::testing::TestWithParam<int> {};

TEST_P(RackSizes, AllAnsweringCompletesAtTheEndOfTheFirstSweepAndOpensInNPlusTwoTicks) {
    const int n = GetParam();
    EngineRig rig(n);
    ASSERT_TRUE(rig.runUntil([&] { return called(rig.rackFiles, "CurrentFromRack"); }, 60000));
    EXPECT_EQ(rig.now(), (n + 1) * 120.0);
    EXPECT_EQ(rig.rack.SweepCounter, 1);
    EXPECT_FALSE(rig.timers.enabled(PollTimer));
    for (int d = 0; d < n; ++d) {
        EXPECT_EQ(rig.framesOf(d, '?'), 1) << d;
        EXPECT_EQ(rig.rack.RxData[static_cast<std::size_t>(d + 1)].Name, QStringLiteral("RX____"));
    }
    const double completed = rig.now();
    ASSERT_TRUE(rig.runUntil([&] { return rig.monitoring(); }, 60000));
    EXPECT_EQ(rig.now() - completed, (n + 2) * 120.0);
    EXPECT_EQ(rig.timers.interval(PollTimer), rig.devices.PollInterval);
    EXPECT_TRUE(rig.timers.enabled(WatchdogTimer));
    EXPECT_TRUE(rig.timers.enabled(AnswerRateTimer));
    EXPECT_EQ(rig.shell.titles, QStringList{"Using: Receiver Data"});
    EXPECT_TRUE(called(rig.rackFiles, "WriteRackSnapshot"));
    EXPECT_EQ(rig.dialog.form, RecordingStartupDialog::Form::Hidden);
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Monitoring);
    for (int d = 0; d < n; ++d) { // an opening pass sends nothing
        EXPECT_EQ(rig.framesOf(d, 'M') + rig.framesOf(d, 'I'), 0) << d;
    }
}

INSTANTIATE_TEST_SUITE_P(Racks, RackSizes, ::testing::Values(1, 8, 9, 16, 24));

TEST(Discovery, OneReceiverBlinksItsNumberAndSweepsInTwoTicks) {
    EngineRig rig(1);
    rig.receivers[0].answersIdentify = false;
    rig.clock.advanceMs(120 * 6 + 1);
    EXPECT_EQ(rig.dialog.numbers, (QStringList{"", "1", ""}));
    EXPECT_EQ(rig.framesOf(0, '?'), 3);
}

TEST(Discovery, AReceiverAnsweringFromTheThirdSweepIsAcceptedThere) {
    EngineRig rig(4);
    rig.receivers[2].answersIdentify = false;
    rig.clock.advanceMs(2 * 5 * 120 - 1);
    rig.receivers[2].answersIdentify = true;
    ASSERT_TRUE(rig.runUntil([&] { return called(rig.rackFiles, "CurrentFromRack"); }, 60000));
    EXPECT_EQ(rig.now(), 3 * 5 * 120.0);
}

TEST(Discovery, AnAnswerInAnUnevaluatedSweepCountsOnlyAtTheNextSweep) {
    EngineRig rig(2); // sweeps of 360 ms
    rig.receivers[1].answersIdentify = false;
    rig.clock.advanceMs(8 * 360 + 1);
    rig.receivers[1].answersIdentify = true; // answers in the ninth sweep
    rig.clock.advanceMs(360);
    EXPECT_TRUE(rig.rackFiles.calls.isEmpty());
    EXPECT_EQ(rig.rack.ProbeAnswered[2], 2);
    EXPECT_EQ(rig.rack.RetryGroups, 1);
    ASSERT_TRUE(rig.runUntil([&] { return called(rig.rackFiles, "CurrentFromRack"); }, 60000));
    EXPECT_EQ(rig.now(), 10 * 360.0);
}

TEST(Discovery, ASilentReceiverEndsInTheFailureAfterExactly121Sweeps) {
    EngineRig rig(1); // sweeps of 240 ms
    rig.receivers[0].answersIdentify = false;
    rig.clock.advanceMs(121 * 240 - 1);
    EXPECT_TRUE(rig.prompter.boxes.empty());
    EXPECT_EQ(rig.framesOf(0, '?'), 121);
    rig.clock.advanceMs(1);
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = rig.prompter.boxes[0];
    EXPECT_EQ(box.text, QStringLiteral("At least one receiver is not responding\r\nYou should "
                                       "reconnect your system\r\nPlease read software manual "
                                       "'Appendix A'\r\nMonitoring will close'"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::OK);
    EXPECT_TRUE(box.title.isEmpty());
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(rig.timers.enabled(tag)) << tag;
    }
    EXPECT_EQ(rig.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Closing);
    EXPECT_FALSE(rig.engine.PollingMayRun());
    rig.engine.StartMonitoring(); // nothing restarts polling on a closing station
    EXPECT_FALSE(rig.timers.enabled(PollTimer));
    rig.clock.advanceMs(10000);
    EXPECT_EQ(rig.framesOf(0, '?'), 121);
    EXPECT_TRUE(rig.rackFiles.calls.isEmpty());
}

TEST(Discovery, ALastFileThatMatchesIsAcceptedWithoutAQuestion) {
    EngineRig rig(2);
    rig.files.LoadLastFile = true;
    rig.files.CurrentFile = QStringLiteral("Band1.frq");
    for (int s = 1; s <= 2; ++s) {
        rig.rackFiles.loaded[s] = SettingsRow{"RX____", "613.575", "7", "66"};
    }
    ASSERT_TRUE(rig.runUntil([&] { return rig.monitoring(); }, 60000));
    EXPECT_EQ(rig.rackFiles.calls,
              (QStringList{"LoadRackFile:Band1.frq", "CopyLoadToCurrent", "RackDiffers",
                           "AcceptLoadedFile", "CopyLoadToCurrent"}));
    EXPECT_TRUE(rig.files.FileInUse);
    EXPECT_EQ(rig.shell.titles, QStringList{"FILE: Band1"});
    EXPECT_EQ(rig.dialog.activity, QStringLiteral("USB Monitoring"));
}

TEST(Discovery, ALastFileThatDiffersWaitsForTheOperatorWithEveryTimerOff) {
    EngineRig rig(2);
    rig.files.LoadLastFile = true;
    rig.files.CurrentFile = QStringLiteral("Band1.frq");
    rig.rackFiles.loaded[1] = SettingsRow{"OTHER", "613.575", "5", "66"};
    rig.rackFiles.loaded[2] = SettingsRow{"RX____", "613.575", "5", "66"};
    rig.clock.advanceMs(3 * 120);
    EXPECT_EQ(rig.dialog.form, RecordingStartupDialog::Form::Query);
    EXPECT_EQ(rig.engine.Activity(), RackActivity::LoadQuestion);
    EXPECT_EQ(rig.rack.PollMode, PollMetering);
    rig.clock.advanceMs(20000);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(rig.timers.enabled(tag)) << tag;
    }
    rig.rackFiles.CurrentFromRack(); // the operator's "No"
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Pass);
    ASSERT_TRUE(rig.runUntil([&] { return rig.monitoring(); }, 60000));
    EXPECT_EQ(rig.rack.CurData[1].Name, QStringLiteral("RX____"));
}

TEST(Discovery, AnUnreadableLastFileIsToldAndTheReceiversDataTaken) {
    const std::pair<const char*, const char*> cases[] = {
        {"No frq file", "Band1.frq does not exist \r\nExiting file load\r\n"},
        {"NUMBER", "An error occurred reading the file: Band1.frq\r\nExiting file load\r\n"},
        {"", "An error occurred reading the file: Band1.frq\r\nExiting file load\r\n"}};
    for (const auto& [result, text] : cases) {
        EngineRig rig(1);
        rig.files.LoadLastFile = true;
        rig.files.FileInUse = true;
        rig.files.CurrentFile = QStringLiteral("Band1.frq");
        rig.rackFiles.loadResult = QString::fromLatin1(result);
        rig.clock.advanceMs(240);
        ASSERT_EQ(rig.prompter.boxes.size(), 1u) << result;
        EXPECT_EQ(rig.prompter.boxes[0].text, QString::fromLatin1(text));
        EXPECT_EQ(rig.prompter.boxes[0].icon, MsgIcon::Exclamation);
        EXPECT_FALSE(rig.files.FileInUse);
        EXPECT_TRUE(called(rig.rackFiles, "CurrentFromRack"));
        EXPECT_FALSE(called(rig.rackFiles, "CopyLoadToCurrent"));
    }
}

} // namespace
} // namespace k7::test
