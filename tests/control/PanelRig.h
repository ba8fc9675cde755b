// A receiver control panel wired over a small rack on the manual clock: four K7.5 receivers of
// band 36 that have answered, the six station timers (recording their ticks), a frequency file
// in force, and every frame the panel writes recorded per slot with the time it left.
#pragma once

#include "control/CheckFrequency.h"
#include "control/ReceiverPanel.h"
#include "files/FrqFile.h"
#include "link/LinkModule.h"
#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/RackTables.h"
#include "support/ManualClock.h"
#include "support/ScriptedPrompter.h"

#include <QDir>
#include <QTemporaryDir>

#include <cstring>
#include <vector>

namespace k7::test {

// The receivers' side of the link: accepts everything and keeps each write with its time.
class RecordingDriver final : public Ftd2xx {
public:
    struct Write {
        FT_HANDLE handle;
        std::vector<std::uint8_t> bytes;
        double ms;
    };
    explicit RecordingDriver(const ManualClock& clock) : clock_(clock) {}

    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t n,
                       std::uint32_t* written) override {
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        writes.push_back({handle, {bytes, bytes + n}, clock_.nowMs()});
        *written = n;
        return FT_OK;
    }
    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t*) override { return FT_OK; }
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t, std::uint32_t*, std::uint32_t*, std::uint32_t*,
                                     std::uint32_t*, char*, char*, FT_HANDLE*) override {
        return FT_OK;
    }
    FT_STATUS FT_Open(int, FT_HANDLE*) override { return FT_OK; }
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
    FT_STATUS FT_Read(FT_HANDLE, void*, std::uint32_t, std::uint32_t* got) override {
        *got = 0;
        return FT_OK;
    }
    FT_STATUS FT_Purge(FT_HANDLE, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE, std::uint32_t* queued) override {
        *queued = 0;
        return FT_OK;
    }
    FT_STATUS FT_ListDevices(std::uint32_t*, void*, std::uint32_t) override { return FT_OK; }

    std::vector<Write> writes;

private:
    const ManualClock& clock_;
};

struct PanelRig {
    static constexpr int kReceivers = 4;
    static constexpr int kPollMs = 50;

    PanelRig() {
        devices.DeviceCount = kReceivers;
        devices.LastDeviceIndex = kReceivers - 1;
        devices.ModelVariant = ModelK75;
        devices.RackLayout = 1;
        devices.PollInterval = kPollMs;
        for (int s = 1; s <= kReceivers; ++s) {
            devices.SlotDevice[s] = s - 1;
            devices.SlotBand[s] = 36; // 606-638
            link.DeviceHandles[s - 1] = static_cast<FT_HANDLE>(100 + s);
            rack.SlotState[s] = 2;
            rack.MuteHighBit[s] = true;
            rack.CurData[s] = {QStringLiteral("VOCAL%1").arg(s), QStringLiteral("612.000"),
                               QStringLiteral("5"), QStringLiteral("0")};
            rack.RxData[s] = rack.CurData[s];
        }
        files.CurrentFile = QStringLiteral("Show.frq");
        files.FileInUse = true;
        timers.Create({kPollMs, 240, 2000, 120, 5000, 90},
                      [this](int tag) { ticks.push_back(tag); });
        for (int tag : {0, 2, 4}) {
            timers.setEnabled(tag, true);
        }
    }

    // The 13-byte frames written to a slot's device, in order.
    std::vector<RecordingDriver::Write> frames(int slot) const {
        std::vector<RecordingDriver::Write> out;
        for (const auto& w : driver.writes) {
            if (w.handle == static_cast<FT_HANDLE>(100 + slot)) {
                out.push_back(w);
            }
        }
        return out;
    }
    bool polling() const { return timers.enabled(0) && timers.enabled(2) && timers.enabled(4); }
    QString filePath() const { return QDir(data.path()).filePath(files.CurrentFile); }
    // Types text into a box through the panel's key rules, as the window does.
    void type(bool name, const QString& text) {
        for (QChar c : text) {
            const auto result = name ? panel.NameKeyPress(c) : panel.FreqKeyPress(c);
            if (!result || c == QChar('\r')) {
                continue;
            }
            QString box = name ? panel.txtName() : panel.txtFreq();
            if (*result == QChar('\b')) {
                box.chop(1);
            } else {
                box += *result;
            }
            name ? panel.NameEdited(box) : panel.FreqEdited(box);
        }
    }

    ManualClock clock;
    RecordingDriver driver{clock};
    DeviceTables devices;
    LinkModule link{driver, devices, clock};
    RackTables rack;
    FileState files;
    TimerBank timers{clock};
    ScriptedPrompter prompter;
    QTemporaryDir data;
    FrequencyChecker checker{devices, rack, prompter};
    FrqFile frq{data.path(), files, rack, devices, checker, prompter, nullptr};
    std::vector<int> ticks;
    ReceiverPanel panel{{rack, devices, files, link, timers, clock, clock, checker, frq, prompter}};
};

} // namespace k7::test
