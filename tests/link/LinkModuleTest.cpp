// The link module against the simulated rack: configuration and its failure, answer
// acceptance, drain, the fast and slow settings, a write that cannot leave, and the latency
// rule.
#include "link/LinkModule.h"
#include "link/Identification.h"
#include "sim/SimulatedRack.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class LinkTest : public ::testing::Test {
protected:
    void build(int receivers, bool immediate,
               const std::function<void(sim::ReceiverSetup&)>& tweak = {}) {
        sim::Scenario scenario = sim::Scenario::simulated(receivers, 3);
        scenario.immediateAnswers = immediate;
        if (tweak) {
            tweak(scenario.receivers.front());
        }
        rack = std::make_unique<sim::SimulatedRack>(scenario, clock);
        devices = {};
        parsed.clear();
        devices.DeviceCount = receivers;
        devices.LastDeviceIndex = receivers - 1;
        devices.PollInterval = PollIntervalFor(1, receivers);
        link = std::make_unique<LinkModule>(*rack, devices, clock);
        link->SetAnswerParser([this](int index) {
            parsed.push_back(index);
            lastAnswer.assign(link->RxBuffer.begin(), link->RxBuffer.begin() + 14);
        });
    }
    void query(int index, char command) {
        link->TxBuffer[0] = 'R';
        link->TxBuffer[1] = 0;
        link->TxBuffer[2] = static_cast<std::uint8_t>(command);
        link->WriteDevice(index, 3);
    }
    std::uint32_t queued(int index) {
        std::uint32_t n = 0;
        EXPECT_EQ(rack->FT_GetQueueStatus(link->DeviceHandles[index], &n), FT_OK);
        return n;
    }

    test::ManualClock clock;
    DeviceTables devices;
    std::unique_ptr<sim::SimulatedRack> rack;
    std::unique_ptr<LinkModule> link;
    std::vector<int> parsed;
    std::vector<std::uint8_t> lastAnswer;
};

// The line settings of every open, in order: the recorded wire logs (tests/e2e/wire).
TEST_F(LinkTest, OpenDeviceConfiguresForPollingAndTheSlowAndFastSettingsSwitch) {
    build(3, false);
    for (int i = 0; i < 3; ++i) {
        link->OpenDevice(i);
    }
    ASSERT_NE(rack->settings(2), nullptr);
    EXPECT_EQ(rack->settings(2)->latencyMs, 34) << "three devices at 17 ms";

    link->SetSlowLink();
    EXPECT_EQ(rack->settings(0)->readTimeoutMs, 500u);
    EXPECT_EQ(rack->settings(0)->writeTimeoutMs, 500u);
    EXPECT_EQ(rack->settings(0)->latencyMs, 100);
    link->SetFastLink();
    EXPECT_EQ(rack->settings(0)->readTimeoutMs, 4u);
    EXPECT_EQ(rack->settings(0)->latencyMs, 34);
}

TEST_F(LinkTest, DeviceRefusingTheBaudRateIsClosedAndWritesFailSilently) {
    build(2, true, [](sim::ReceiverSetup& s) { s.faults.refuseBaudRate = true; });
    link->OpenDevice(0);
    link->OpenDevice(1);
    EXPECT_FALSE(rack->isOpen(0));
    EXPECT_TRUE(rack->isOpen(1));
    query(0, '?');
    EXPECT_EQ(link->Status.BytesWritten, 0u);
    link->ReadDevice(0, 19);
    EXPECT_EQ(link->Status.BytesRead, 0u);
    EXPECT_TRUE(parsed.empty());
    EXPECT_TRUE(rack->receiver(0).frames().empty());
    query(1, '?');
    link->ReadDevice(1, 19);
    EXPECT_EQ(parsed, std::vector<int>{1});
}

