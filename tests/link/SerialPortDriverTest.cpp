// The serial-port driver end to end against simulated receivers on pseudo-terminals: open,
// configure, identify, meter query and upload through the link module; bounded reads; and the
// device directory's FTDI filter and location rule on a made-up sysfs tree.
#include "link/SerialPortDriver.h"
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "sim/PtyBridge.h"
#include "support/ManualClock.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <functional>
#include <numeric>

namespace k7 {
namespace {

// The bridge's thread answers when the machine gets round to it: waits are bounded generously,
// so that a loaded machine slows these tests down without failing them, and a hang still ends.
constexpr std::uint32_t kGenerousMs = 20000;

// Polls until done() holds or the generous bound runs out; says whether it holds.
bool WaitUntil(const std::function<bool()>& done) {
    const QDeadlineTimer deadline(kGenerousMs);
    while (!done()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QThread::msleep(1);
    }
    return true;
}

class PtyTest : public ::testing::Test {
protected:
    void SetUp() override {
        sim::Scenario scenario = sim::Scenario::simulated(2, 11);
        bridge = std::make_unique<sim::PtyBridge>(scenario);
        QString error;
        ASSERT_TRUE(bridge->start(&error)) << error.toStdString();
        // The second receiver sits on the lower port: it takes slot 1.
        std::vector<DeviceEntry> ports(2);
        ports[0] = {bridge->portPath(0), "5K000101", 0x01200000, "K7", 0x04036001, latencyFile()};
        ports[1] = {bridge->portPath(1), "5K000102", 0x01100000, "K7", 0x04036001, {}};
        driver = std::make_unique<SerialPortDriver>(DeviceDirectory(ports));
        link = std::make_unique<LinkModule>(*driver, devices, clock);
        link->SetAnswerParser([this](int index) {
            answers.emplace_back(
                index, std::vector<std::uint8_t>(link->RxBuffer.begin(), link->RxBuffer.end()));
        });
    }
    QString latencyFile() { return folder.filePath(QStringLiteral("latency_timer")); }
    void send(int index, std::initializer_list<std::uint8_t> bytes) {
        std::copy(bytes.begin(), bytes.end(), link->TxBuffer.begin());
        link->WriteDevice(index, static_cast<int>(bytes.size()));
    }

    QTemporaryDir folder;
    test::ManualClock clock;
    DeviceTables devices;
    std::unique_ptr<sim::PtyBridge> bridge;
    std::unique_ptr<SerialPortDriver> driver;
    std::unique_ptr<LinkModule> link;
    std::vector<std::pair<int, std::vector<std::uint8_t>>> answers;
};

TEST_F(PtyTest, IdentifiesAndMetersThroughTheRealDriver) {
    Identification identification(*driver, *link, devices, clock);
    ASSERT_EQ(identification.ConnectUSB(), 2);
    EXPECT_EQ(devices.SlotDevice[1], 1);
    EXPECT_EQ(devices.SlotDevice[2], 0);
    ASSERT_NE(link->DeviceHandles[0], 0u);
    QFile latency(latencyFile());
    ASSERT_TRUE(latency.open(QIODevice::ReadOnly)) << "configuration reached the latency file";
    EXPECT_EQ(latency.readAll(), "40");

    // A read returns as soon as its bytes are in: the timeout only bounds a lost answer.
    ASSERT_EQ(driver->FT_SetTimeouts(link->DeviceHandles[0], kGenerousMs, 0), FT_OK);
    send(0, {'R', 0, '?'});
    EXPECT_EQ(link->Status.BytesWritten, 3u);
    link->ReadDevice(0, 19);
    ASSERT_EQ(answers.size(), 1u) << "read " << link->Status.BytesRead;
    EXPECT_EQ(answers[0].first, 0);
    const std::vector<std::uint8_t> identify(answers[0].second.begin(),
                                             answers[0].second.begin() + 19);
    // Mute level 3 with the high bit of a current receiver.
    EXPECT_EQ(identify, (std::vector<std::uint8_t>{'R', 0, '!', 0, 0, 0, 0, 36, 0x83, 60, 66, 0,
                                                   'V', 'O', 'X', '_', '1', '_', 0}));

    send(0, {'R', 0, 'D'});
    link->ReadDevice(0, 14);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1].second[2], 'D');
    EXPECT_EQ(answers[1].second[8] & 1, 0);

