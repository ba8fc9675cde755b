// The metering cycle, the answer-rate check and the USB watchdog on scripted receivers.
#include "EngineRig.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

void toMonitoring(EngineRig& rig) {
    ASSERT_TRUE(rig.runUntil([&] { return rig.monitoring(); }, 60000));
}

TEST(Metering, OneQueryPerTickVisitsTheSlotsInTurnFromSlotOne) {
    EngineRig rig(3);
    toMonitoring(rig);
    EXPECT_EQ(rig.rack.MeterIndex, 0);
    const int interval = rig.devices.PollInterval;
    rig.clock.advanceMs(interval);
    EXPECT_EQ(rig.rack.MeterIndex, 1);
    EXPECT_EQ(rig.framesOf(0, 'D'), 1);
    EXPECT_EQ(rig.framesOf(1, 'D'), 0);
    rig.clock.advanceMs(interval * 6);
    EXPECT_EQ(rig.rack.MeterIndex, 1); // wrapped after slot 3, twice
    for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(rig.framesOf(d, 'D'), d == 0 ? 3 : 2) << d;
        EXPECT_EQ(rig.rack.SlotState[static_cast<std::size_t>(d + 1)], 2);
    }
    EXPECT_EQ(rig.display.draws.size(), 7);
    EXPECT_EQ(rig.display.draws.first(), QStringLiteral("8:1,1"));
}

TEST(AnswerRate, ASilentReceiverIsFlaggedAndThePanelBlankedOnce) {
    EngineRig rig(2); // 25 ms ticks, each receiver 20 answers a second
    toMonitoring(rig);
    ASSERT_EQ(rig.rack.AnswersPerSecond, 20);
    rig.clock.advanceMs(5000); // first check: everyone answered
    EXPECT_FALSE(rig.rack.SlowFlag[1]);
    EXPECT_FALSE(rig.rack.SlowFlag[2]);
    EXPECT_EQ(rig.rack.AnswerCount[1], 1);

    rig.receivers[1].answersMeter = false;
    rig.display.calls.clear();
    rig.clock.advanceMs(5000);
    EXPECT_FALSE(rig.rack.SlowFlag[1]);
    EXPECT_TRUE(rig.rack.SlowFlag[2]);
    EXPECT_EQ(rig.display.calls, (QStringList{"PrepareCells8", "ShowPanel"}));
    EXPECT_TRUE(rig.timers.enabled(PollTimer));

    rig.display.calls.clear();
    const int queries = rig.framesOf(1, 'D');
    rig.clock.advanceMs(5000); // still silent: still polled, not blanked again
    EXPECT_TRUE(rig.display.calls.isEmpty());
    EXPECT_GT(rig.framesOf(1, 'D'), queries + 90);

    rig.receivers[1].answersMeter = true;
    rig.clock.advanceMs(5000);
    EXPECT_FALSE(rig.rack.SlowFlag[2]);
}

TEST(AnswerRate, BlanksPerLayout) {
    const std::pair<int, QStringList> cases[] = {
        {12, {"ClearPanel", "PrepareCells16", "ShowPanel"}},
        {20, {"ClearPanel", "PrepareCells24", "ShowPanel"}},
        {30, {"ClearPanel"}}};
    for (const auto& [n, expected] : cases) {
        EngineRig rig(n);
        rig.clock.advanceMs(120 * (2 * n + 3));
        ASSERT_TRUE(rig.monitoring()) << n;
        // Only 4 ms ticks: with n receivers each gets 250 / n answers a second; set the
        // expectation above that so that the check flags them.
        rig.rack.AnswersPerSecond = 1000;
        rig.display.calls.clear();
        rig.clock.advanceMs(5000);
        EXPECT_EQ(rig.display.calls, expected) << n;
    }
}

TEST(Watchdog, AnUnplugEndsMonitoringWithinTwoSeconds) {
    EngineRig rig(4);
    toMonitoring(rig);
    rig.clock.advanceMs(700);
    rig.driver.attached = 3;
    const double unplugged = rig.now();
    ASSERT_TRUE(rig.runUntil([&] { return rig.engine.Activity() == RackActivity::Closing; }, 2000));
    EXPECT_LE(rig.now() - unplugged, 2000.0);
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        EXPECT_FALSE(rig.timers.enabled(tag)) << tag;
    }
    EXPECT_EQ(rig.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    const int queries = rig.framesOf(0, 'D');
    rig.clock.advanceMs(10000);
    EXPECT_EQ(rig.framesOf(0, 'D'), queries);
}

TEST(Watchdog, AFailedCountIsNoVerdictAndAnAddedDeviceIsAChange) {
    EngineRig rig(4);
    toMonitoring(rig);
    rig.driver.attached = 0;
    rig.driver.listStatus = FT_IO_ERROR;
    rig.clock.advanceMs(4100);
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Monitoring);
    rig.driver.listStatus = FT_OK;
    rig.driver.attached = 5;
    rig.clock.advanceMs(2000);
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Closing);
}

} // namespace
} // namespace k7::test
