// Monitoring that survives a USB change: the watchdog's wait for the devices to settle, and the
// rescan that closes every device, finds the rack again as at start (ConnectUSB, discovery) and
// resumes monitoring with the receivers' own settings, telling where each receiver went.
#include "RackEngine.h"

#include "RackPorts.h"
#include "RackTables.h"
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "platform/TimerBank.h"

#include <algorithm>
#include <cstring>

namespace k7 {

namespace {

// Two watchdog periods with the same count: the devices have settled.
constexpr int kSettledPeriods = 2;

bool SameSerial(const SerialNumber& a, const SerialNumber& b) {
    return a[0] != '\0' && std::strncmp(a.data(), b.data(), a.size()) == 0;
}

} // namespace

void RackEngine::settleTick(std::uint32_t attached) {
    if (attached != settle_->count) {
        settle_ = Settle{attached, 0};
        return;
    }
    if (++settle_->steady < kSettledPeriods) {
        return;
    }
    timers_.setEnabled(WatchdogTimer, false);
    tell([](RackEvents& observer) { observer.DevicesSettled(); });
}

RescanStart RackEngine::Rescan() {
    RescanStart result;
    if (stopping_) {
        return result;
    }
    const int before = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    tell([before](RackEvents& observer) { observer.RescanStarted(before); });
    // What the rack was, by slot, before identification forgets it.
    const std::array<SerialNumber, kMaxSlots + 1> serials = devices_.SlotSerial;
    std::array<QString, kMaxSlots + 1> names;
    for (int slot = 1; slot <= before; ++slot) {
        names[static_cast<std::size_t>(slot)] = rack_.CurData[static_cast<std::size_t>(slot)].Name;
    }

    timers_.disableAll();
    if (fastPolling_) {
        fastPolling_->Keep(); // nothing it stopped runs on the devices about to close
        fastPolling_.reset();
    }
    settle_.reset();
    closing_ = false;
    rescanning_ = false;
    Identification& identification = ports_.identification;
    identification.CloseDevices();
    result.connect = identification.ConnectUSB();
    if (result.connect == kConnectNoDevice) {
        refuseRescan(RescanRefusal::NoDevice, before);
        return result;
    }
    if (result.connect == kConnectNotFamily) {
        refuseRescan(RescanRefusal::NotFamily, before);
        return result;
    }
    if (result.connect > kMaxDevices) {
        refuseRescan(RescanRefusal::TooMany, before);
        return result;
    }

    resetForRescan();
    rescanning_ = true;
    rescanBefore_ = before;
    const RackReseat reseat = reseatFrom(before, serials, names);
    tell([&reseat](RackEvents& observer) { observer.ReceiversReseated(reseat); });
    StartDiscovery();
    result.started = true;
    return result;
}

void RackEngine::refuseRescan(RescanRefusal reason, int before) {
    ports_.identification.CloseDevices(); // nothing of a rack it refused stays open
    closing_ = true;
    queryOpen_ = false;
    noteActivity();
    tell([reason, before](RackEvents& observer) { observer.RescanRefused(reason, before); });
}

RackReseat RackEngine::reseatFrom(int before,
                                  const std::array<SerialNumber, kMaxSlots + 1>& serials,
                                  const std::array<QString, kMaxSlots + 1>& names) const {
    RackReseat reseat;
    reseat.before = before;
    reseat.after = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    reseat.serialBefore = serials;
    reseat.nameBefore = names;
    for (int now = 1; now <= reseat.after; ++now) {
        const SerialNumber& serial = devices_.SlotSerial[static_cast<std::size_t>(now)];
        for (int old = 1; old <= before; ++old) {
            const auto o = static_cast<std::size_t>(old);
            if (reseat.movedTo[o] == 0 && SameSerial(serial, serials[o])) {
                reseat.movedTo[o] = now;
                reseat.cameFrom[static_cast<std::size_t>(now)] = old;
                break;
            }
        }
    }
    return reseat;
}

void RackEngine::finishRescan() {
    rescanning_ = false;
    state_.PollMode = PollMetering;
    // No pass: the receivers keep what they hold; the file stays in force only if they hold it.
    const bool fileKept = ports_.files.TakeRescannedRack();
    StartupDialogPort& dialog = ports_.dialog;
    dialog.SetActivity(QStringLiteral("USB Monitoring"));
    dialog.SetReceiverNumber(QString());
    showRackTitle(fileKept);
    StartMonitoring();
    dialog.HideDialog();
    ports_.shell.FocusMeterPanel();
    const int after = devices_.DeviceCount;
    tell([before = rescanBefore_, after](RackEvents& observer) {
        observer.RescanEnded(before, after);
    });
}

} // namespace k7