    int identifies = 0;
    int meters = 0;
    bridge->inspect(0, [&](const sim::SimulatedReceiver& rx) {
        identifies = rx.countOf('?');
        meters = rx.countOf('D');
    });
    EXPECT_EQ(identifies, 1);
    EXPECT_EQ(meters, 1);
}

TEST_F(PtyTest, ReadsAreBoundedAndTheUploadArrivesWhole) {
    FT_HANDLE h = 0;
    ASSERT_EQ(driver->FT_Open(1, &h), FT_OK);
    FT_HANDLE twice = 0;
    EXPECT_EQ(driver->FT_Open(1, &twice), FT_DEVICE_NOT_OPENED);
    ASSERT_EQ(driver->FT_SetBaudRate(h, 56000), FT_OK);
    ASSERT_EQ(driver->FT_SetDataCharacteristics(h, 8, 0, 0), FT_OK);
    ASSERT_EQ(driver->FT_SetFlowControl(h, FT_FLOW_RTS_CTS, 0, 0), FT_OK);
    ASSERT_EQ(driver->FT_SetTimeouts(h, 300, 0), FT_OK);

    const std::uint8_t query[] = {'R', 0, 'D'};
    std::uint32_t n = 0;
    ASSERT_EQ(driver->FT_Write(h, query, 3, &n), FT_OK);
    EXPECT_EQ(n, 3u);
    std::uint8_t buffer[404] = {};
    // A read of more than arrives waits out its timeout (the 14 bytes come within a few
    // milliseconds, so an early return shows) and then returns what came.
    QElapsedTimer timer;
    timer.start();
    ASSERT_EQ(driver->FT_Read(h, buffer, 21, &n), FT_OK);
    EXPECT_EQ(n, 14u) << "what arrived by the timeout";
    EXPECT_GE(timer.elapsed(), 250) << "the read returned before its timeout";

    ASSERT_EQ(driver->FT_Write(h, query, 3, &n), FT_OK);
    std::uint32_t queued = 0;
    EXPECT_TRUE(
        WaitUntil([&] { return driver->FT_GetQueueStatus(h, &queued) == FT_OK && queued >= 14; }));
    EXPECT_EQ(queued, 14u);
    ASSERT_EQ(driver->FT_Purge(h, FT_PURGE_RX), FT_OK);
    ASSERT_EQ(driver->FT_GetQueueStatus(h, &queued), FT_OK);
    EXPECT_EQ(queued, 0u);

    ASSERT_EQ(driver->FT_SetTimeouts(h, kGenerousMs, 0), FT_OK);
    const std::uint8_t upload[] = {'R', 'U'};
    ASSERT_EQ(driver->FT_Write(h, upload, 2, &n), FT_OK);
    ASSERT_EQ(driver->FT_Read(h, buffer, 404, &n), FT_OK);
    ASSERT_EQ(n, 404u);
    EXPECT_EQ(buffer[403], static_cast<std::uint8_t>(std::accumulate(buffer, buffer + 403, 0u)));

    EXPECT_EQ(driver->FT_Close(h), FT_OK);
    EXPECT_EQ(driver->FT_Read(h, buffer, 1, &n), FT_INVALID_HANDLE);
    EXPECT_EQ(driver->FT_Write(h, buffer, 1, &n), FT_INVALID_HANDLE);
}

TEST(DeviceDirectory, LocationFollowsBusAndPorts) {
    const auto id = &DeviceDirectory::LocationId;
    EXPECT_EQ(id(1, QStringLiteral("2.3")), 0x01230000u);
    EXPECT_LT(id(1, QStringLiteral("1")), id(1, QStringLiteral("1.1")));
    EXPECT_LT(id(1, QStringLiteral("1.8")), id(1, QStringLiteral("2")));
    EXPECT_LT(id(1, QStringLiteral("2.1.4")), id(1, QStringLiteral("2.2")));
    EXPECT_LT(id(1, QStringLiteral("9.9.9")), id(2, QStringLiteral("1")));
    EXPECT_EQ(id(3, QStringLiteral("1.2.3.4.5.6.7")), 0x03123456u) << "six tiers at most";
    EXPECT_EQ(id(1, QStringLiteral("20")), 0x01F00000u);
}

