// The programming pass: one slot per tick of timer 3, sending the working settings (all, or
// only what differs from what the receivers reported) or only opening the receivers, then
// handing over to metering. The "I" frame goes out 90 ms after its slot's tick (timer 5).
#include "RackEngine.h"

#include "FileState.h"
#include "RackPorts.h"
#include "RackTables.h"
#include "link/LinkModule.h"
#include "platform/Prompter.h"
#include "platform/TimerBank.h"

#include <algorithm>

namespace k7 {

void RackEngine::passTick() {
    if (rack_.PassStart) {
        startPass();
        return;
    }
    ++rack_.PassSlot;
    if (rack_.PassSlot <= std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots)) {
        programSlot(rack_.PassSlot);
    } else {
        endPass();
    }
}

void RackEngine::startPass() {
    rack_.ProgrammingBusy = true;
    // Metering must not interleave its queries with the pass's frames, whoever started it.
    timers_.setEnabled(AnswerRateTimer, false);
    timers_.setEnabled(WatchdogTimer, false);
    timers_.setEnabled(PollTimer, false);
    rack_.PassSlot = 0;
    rack_.PassStart = false;
    queryOpen_ = false;
    StartupDialogPort& dialog = ports_.dialog;
    dialog.SetActivity(files_.LoadLastFile || files_.FileInUse ? QStringLiteral("Programming Rx:")
                                                               : QStringLiteral("Using Rx data:"));
    dialog.ShowProgress();
    dialog.SetProgress(1);
}

void RackEngine::programSlot(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    SettingsRow& reported = rack_.RxData[s];
    SettingsRow& current = rack_.CurData[s];
    if (rack_.ProgramRack && rack_.ChangedOnly) {
        if (reported.Name != current.Name || reported.MuteLevel != current.MuteLevel) {
            const auto level = ByteFromText(current.MuteLevel);
            // What the receiver was not sent stays as it reported it.
            if (level && writeFrame(slot, BuildNameFrame(rack_, slot, *level))) {
                reported.Name = current.Name;
                reported.MuteLevel = current.MuteLevel;
            }
        }
        if (reported.Frequency != current.Frequency && armFrequencyFrame(slot)) {
            reported.Frequency = current.Frequency;
        }
        current.BandType = QStringLiteral("0");
        rack_.UserMute[s] = false;
    } else if (rack_.ProgramRack) {
        if (const auto level = ByteFromText(current.MuteLevel)) {
            writeFrame(slot, BuildNameFrame(rack_, slot, *level));
        }
        current.BandType = QStringLiteral("0");
        armFrequencyFrame(slot);
    } else {
        ports_.dialog.SetActivity(QStringLiteral("Opening Rx: "));
    }
    ports_.dialog.SetReceiverNumber(QString::number(slot));
    ports_.dialog.SetProgress(slot);
}

void RackEngine::endPass() {
    timers_.setEnabled(PassTimer, false);
    StartupDialogPort& dialog = ports_.dialog;
    dialog.SetActivity(QStringLiteral("USB Monitoring"));
    dialog.SetReceiverNumber(QString());
    if (rack_.ProgramRack) {
        const QString& file = files_.CurrentFile;
        ports_.shell.ShowTitleSuffix(QStringLiteral("FILE: ") +
                                     file.left(std::max<qsizetype>(file.size() - 4, 0)));
    } else {
        if (!files_.LoadLastFile && !ports_.files.WriteRackSnapshot()) {
            MessageBoxSpec box;
            box.text = QStringLiteral("The receivers' settings could not be saved in "
                                      "Rack_Data.frq.\r\nCheck that the USB Files folder can be "
                                      "written to; monitoring goes on.");
            box.icon = MsgIcon::Exclamation;
            box.buttons = MsgButtons::OK;
            prompter_.ShowMessage(box);
        }
        ports_.shell.ShowTitleSuffix(QStringLiteral("Using: Receiver Data"));
    }
    rack_.ChangedOnly = false;
    StartMonitoring();
    dialog.HideDialog();
    ports_.shell.FocusMeterPanel();
    rack_.ProgramRack = true;
    rack_.ProgrammingBusy = false;
}

bool RackEngine::writeFrame(int slot, const std::optional<SettingsFrame>& frame) {
    if (!frame || !RackTables::validSlot(slot)) {
        return false;
    }
    std::copy(frame->begin(), frame->end(), link_.TxBuffer.begin());
    link_.WriteDevice(devices_.SlotDevice[static_cast<std::size_t>(slot)], kSettingsFrameSize);
    return link_.Status.BytesWritten == kSettingsFrameSize;
}

bool RackEngine::armFrequencyFrame(int slot) {
    const QString& frequency = rack_.CurData[static_cast<std::size_t>(slot)].Frequency;
    if (!ports_.guard.FrequencyFitsSlot(frequency, slot)) {
        return false; // never send a receiver a frequency outside its band
    }
    const auto frame = BuildFrequencyFrame(rack_, slot);
    if (!frame) {
        return false;
    }
    // Kept apart from TxBuffer: whatever is sent in the next 90 ms cannot change it.
    pendingFrequency_ = *frame;
    rack_.FrequencySlot = slot;
    timers_.setEnabled(FrequencySendTimer, true);
    return true;
}

void RackEngine::sendPendingFrequency() {
    writeFrame(rack_.FrequencySlot, pendingFrequency_);
    timers_.setEnabled(FrequencySendTimer, false);
    if (!rack_.ProgrammingBusy && Activity() == RackActivity::Monitoring) {
        timers_.setEnabled(AnswerRateTimer, true);
        timers_.setEnabled(WatchdogTimer, true);
        timers_.setEnabled(PollTimer, true);
    }
}

} // namespace k7
