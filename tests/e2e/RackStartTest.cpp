// From start to metering on simulated racks: discovery timing with immediate and latency
// answers, receivers that answer late or never, and what the receivers were sent.
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

sim::Scenario rackOf(int n, bool immediate) {
    sim::Scenario scenario = sim::Scenario::simulated(n, 7);
    scenario.immediateAnswers = immediate;
    return scenario;
}

bool called(const FakeRackFiles& files, const char* call) {
    return files.calls.contains(QString::fromLatin1(call));
}

struct RackCase {
    int receivers;
    bool immediate;
};

class StartToMetering : public ::testing::TestWithParam<RackCase> {};

TEST_P(StartToMetering, CompletesOpensAndMetersEveryReceiver) {
    const int n = GetParam().receivers;
    const bool immediate = GetParam().immediate;
    RackHarness h(rackOf(n, immediate));
    ASSERT_EQ(h.Start(), n);
    ASSERT_TRUE(h.clock.runUntil([&] { return called(h.rackFiles, "CurrentFromRack"); }, 60000));
    const int sweepTicks = n + 1;
    // A late answer is read by the next sweep's probe of the slot.
    const double completion = (immediate ? sweepTicks : 2 * sweepTicks) * 120.0;
    EXPECT_EQ(h.NowMs(), completion);
    const double completed = h.NowMs();
    ASSERT_TRUE(h.RunToMonitoring());
    EXPECT_NEAR(h.NowMs() - completed, (n + 2) * 120.0, 0.001);

    ASSERT_TRUE(h.clock.runUntil(
        [&] {
            for (int i = 0; i < n; ++i) {
                if (h.rack.SlotState[static_cast<std::size_t>(i + 1)] != 2 ||
                    h.rack.AnswerCount[static_cast<std::size_t>(i + 1)] < 2) {
                    return false;
                }
            }
            return true;
        },
        5000));
    for (int i = 0; i < n; ++i) {
        const sim::SimulatedReceiver& rx = h.receiver(i);
        const int slot = i + 1; // the scenario's locations are in slot order
        EXPECT_EQ(rx.countOf('?'), immediate ? 1 : 2) << i;
        EXPECT_EQ(rx.countOf('M') + rx.countOf('I') + rx.countOf('m'), 0) << i;
        EXPECT_GT(rx.countOf('D'), 1) << i;
        for (const sim::ReceivedFrame& frame : rx.frames()) {
            EXPECT_TRUE(frame.accepted) << i << " " << frame.command;
        }
        const SettingsRow& row = h.rack.RxData[static_cast<std::size_t>(slot)];
        EXPECT_EQ(row.Name, QString::fromLatin1(rx.name().data(), 6).replace(' ', '_')) << i;
        EXPECT_EQ(h.rack.CurData[static_cast<std::size_t>(slot)].Frequency, row.Frequency);
    }
    EXPECT_EQ(h.shell.titles, QStringList{"Using: Receiver Data"});
}

INSTANTIATE_TEST_SUITE_P(Racks, StartToMetering,
                         ::testing::Values(RackCase{1, true}, RackCase{8, true}, RackCase{9, true},
                                           RackCase{16, true}, RackCase{24, true},
                                           RackCase{1, false}, RackCase{8, false},
                                           RackCase{9, false}, RackCase{16, false},
                                           RackCase{24, false}));

TEST(LateReceivers, ThirdSweepAndUnevaluatedNinthSweep) {
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

TEST(LateReceivers, ASilentReceiverFailsDiscoveryAfter121Sweeps) {
    sim::Scenario scenario = rackOf(2, false);
    scenario.receivers[1].faults.silent = true;
    RackHarness h(scenario);
    ASSERT_EQ(h.Start(), 2);
    ASSERT_TRUE(h.clock.runUntil([&] { return !h.prompter.boxes.empty(); }, 600000));
    EXPECT_EQ(h.receiver(1).countOf('?'), 121);
    EXPECT_EQ(h.receiver(0).countOf('?'), 121);
    EXPECT_EQ(h.prompter.boxes[0].text, RackEngine::NotRespondingText());
    EXPECT_EQ(h.engine.Activity(), RackActivity::Closing);
    EXPECT_EQ(h.dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    h.clock.advanceMs(60000);
    EXPECT_EQ(h.receiver(0).countOf('?'), 121);
    EXPECT_EQ(h.receiver(0).countOf('D'), 0);
}

} // namespace
} // namespace k7::test