TEST_F(LinkTest, ReadDeviceAcceptsOnlyCompleteAnswersStartingWithR) {
    build(1, true);
    link->OpenDevice(0);
    query(0, 'D');
    EXPECT_EQ(link->Status.BytesWritten, 3u);
    link->ReadDevice(0, 14);
    ASSERT_EQ(parsed, std::vector<int>{0});
    EXPECT_EQ(lastAnswer[0], 'R');
    EXPECT_EQ(lastAnswer[2], 'D');
    EXPECT_EQ(link->Status.BytesRead, 14u);

    // Wrong first byte: dropped, and the queue behind it emptied.
    build(1, true, [](sim::ReceiverSetup& s) { s.faults.wrongFirstByte = 1.0; });
    link->OpenDevice(0);
    query(0, 'D');
    query(0, 'D');
    ASSERT_EQ(queued(0), 28u);
    link->ReadDevice(0, 14);
    EXPECT_TRUE(parsed.empty());
    EXPECT_EQ(link->Status.BytesRead, 14u);
    EXPECT_EQ(link->Status.Status, FT_OK);
    EXPECT_EQ(queued(0), 0u);

    // Short: dropped even though it starts with "R"; nothing purged.
    build(1, true, [](sim::ReceiverSetup& s) { s.faults.shortAnswer = 1.0; });
    link->OpenDevice(0);
    query(0, 'D');
    query(0, 'D');
    const std::uint32_t before = queued(0);
    ASSERT_LT(before, 28u);
    link->ReadDevice(0, 21);
    EXPECT_TRUE(parsed.empty());
    EXPECT_EQ(link->Status.BytesRead, before);
    EXPECT_EQ(link->RxBuffer[0], 'R');
}

TEST_F(LinkTest, PollUnderFastSettingsReadsThePreviousAnswer) {
    build(1, false);
    link->OpenDevice(0);
    clock.advanceMs(100);
    query(0, 'D');
    link->ReadDevice(0, 14);
    EXPECT_TRUE(parsed.empty()) << "the 40 ms latency outlasts the 4 ms read";
    clock.advanceMs(50);
    query(0, 'D');
    link->ReadDevice(0, 14);
    EXPECT_EQ(parsed, std::vector<int>{0});
    EXPECT_EQ(rack->receiver(0).countOf('D'), 2);
}

TEST_F(LinkTest, DrainCountsWhatWasQueued) {
    build(3, true);
    for (int i = 0; i < 3; ++i) {
        link->OpenDevice(i);
    }
    const std::int64_t start = clock.nowMicros();
    EXPECT_EQ(link->DrainDevices(), 0u);
    EXPECT_EQ(clock.nowMicros(), start) << "nothing queued: no read waited";
    query(0, '?');
    query(2, 'D');
    query(2, 'D');
    EXPECT_EQ(link->DrainDevices(), 19u + 28u);
    EXPECT_EQ(queued(0), 0u);
    EXPECT_EQ(queued(2), 0u);
    EXPECT_EQ(link->DrainDevices(), 0u);
}

TEST_F(LinkTest, WriteToAReceiverHoldingCtsFailsWithinItsBound) {
    build(2, true, [](sim::ReceiverSetup& s) { s.faults.holdCts = true; });
    link->OpenDevice(0);
    link->OpenDevice(1);
    const std::int64_t start = clock.nowMicros();
    query(0, 'D');
    EXPECT_EQ(link->Status.BytesWritten, 0u);
    EXPECT_EQ(clock.nowMicros() - start, 100'000);
    link->ReadDevice(0, 14);
    EXPECT_TRUE(parsed.empty());
    query(1, 'D');
    link->ReadDevice(1, 14);
    EXPECT_EQ(parsed, std::vector<int>{1}) << "the other receivers go on";
}

TEST(PollingLatency, FollowsDeviceCountAndInterval) {
    test::ManualClock clock;
    sim::SimulatedRack rack(sim::Scenario::simulated(1), clock);
    DeviceTables devices;
    LinkModule link(rack, devices, clock);
    const auto latency = [&](int n, int interval) {
        devices.DeviceCount = n;
        devices.PollInterval = static_cast<std::int16_t>(interval);
        return static_cast<int>(link.PollingLatency());
    };
    EXPECT_EQ(latency(1, 50), 40);
    EXPECT_EQ(latency(2, 25), 40);
    EXPECT_EQ(latency(3, 17), 34);
    EXPECT_EQ(latency(12, 4), 44);
    EXPECT_EQ(latency(24, 4), 92);
    EXPECT_EQ(latency(40, 4), 156);
}

TEST(PollInterval, MatchesTheTable) {
    const std::array<int, 12> expected = {0, 50, 25, 17, 12, 10, 8, 7, 6, 6, 5, 5};
    for (int n = 1; n <= 40; ++n) {
        const int layout = n < 9 ? 1 : n < 17 ? 2 : n < 25 ? 3 : 0;
        EXPECT_EQ(PollIntervalFor(layout, n), n <= 11 ? expected[static_cast<std::size_t>(n)] : 4)
            << n << " devices";
    }
}

} // namespace
} // namespace k7
