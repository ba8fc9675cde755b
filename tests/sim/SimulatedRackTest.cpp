// The simulated rack as a driver: answer timing on the manual clock, configuration checks,
// handles, and the fault switches that live at the device (unplug, baud rate, CTS).
#include "sim/SimulatedRack.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

namespace k7::sim {
namespace {

using Bytes = std::vector<std::uint8_t>;

class RackTest : public ::testing::Test {
protected:
    void build(int receivers, bool immediate = false,
               const std::function<void(ReceiverSetup&)>& tweak = {}) {
        Scenario scenario = Scenario::simulated(receivers, 7);
        scenario.immediateAnswers = immediate;
        if (tweak) {
            tweak(scenario.receivers.front());
        }
        rack = std::make_unique<SimulatedRack>(scenario, clock);
    }
    // Opens a device with the link's polling settings.
    FT_HANDLE open(int index, std::uint8_t latency = 40, std::uint32_t readTimeout = 4) {
        FT_HANDLE h = 0;
        EXPECT_EQ(rack->FT_Open(index, &h), FT_OK);
        EXPECT_EQ(rack->FT_SetBaudRate(h, 56000), FT_OK);
        EXPECT_EQ(rack->FT_SetDataCharacteristics(h, 8, 0, 0), FT_OK);
        EXPECT_EQ(rack->FT_SetFlowControl(h, FT_FLOW_RTS_CTS, 0, 0), FT_OK);
        EXPECT_EQ(rack->FT_SetTimeouts(h, readTimeout, 0), FT_OK);
        EXPECT_EQ(rack->FT_SetLatencyTimer(h, latency), FT_OK);
        return h;
    }
    FT_STATUS write(FT_HANDLE h, const Bytes& bytes, std::uint32_t* written = nullptr) {
        std::uint32_t n = 0;
        const FT_STATUS status =
            rack->FT_Write(h, bytes.data(), static_cast<std::uint32_t>(bytes.size()), &n);
        if (written) {
            *written = n;
        }
        return status;
    }
    Bytes read(FT_HANDLE h, std::uint32_t count, FT_STATUS* status = nullptr) {
        Bytes out(count);
        std::uint32_t got = 0;
        const FT_STATUS s = rack->FT_Read(h, out.data(), count, &got);
        if (status) {
            *status = s;
        }
        out.resize(got);
        return out;
    }
    std::uint32_t count() {
        std::uint32_t n = 0;
        EXPECT_EQ(rack->FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
        return n;
    }

    test::ManualClock clock;
    std::unique_ptr<SimulatedRack> rack;
};

TEST_F(RackTest, ListsDevicesWithTheirDetails) {
    build(3);
    std::uint32_t n = 0;
    ASSERT_EQ(rack->FT_CreateDeviceInfoList(&n), FT_OK);
    EXPECT_EQ(n, 3u);
    std::uint32_t flags = 9, type = 0, id = 0, location = 0;
    char serial[kSerialNumberSize];
    char description[kDescriptionSize];
    FT_HANDLE handle = 9;
    ASSERT_EQ(rack->FT_GetDeviceInfoDetail(1, &flags, &type, &id, &location, serial, description,
                                           &handle),
              FT_OK);
    EXPECT_STREQ(serial, "5K000102");
    EXPECT_EQ(location, DefaultLocation(1));
    EXPECT_EQ(flags, 0u);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(id >> 16, 0x0403u);
    EXPECT_EQ(rack->FT_GetDeviceInfoDetail(3, &flags, &type, &id, &location, serial, description,
                                           &handle),
              FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(rack->FT_CreateDeviceInfoList(nullptr), FT_INVALID_PARAMETER);
    EXPECT_EQ(rack->FT_ListDevices(&n, nullptr, 0), FT_INVALID_PARAMETER);
}

TEST_F(RackTest, AnswerIsReadableAfterTransmissionAndLatency) {
    build(1);
    const FT_HANDLE h = open(0);
    clock.advanceMs(1000);
    ASSERT_EQ(write(h, {'R', 0, 'D'}), FT_OK);
    // 14 bytes at 56000 baud take 2.5 ms; then the 40 ms latency timer.
    const std::int64_t readyAt = clock.nowMicros() + 2500 + 40000;
    FT_STATUS status = 99;
    EXPECT_TRUE(read(h, 14, &status).empty()) << "a 4 ms read times out";
    EXPECT_EQ(status, FT_OK);
    EXPECT_EQ(clock.nowMicros(), 1'004'000);
    std::uint32_t queued = 9;
    ASSERT_EQ(rack->FT_GetQueueStatus(h, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);

    clock.sleepMicros(readyAt - clock.nowMicros() - 1);
    ASSERT_EQ(rack->FT_GetQueueStatus(h, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);
    clock.sleepMicros(1);
    ASSERT_EQ(rack->FT_GetQueueStatus(h, &queued), FT_OK);
    EXPECT_EQ(queued, 14u);
    EXPECT_EQ(read(h, 14).size(), 14u);
    EXPECT_EQ(clock.nowMicros(), readyAt) << "a read of what is there does not wait";

    // A longer timeout waits exactly until the answer is there, and a partial read takes the rest
    // of a chunk later.
    ASSERT_EQ(rack->FT_SetTimeouts(h, 500, 0), FT_OK);
    ASSERT_EQ(write(h, {'R', 0, '?'}), FT_OK);
    const std::int64_t identifyReady = clock.nowMicros() + 19 * 10 * 1'000'000 / 56000 + 40000;
    EXPECT_EQ(read(h, 5).size(), 5u);
    EXPECT_EQ(clock.nowMicros(), identifyReady);
    EXPECT_EQ(read(h, 21).size(), 14u) << "only what is readable by the timeout";
    EXPECT_EQ(clock.nowMicros(), identifyReady + 500'000);
}

TEST_F(RackTest, ValidatesConfigurationAndHandlesAndPurges) {
    build(2, true);
    FT_HANDLE h = 0;
    ASSERT_EQ(rack->FT_Open(0, &h), FT_OK);
    FT_HANDLE again = 0;
    EXPECT_EQ(rack->FT_Open(0, &again), FT_DEVICE_NOT_OPENED);
    EXPECT_EQ(rack->FT_Open(2, &again), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(rack->FT_Open(-1, &again), FT_DEVICE_NOT_FOUND);
    EXPECT_EQ(rack->FT_Open(1, nullptr), FT_INVALID_PARAMETER);
    EXPECT_EQ(rack->FT_SetBaudRate(h, 0), FT_INVALID_BAUD_RATE);
    EXPECT_EQ(rack->FT_SetDataCharacteristics(h, 9, 0, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(rack->FT_SetFlowControl(h, 0x0123, 0, 0), FT_INVALID_PARAMETER);
    EXPECT_EQ(rack->FT_SetLatencyTimer(h, 0), FT_INVALID_PARAMETER);

    // Before the line is set to 56000 8N1 the receiver hears only noise.
    ASSERT_EQ(write(h, {'R', 0, '?'}), FT_OK);
    EXPECT_TRUE(read(h, 19).empty());
    EXPECT_EQ(rack->receiver(0).frames().size(), 0u);
    ASSERT_EQ(rack->FT_SetBaudRate(h, 56000), FT_OK);
    EXPECT_EQ(rack->settings(0)->baudRate, 56000u);
    const std::int64_t sent = clock.nowMicros();
    ASSERT_EQ(write(h, {'R', 0, '?', 'R', 0, 'D'}), FT_OK); // both answered at once
    EXPECT_EQ(read(h, 19).size(), 19u);
    EXPECT_EQ(clock.nowMicros(), sent);
    ASSERT_EQ(rack->FT_Purge(h, FT_PURGE_RX), FT_OK); // the meter answer goes
    std::uint32_t queued = 9;
    ASSERT_EQ(rack->FT_GetQueueStatus(h, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);
    EXPECT_EQ(rack->FT_Purge(h, 8), FT_INVALID_PARAMETER);

    ASSERT_EQ(rack->FT_Close(h), FT_OK);
    EXPECT_FALSE(rack->isOpen(0));
    std::uint8_t buffer[4] = {};
    std::uint32_t n = 7;
    EXPECT_EQ(rack->FT_Write(h, buffer, 3, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(n, 0u);
    EXPECT_EQ(rack->FT_Read(h, buffer, 3, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(rack->FT_Close(h), FT_INVALID_HANDLE);
    EXPECT_EQ(rack->FT_SetTimeouts(0, 4, 0), FT_INVALID_HANDLE);
    EXPECT_EQ(rack->FT_GetQueueStatus(12345, &n), FT_INVALID_HANDLE);
}

TEST_F(RackTest, UnpluggedDeviceLeavesTheCountAndFailsItsIo) {
    build(3, true, [](ReceiverSetup& s) { s.faults.unplugAtMs = 5000; });
    const FT_HANDLE h = open(0);
    EXPECT_EQ(count(), 3u);
    clock.advanceMs(4999);
    EXPECT_EQ(write(h, {'R', 0, 'D'}), FT_OK);
    clock.advanceMs(1);
    EXPECT_EQ(count(), 2u);
    std::uint32_t written = 9;
    EXPECT_EQ(write(h, {'R', 0, 'D'}, &written), FT_IO_ERROR);
    EXPECT_EQ(written, 0u);
    FT_STATUS status = FT_OK;
    EXPECT_TRUE(read(h, 14, &status).empty());
    EXPECT_EQ(status, FT_IO_ERROR);
    std::uint32_t listed = 0;
    ASSERT_EQ(rack->FT_CreateDeviceInfoList(&listed), FT_OK);
    EXPECT_EQ(listed, 2u);
    EXPECT_EQ(rack->FT_Close(h), FT_OK);
}

// A refused baud rate and the 100 ms bound of a held CTS under the link's settings:
// LinkModuleTest; here, that a write timeout set bounds the wait instead.
TEST_F(RackTest, HeldCtsBlocksAWriteForItsTimeout) {
    build(1, false, [](ReceiverSetup& s) { s.faults.holdCts = true; });
    const FT_HANDLE held = open(0);
    ASSERT_EQ(rack->FT_SetTimeouts(held, 4, 20), FT_OK);
    const std::int64_t start = clock.nowMicros();
    std::uint32_t written = 9;
    EXPECT_NE(write(held, {'R', 0, 'D'}, &written), FT_OK);
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(clock.nowMicros() - start, 20'000);
    EXPECT_EQ(rack->receiver(0).frames().size(), 0u);
}

} // namespace
} // namespace k7::sim
