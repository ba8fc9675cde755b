// The programming pass: one slot per tick of timer 3, sending the working settings (all, or
// only what differs from what the receivers reported) or only opening the receivers, then
// handing over to metering. The "I" frame goes out 90 ms after its slot's tick (timer 5).
// Every block written to a receiver goes through WriteBlock.
#include "RackEngine.h"

#include "RackPorts.h"
#include "RackTables.h"
#include "link/LinkModule.h"
#include "platform/Prompter.h"
#include "platform/TimerBank.h"

#include <algorithm>

namespace k7 {

bool RackEngine::StartProgrammingPass(PassKind kind) {
    if (closing_) {
        return false; // the program is ending: nothing may start
    }
    state_.PassStart = true;
    state_.PollMode = PollMetering; // a pass ends in metering
    state_.ProgramRack = kind != PassKind::OpenOnly;
    state_.ChangedOnly = kind == PassKind::ChangedOnly;
    start(PassTimer);
    noteActivity();
    return true;
}

WriteResult RackEngine::WriteBlock(int slot, std::span<const std::uint8_t> bytes) {
    WriteResult result;
    result.size = bytes.size();
    if (!RackTables::validSlot(slot) || slot > devices_.DeviceCount || bytes.empty() ||
        bytes.size() > kMaxBlockSize) {
        return result; // a block that cannot go out whole is never sent half-made
    }
    const int device = devices_.SlotDevice[static_cast<std::size_t>(slot)];
    if (bytes.size() > link_.TxBuffer.size()) {
        // A transfer block goes out from its own buffer, in one write as well.
        result.status = link_.WriteBlock(device, bytes, &result.bytesWritten);
        return result;
    }
    // Block, buffer and write in one sequence: nothing else can use TxBuffer in between.
    std::copy(bytes.begin(), bytes.end(), link_.TxBuffer.begin());
    result.status = link_.WriteDevice(device, static_cast<int>(bytes.size()));
    result.bytesWritten = link_.Status.BytesWritten;
    return result;
}

void RackEngine::passTick() {
    if (state_.PassStart) {
        startPass();
        return;
    }
    ++state_.PassSlot;
    if (state_.PassSlot <= std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots)) {
        programSlot(state_.PassSlot);
    } else {
        endPass();
    }
}

void RackEngine::startPass() {
    state_.ProgrammingBusy = true;
    // Metering must not interleave its queries with the pass's frames, whoever started it.
    timers_.setEnabled(AnswerRateTimer, false);
    timers_.setEnabled(WatchdogTimer, false);
    timers_.setEnabled(PollTimer, false);
    state_.PassSlot = 0;
    state_.PassStart = false;
    queryOpen_ = false;
    StartupDialogPort& dialog = ports_.dialog;
    dialog.SetActivity(ports_.files.FileInForce() ? QStringLiteral("Programming Rx:")
                                                  : QStringLiteral("Using Rx data:"));
    dialog.ShowProgress();
    dialog.SetProgress(1);
    const PassStart pass{state_.ProgramRack, state_.ChangedOnly,
                         state_.ProgramRack ? ports_.files.CurrentFile() : QString()};
    tell([&pass](RackEvents& observer) { observer.ProgrammingPassStarted(pass); });
}

void RackEngine::programSlot(int slot) {
    const auto s = static_cast<std::size_t>(slot);
    SettingsRow& reported = rack_.RxData[s];
    SettingsRow& current = rack_.CurData[s];
    if (state_.ProgramRack && state_.ChangedOnly) {
        // Only what differs goes out, and the user mute is not among it: a receiver the
        // operator muted stays muted (a restart in a show must not open a parked microphone),
        // and any name frame carries its mute bit, so that the tables say what it does.
        current.BandType = QString::number(rack_.UserMute[s] ? kBandTypeUserMute : 0);
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
    } else if (state_.ProgramRack) {
        // The file's band/type byte goes out whole; the receiver's user mute is then its bit 6.
        const auto level = ByteFromText(current.MuteLevel);
        const auto bandType = ByteFromText(current.BandType);
        if (level && writeFrame(slot, BuildNameFrame(rack_, slot, *level)) && bandType) {
            rack_.UserMute[s] = (*bandType & kBandTypeUserMute) != 0;
        }
        current.BandType = QString::number(rack_.UserMute[s] ? kBandTypeUserMute : 0);
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
    showRackTitle(state_.ProgramRack);
    state_.ChangedOnly = false;
    StartMonitoring();
    dialog.HideDialog();
    ports_.shell.FocusMeterPanel();
    state_.ProgramRack = true;
    state_.ProgrammingBusy = false;
}

void RackEngine::showRackTitle(bool fromFile) {
    if (fromFile) {
        const QString file = ports_.files.CurrentFile();
        ports_.shell.ShowTitleSuffix(QStringLiteral("FILE: ") +
                                     file.left(std::max<qsizetype>(file.size() - 4, 0)));
        return;
    }
    if (!ports_.files.LoadAtStart() && !ports_.files.WriteRackSnapshot()) {
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

bool RackEngine::writeFrame(int slot, const std::optional<SettingsFrame>& frame) {
    return frame && WriteBlock(slot, *frame).complete();
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
    state_.FrequencySlot = slot;
    start(FrequencySendTimer);
    return true;
}

void RackEngine::sendPendingFrequency() {
    writeFrame(state_.FrequencySlot, pendingFrequency_);
    timers_.setEnabled(FrequencySendTimer, false);
    if (!state_.ProgrammingBusy && Activity() == RackActivity::Monitoring) {
        start(AnswerRateTimer);
        start(WatchdogTimer);
        start(PollTimer);
    }
}

} // namespace k7
