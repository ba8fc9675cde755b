// The wire log's line format, which field tools parse: time, device, event, status, payload.
#include "link/WireLog.h"
#include "sim/SimulatedRack.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7::test {
namespace {

TEST(WireLog, WritesOneLinePerCallInTheStableFormat) {
    QTemporaryDir dir;
    ManualClock clock;
    // One receiver answering at once, whose purge fails (the status column shows it).
    sim::Scenario scenario = sim::Scenario::simulated(1);
    scenario.immediateAnswers = true;
    scenario.receivers[0].faults.purgeError = true;
    sim::SimulatedRack rack(scenario, clock);
    WireLog log(rack, clock);
    ASSERT_TRUE(log.open(dir.filePath("wire.log")));

    std::uint32_t n = 0;
    log.FT_CreateDeviceInfoList(&n);
    FT_HANDLE h = 0;
    clock.sleepMicros(1500);
    log.FT_Open(0, &h);
    log.FT_SetBaudRate(h, 56000);
    log.FT_SetDataCharacteristics(h, 8, 0, 0);
    log.FT_SetFlowControl(h, FT_FLOW_RTS_CTS, 0, 0);
    log.FT_SetTimeouts(h, 4, 0);
    log.FT_SetLatencyTimer(h, 40);
    log.FT_SetResetPipeRetryCount(h, 100);
    const std::uint8_t identify[] = {0x52, 0x00, 0x3F};
    const std::uint8_t meter[] = {0x52, 0x00, 0x44};
    std::uint32_t written = 0;
    log.FT_Write(h, identify, 3, &written);
    std::uint8_t answer[21] = {};
    std::uint32_t got = 0;
    log.FT_Read(h, answer, 21, &got); // short: the 19 bytes there when the 4 ms ran out
    log.FT_Write(h, meter, 3, &written);
    std::uint32_t queued = 0;
    log.FT_GetQueueStatus(h, &queued); // not logged itself; the read that follows is a drain
    std::uint8_t drained[14] = {};
    std::uint32_t drainedCount = 0;
    log.FT_Read(h, drained, queued, &drainedCount);
    log.FT_GetQueueStatus(h, &queued); // an empty queue: a drain of nothing
    log.FT_Purge(h, FT_PURGE_RX);
    log.FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    log.FT_Close(h);
    log.FT_Write(999, meter, 3, &written); // a handle no device owns

    ASSERT_EQ(got, 19u);
    ASSERT_EQ(drainedCount, 14u);
    const auto hex = [](const std::uint8_t* bytes, std::uint32_t count) {
        return QString::fromLatin1(
            QByteArray(reinterpret_cast<const char*>(bytes), count).toHex(' ').toUpper());
    };
    QFile file(dir.filePath("wire.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        "0.000 - COUNT 0 1",
        "1.500 0 OPEN 0",
        "1.500 0 CONFIG 0 baud 56000",
        "1.500 0 CONFIG 0 data 8 0 0",
        "1.500 0 CONFIG 0 flow 256",
        "1.500 0 CONFIG 0 timeouts 4 0",
        "1.500 0 CONFIG 0 latency 40",
        "1.500 0 CONFIG 0 retry 100",
        "1.500 0 TX 0 52 00 3F",
        "5.500 0 RX 0 " + hex(answer, 19),
        "5.500 0 TX 0 52 00 44",
        "5.500 0 DRAIN 0 " + hex(drained, 14),
        "5.500 0 DRAIN 0",
        "5.500 0 PURGE 4",
        "5.500 - COUNT 0 1",
        "5.500 0 CLOSE 0",
        "5.500 - TX 1",
    };
    EXPECT_EQ(lines.join('\n').toStdString(), expected.join('\n').toStdString());
}

} // namespace
} // namespace k7::test