TEST(DeviceDirectory, ListsOnlyFtdiDevicesFromSysfs) {
    QTemporaryDir root;
    const auto makeDevice = [&](const QString& usbPath, const QString& tty, const char* vendor,
                                const char* serial, const char* devpath) {
        const QString usb = root.filePath(QStringLiteral("devices/usb1/") + usbPath);
        const QString ttyFolder =
            usb + QStringLiteral("/") + usbPath.section('/', -1) + QStringLiteral(":1.0/") + tty;
        ASSERT_TRUE(QDir().mkpath(ttyFolder));
        const auto put = [](const QString& path, const QByteArray& text) {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(text + "\n");
        };
        put(usb + "/idVendor", vendor);
        put(usb + "/idProduct", "6001");
        put(usb + "/serial", serial);
        put(usb + "/product", "USB Serial");
        put(usb + "/busnum", "1");
        put(usb + "/devpath", devpath);
        put(ttyFolder + "/latency_timer", "16");
        const QString link = root.filePath(QStringLiteral("bus/usb-serial/devices/") + tty);
        ASSERT_TRUE(QDir().mkpath(root.filePath(QStringLiteral("bus/usb-serial/devices"))));
        ASSERT_TRUE(QFile::link(ttyFolder, link));
    };
    makeDevice(QStringLiteral("1-2/1-2.3"), QStringLiteral("ttyUSB10"), "0403", "5K000103", "2.3");
    makeDevice(QStringLiteral("1-1"), QStringLiteral("ttyUSB2"), "0403", "5K000101", "1");
    makeDevice(QStringLiteral("1-3"), QStringLiteral("ttyUSB0"), "067b", "OTHER", "3");

    const std::vector<DeviceEntry> found = DeviceDirectory(root.path()).scan();
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].portPath, QStringLiteral("/dev/ttyUSB2"));
    EXPECT_EQ(found[0].serial, "5K000101");
    EXPECT_EQ(found[0].location, 0x01100000u);
    EXPECT_EQ(found[1].portPath, QStringLiteral("/dev/ttyUSB10"));
    EXPECT_EQ(found[1].location, 0x01230000u);
    EXPECT_EQ(found[1].id, 0x04036001u);
    EXPECT_TRUE(found[1].latencyTimerPath.endsWith(QStringLiteral("ttyUSB10/latency_timer")));

    SerialPortDriver driver{DeviceDirectory(root.path())};
    std::uint32_t count = 0;
    ASSERT_EQ(driver.FT_ListDevices(&count, nullptr, FT_LIST_NUMBER_ONLY), FT_OK);
    EXPECT_EQ(count, 2u);
    ASSERT_EQ(driver.FT_CreateDeviceInfoList(&count), FT_OK);
    EXPECT_EQ(count, 2u);
    char serial[kSerialNumberSize];
    std::uint32_t location = 0;
    ASSERT_EQ(driver.FT_GetDeviceInfoDetail(1, nullptr, nullptr, nullptr, &location, serial,
                                            nullptr, nullptr),
              FT_OK);
    EXPECT_STREQ(serial, "5K000103");
    EXPECT_EQ(location, 0x01230000u);
    FT_HANDLE handle = 0;
    EXPECT_EQ(driver.FT_Open(5, &handle), FT_DEVICE_NOT_FOUND);

    // Unplugged and plugged in again, the receiver comes back under another tty name (ttyUSB10
    // became ttyUSB1, now listed first): a new list finds it there, with its serial number and
    // location, which keep its slot.
    const QString bus = root.filePath(QStringLiteral("bus/usb-serial/devices/"));
    const QString oldTty = QFileInfo(bus + QStringLiteral("ttyUSB10")).symLinkTarget();
    const QString newTty = QFileInfo(oldTty).path() + QStringLiteral("/ttyUSB1");
    ASSERT_TRUE(QFile::remove(bus + QStringLiteral("ttyUSB10")));
    ASSERT_TRUE(QDir().rename(oldTty, newTty));
    ASSERT_TRUE(QFile::link(newTty, bus + QStringLiteral("ttyUSB1")));
    ASSERT_EQ(driver.FT_CreateDeviceInfoList(&count), FT_OK);
    ASSERT_EQ(count, 2u);
    ASSERT_EQ(driver.FT_GetDeviceInfoDetail(0, nullptr, nullptr, nullptr, &location, serial,
                                            nullptr, nullptr),
              FT_OK);
    EXPECT_STREQ(serial, "5K000103");
    EXPECT_EQ(location, 0x01230000u);
    const std::vector<DeviceEntry> again = DeviceDirectory(root.path()).scan();
    ASSERT_EQ(again.size(), 2u);
    EXPECT_EQ(again[0].portPath, QStringLiteral("/dev/ttyUSB1"));
    EXPECT_TRUE(again[0].latencyTimerPath.endsWith(QStringLiteral("ttyUSB1/latency_timer")));
}

} // namespace
} // namespace k7
