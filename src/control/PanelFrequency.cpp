// The control panel's sending: a checked frequency, the delayed retune, the frames that carry a
// receiver's settings, and the file in force saved after each change.
#include "PanelRules.h"
#include "ReceiverPanel.h"

#include "bands/CheckFrequency.h"
#include "files/RackFile.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "rack/Protocol.h"
#include "rack/RackTables.h"

namespace k7 {

using namespace panel_rules;

void ReceiverPanel::ProgramFrequency() {
    const int s = slot_;
    if (!RackTables::validSlot(s)) {
        return;
    }
    std::optional<QString> frequency;
    {
        const TimerPause pause = w_.engine.PausePolling();
        frequency = CheckedFrequency(txtFreq_.trimmed());
        if (frequency) {
            SettingsRow& row = w_.settings.Current(s);
            row.Name = txtName_;
            row.MuteLevel = lblMute_;
            SendFrequency(s, *frequency);
        }
    }
    if (!frequency) {
        keepPanelOpen_ = true;
        notify();
        return;
    }
    FrequencySent(s);
}

std::optional<QString> ReceiverPanel::CheckedFrequency(const QString& text) {
    const FrequencyCheck check = w_.checker.CheckFrequency(text, false, slot_);
    // A refusal has been reported by the check itself; it is never stored or sent.
    if (!check.valid()) {
        return std::nullopt;
    }
    const QString& result = check.frequency;
    if (!w_.checker.FrequencyFitsSlot(result, slot_)) {
        MessageBoxSpec box;
        box.text = QStringLiteral("Sorry, ") + text + QStringLiteral(" is an invalid Frequency.") +
                   kCrLf + QStringLiteral("Please re-enter");
        box.icon = MsgIcon::Exclamation;
        w_.prompter.ShowMessage(box);
        return std::nullopt;
    }
    return result;
}

void ReceiverPanel::SendFrequency(int s, const QString& frequency) {
    if (s == slot_) {
        txtFreq_ = frequency;
    }
    const QString previous = tables().CurData[s].Frequency;
    w_.settings.Current(s).Frequency = frequency;
    // RxData follows a frame that went out whole, so that a programming pass sees nothing left
    // to send; after a failed write the pass sends it again.
    const bool sent = SendFrequencyFrame(s);
    if (sent) {
        w_.settings.Reported(s).Frequency = frequency;
        if (backups_) {
            backups_->BackupUsed(frequency);
        }
        if (s == slot_) {
            sent_.frequency = frequency;
        }
    }
    logChange(s, QStringLiteral("frequency"), previous, frequency, sent);
    if (WriteCurrentFile() && s == slot_) {
        sent_.muteLevel = tables().CurData[s].MuteLevel;
        sent_.bandType = tables().CurData[s].BandType;
    }
}

void ReceiverPanel::FrequencySent(int s) {
    if (s == slot_) {
        ClearCaptured();
    }
    notify();
}

void ReceiverPanel::ReProgFired() {
    tmrReProg_->setEnabled(false);
    if (!pending_) {
        return;
    }
    const PendingFrequency change = *pending_;
    pending_.reset();
    {
        const TimerPause pause = w_.engine.PausePolling();
        SendFrequency(change.slot, change.frequency);
    }
    FrequencySent(change.slot);
}

bool ReceiverPanel::WriteCurrentFile() {
    const FileResult saved = w_.files.SaveAfterRackChange(
        QStringLiteral("with the control panel's change of slot %1").arg(slot_));
    if (saved) {
        return true;
    }
    MessageBoxSpec box;
    box.text = QStringLiteral("The frequency file ") + w_.files.CurrentFile() +
               QStringLiteral(" could not be written.") + kCrLf + saved.why() + kCrLf +
               QStringLiteral("The receiver has the new setting; the file keeps the previous "
                              "one. Check the folder \"USB Files\" and save again.");
    box.icon = MsgIcon::Exclamation;
    w_.prompter.ShowMessage(box);
    return false;
}

// --- Frames ---------------------------------------------------------------------------------

bool ReceiverPanel::SendNameFrame(int s) {
    return WriteFrame(s, BuildNameFrame(tables(), s, LevelOf(tables().CurData[s].MuteLevel)))
        .complete();
}

bool ReceiverPanel::SendMuteFrameQueriesPaused(int s, int level) {
    const TimerPause pause = w_.engine.PauseQueries();
    return SendMuteFrame(s, level);
}

bool ReceiverPanel::SendMuteFrame(int s, int level) {
    return WriteFrame(s, BuildMuteFrame(tables(), s, level)).complete();
}

bool ReceiverPanel::SendFrequencyFrame(int s) {
    return WriteFrame(s, BuildFrequencyFrame(tables(), s)).complete();
}

WriteResult ReceiverPanel::WriteFrame(int s, const std::optional<SettingsFrame>& frame) {
    if (!frame) {
        return {}; // a frame that cannot be built from the tables is never sent half-made
    }
    return w_.engine.WriteBlock(s, *frame);
}

} // namespace k7
