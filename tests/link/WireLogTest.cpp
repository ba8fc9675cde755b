// The wire log's line format, which field tools parse: time, device, event, status, payload.
#include "link/WireLog.h"
#include "support/ManualClock.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstring>

namespace k7::test {
namespace {

// A driver with one device whose queue holds three bytes; every call succeeds.
class OneDeviceDriver final : public Ftd2xx {
public:
    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* n) override { return *n = 1, FT_OK; }
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t, std::uint32_t*, std::uint32_t*, std::uint32_t*,
                                     std::uint32_t*, char*, char*, FT_HANDLE*) override {
        return FT_OK;
    }
    FT_STATUS FT_Open(int, FT_HANDLE* h) override { return *h = 77, FT_OK; }
    FT_STATUS FT_SetBaudRate(FT_HANDLE, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE, std::uint8_t, std::uint8_t,
                                        std::uint8_t) override {
        return FT_OK;
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE, std::uint16_t, std::uint8_t, std::uint8_t) override {
        return FT_OK;
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE, std::uint32_t, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE, std::uint8_t) override { return FT_OK; }
    FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_Close(FT_HANDLE) override { return FT_OK; }
    FT_STATUS FT_Write(FT_HANDLE, const void*, std::uint32_t n, std::uint32_t* w) override {
        return *w = n, FT_OK;
    }
    FT_STATUS FT_Read(FT_HANDLE, void* b, std::uint32_t n, std::uint32_t* got) override {
        const std::uint8_t answer[] = {0x52, 0x00, 0x44};
        *got = std::min<std::uint32_t>(n, 3);
        std::memcpy(b, answer, *got);
        return FT_OK;
    }
    FT_STATUS FT_Purge(FT_HANDLE, std::uint32_t) override { return FT_IO_ERROR; }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE, std::uint32_t* q) override { return *q = 3, FT_OK; }
    FT_STATUS FT_ListDevices(std::uint32_t* n, void*, std::uint32_t) override {
        return *n = 1, FT_OK;
    }
};

TEST(WireLog, WritesOneLinePerCallInTheStableFormat) {
    QTemporaryDir dir;
    ManualClock clock;
    OneDeviceDriver driver;
    WireLog log(driver, clock);
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
    const std::uint8_t query[] = {0x52, 0x00, 0x44};
    std::uint32_t written = 0;
    log.FT_Write(h, query, 3, &written);
    std::uint8_t buffer[14] = {};
    std::uint32_t got = 0;
    log.FT_Read(h, buffer, 14, &got); // short read: the three bytes that came
    std::uint32_t queued = 0;
    log.FT_GetQueueStatus(h, &queued); // not logged itself; the read that follows is a drain
    log.FT_Read(h, buffer, queued, &got);
    log.FT_Purge(h, FT_PURGE_RX);
    log.FT_ListDevices(&n, nullptr, FT_LIST_NUMBER_ONLY);
    log.FT_Close(h);
    log.FT_Write(999, query, 3, &written); // a handle no device owns

    QFile file(dir.filePath("wire.log"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
    const QStringList expected = {
        "0.000 - COUNT 0 1",           "1.500 0 OPEN 0",
        "1.500 0 CONFIG 0 baud 56000", "1.500 0 CONFIG 0 data 8 0 0",
        "1.500 0 CONFIG 0 flow 256",   "1.500 0 CONFIG 0 timeouts 4 0",
        "1.500 0 CONFIG 0 latency 40", "1.500 0 CONFIG 0 retry 100",
        "1.500 0 TX 0 52 00 44",       "1.500 0 RX 0 52 00 44",
        "1.500 0 DRAIN 0 52 00 44",    "1.500 0 PURGE 4",
        "1.500 - COUNT 0 1",           "1.500 0 CLOSE 0",
        "1.500 - TX 0 52 00 44",
    };
    EXPECT_EQ(lines.join('\n').toStdString(), expected.join('\n').toStdString());
}

} // namespace
} // namespace k7::test
