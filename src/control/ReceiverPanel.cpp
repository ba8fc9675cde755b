#include "ReceiverPanel.h"
#include "PanelRules.h"

#include "bands/BandTable.h"
#include "bands/CheckFrequency.h"
#include "files/RackFile.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "rack/Protocol.h"
#include "rack/RackTables.h"

#include <algorithm>
#include <utility>

namespace k7 {

using namespace panel_rules;

ReceiverPanel::ReceiverPanel(const Wiring& wiring)
    : w_(wiring), tmrReProg_(wiring.timerFactory.createTimer()) {
    tmrReProg_->setInterval(kReProgMs);
    tmrReProg_->setHandler([this] { ReProgFired(); });
}

ReceiverPanel::~ReceiverPanel() = default;

bool ReceiverPanel::Open(int slot) {
    w_.settings.SelectSlot(slot);
    const bool answering = slot >= 1 && slot <= w_.devices.DeviceCount &&
                           RackTables::validSlot(slot) && tables().SlotState[slot] != 0;
    if (!answering || w_.devices.ModelVariant != ModelK75) {
        return false; // the panel goes on with the slot it shows, if any
    }
    if (sliderHeld_) {
        SliderReleased();
    }
    slot_ = slot;
    Activate();
    const bool wasVisible = visible_;
    visible_ = true;
    if (view_) {
        view_->ShowPanel();
    }
    if (!wasVisible && shownObserver_) {
        shownObserver_(true);
    }
    return true;
}

void ReceiverPanel::SettingsAnswered(int slot) {
    if (visible_ && slot == slot_) {
        Activate();
    }
}

void ReceiverPanel::DeviceCountChanged(int /*attached*/, int /*expected*/) {
    closeForUsbChange();
}

void ReceiverPanel::RescanStarted(int /*before*/) {
    closeForUsbChange();
}

void ReceiverPanel::closeForUsbChange() {
    tmrReProg_->setEnabled(false);
    if (pending_) {
        const PendingFrequency dropped = *std::exchange(pending_, std::nullopt);
        logAction(dropped.slot, QStringLiteral("frequency"),
                  tables().CurData[dropped.slot].Frequency + QStringLiteral(" -> ") +
                      dropped.frequency +
                      QStringLiteral(", not sent: the USB system changed before it went out"));
    }
    ClearCaptured(); // nothing is taken back on a receiver that may be gone
    HidePanel();
}

void ReceiverPanel::Activate() {
    keepPanelOpen_ = false;
    SettingsRow& row = w_.settings.Current(slot_);
    // After a programming pass BandType is "0" while the receiver may be user-muted: the mute
    // frames carry this byte, so it must say what the receiver really does.
    int bandType = bandTypeByte(slot_);
    bandType = tables().UserMute[slot_] ? (bandType | kUserMuteBit) : (bandType & ~kUserMuteBit);
    row.BandType = QString::number(bandType);

    txtName_ = row.Name;
    txtFreq_ = row.Frequency;
    OrigName = row.Name;
    OrigFrequency = row.Frequency;
    OrigMuteLevel = row.MuteLevel;
    OrigBandType = row.BandType;
    captured_ = true;
    sent_ = {row.Name, row.Frequency, row.MuteLevel, row.BandType};

    if (!tables().MuteHighBit[slot_]) {
        nameEnabled_ = false;
    } else if (w_.files.CurrentFile() != kDefaultFile) {
        nameEnabled_ = true;
    } else {
        nameEnabled_ = !w_.files.FileInForce();
    }
    const int band = w_.devices.SlotBand[slot_];
    lblBand_ = BandPanelName(band);
    freqEnabled_ = nameEnabled_ && band != kJapanBand;

    lblBackup_.clear();
    takenBackup_.clear();
    userMuteShown_ = tables().UserMute[slot_];
    lblOnOff_ = userMuteShown_ ? QStringLiteral("ON") : QStringLiteral("OFF");

    const int level = LevelOf(row.MuteLevel);
    lblMute_ = QString::number(level);
    // The window echoes a slider move with a change event; only that echo is to be dropped.
    // An activation that leaves the slider where it is expects no echo, so the operator's first
    // move is sent.
    skipSliderChange_ = level != sliderValue_;
    sliderValue_ = level;
    scrollCount_ = 0;

    if (w_.files.FileInForce()) {
        lblSet_ = w_.files.CurrentFile();
    } else {
        lblSet_ = QStringLiteral("Rx Data");
    }
    hovered_ = -1;
    notify();
}

void ReceiverPanel::Unload(bool exitConfirmed) {
    // A frequency still waiting for tmrReProg is dropped with the panel: the stop follows.
    tmrReProg_->setEnabled(false);
    pending_.reset();
    HidePanel();
    if (!exitConfirmed) {
        CancelChanges();
    }
}

// --- Saving ---------------------------------------------------------------------------------

void ReceiverPanel::SaveChanges() {
    const int s = slot_;
    if (!RackTables::validSlot(s)) {
        return;
    }
    const QString name = SavedName(txtName_);
    txtName_ = name;
    notify();

    if (txtFreq_ != sent_.frequency) {
        if (name == sent_.name) {
            ProgramFrequency();
            return;
        }
        // Name and frequency: the frequency is checked before the name goes out, so that a
        // refused entry keeps the panel open with nothing sent (not a name now and an error
        // box 100 ms later, when the panel has already gone).
        std::optional<QString> frequency;
        {
            const TimerPause pause = w_.engine.PausePolling();
            frequency = CheckedFrequency(txtFreq_.trimmed());
        }
        if (!frequency) {
            keepPanelOpen_ = true;
            notify();
            return;
        }
        w_.settings.Current(s).Name = name;
        const bool sent = SendNameFrame(s);
        logChange(s, QStringLiteral("name"), sent_.name, name, sent);
        if (sent) {
            sent_.name = name;
        }
        pending_ = PendingFrequency{s, *frequency};
        tmrReProg_->setEnabled(true);
        return;
    }

    if (!unsentChanges(name)) {
        return;
    }
    TimerPause pause;
    if (w_.engine.PollTimerRunning()) {
        pause = w_.engine.PausePolling();
    }
    w_.pump.LetPendingMessagesRun();
    // A second "OK" let through with the messages may have saved all of it already.
    if (!unsentChanges(name)) {
        return;
    }
    const bool nameChanged = name != sent_.name;
    if (nameChanged) {
        w_.settings.Current(s).Name = name;
    }
    if (WriteCurrentFile()) {
        sent_.muteLevel = lblMute_;
        sent_.bandType = tables().CurData[s].BandType;
    }
    if (nameChanged) {
        const bool sent = SendNameFrame(s);
        logChange(s, QStringLiteral("name"), sent_.name, name, sent);
        if (sent) {
            sent_.name = name;
        }
    }
}

bool ReceiverPanel::unsentChanges(const QString& name) const {
    return name != sent_.name || lblMute_ != sent_.muteLevel ||
           tables().CurData[slot_].BandType != sent_.bandType;
}

// --- Cancel and user mute -------------------------------------------------------------------

void ReceiverPanel::CancelChanges() {
    const int s = slot_;
    // Nothing captured (never opened, or a frequency save has taken the values over): nothing
    // to go back to, and empty texts must never reach the tables or a frame.
    if (!RackTables::validSlot(s) || !captured_) {
        return;
    }
    SettingsRow& row = w_.settings.Current(s);
    row.Name = OrigName;
    row.Frequency = OrigFrequency;
    if (OrigBandType == row.BandType && OrigMuteLevel == row.MuteLevel) {
        w_.settings.SetUserMute(s, (bandTypeByte(s) & kUserMuteBit) != 0);
        return;
    }
    const QString level = row.MuteLevel;
    const bool userMute = (bandTypeByte(s) & kUserMuteBit) != 0;
    row.MuteLevel = OrigMuteLevel;
    row.BandType = OrigBandType;
    // The user mute shown follows the byte that is sent back, not the one being undone.
    const bool restoredMute = (bandTypeByte(s) & kUserMuteBit) != 0;
    w_.settings.SetUserMute(s, restoredMute);
    const bool sent = SendMuteFrameQueriesPaused(s, LevelOf(OrigMuteLevel));
    if (level != OrigMuteLevel) {
        logChange(s, QStringLiteral("mute-level"), level,
                  OrigMuteLevel + QStringLiteral(" (cancel)"), sent);
    }
    if (userMute != restoredMute) {
        logChange(s, QStringLiteral("user-mute"),
                  userMute ? QStringLiteral("on") : QStringLiteral("off"),
                  (restoredMute ? QStringLiteral("on") : QStringLiteral("off")) +
                      QStringLiteral(" (cancel)"),
                  sent);
    }
}

void ReceiverPanel::ToggleUserMute() {
    const int s = slot_;
    if (!RackTables::validSlot(s)) {
        return;
    }
    userMuteShown_ = !userMuteShown_;
    lblOnOff_ = userMuteShown_ ? QStringLiteral("ON") : QStringLiteral("OFF");
    w_.settings.SetUserMute(s, userMuteShown_);
    int bandType = bandTypeByte(s);
    bandType = userMuteShown_ ? (bandType | kUserMuteBit) : (bandType & ~kUserMuteBit);
    w_.settings.Current(s).BandType = QString::number(bandType);
    const bool sent = SendMuteFrameQueriesPaused(s, LevelOf(lblMute_));
    logChange(s, QStringLiteral("user-mute"),
              userMuteShown_ ? QStringLiteral("off") : QStringLiteral("on"), lblOnOff_.toLower(),
              sent);
    notify();
}

// --- Keys, clicks, hover --------------------------------------------------------------------
void ReceiverPanel::ControlClicked(int index) {
    switch (index) {
    case kOk:
        if (txtFreq_.isEmpty()) {
            return;
        }
        keepPanelOpen_ = false;
        SaveChanges();
        if (!keepPanelOpen_) {
            HidePanel();
        }
        FocusMeters();
        return;
    case kCancel:
        CancelChanges();
        HidePanel();
        return;
    case kUserMute:
        ToggleUserMute();
        return;
    default:
        return;
    }
}

void ReceiverPanel::CloseRequested() {
    ControlClicked(kCancel);
}

void ReceiverPanel::HoverControl(int index) {
    if (index < kOk || index > kUserMute || index == hovered_) {
        return;
    }
    hovered_ = index;
    notify();
}

void ReceiverPanel::HoverPanel() {
    if (hovered_ == -1) {
        return; // coloured once, until the mouse is over a label again
    }
    hovered_ = -1;
    notify();
}

QColor ReceiverPanel::controlColour(int index) const {
    return index == hovered_ ? kHoverColour : kRestColour;
}

// --- Mute slider ----------------------------------------------------------------------------

void ReceiverPanel::SliderValueChanged(int value) {
    w_.pump.LetPendingMessagesRun();
    const bool echo = skipSliderChange_ && value == sliderValue_;
    skipSliderChange_ = false;
    if (echo || !RackTables::validSlot(slot_) || value == sliderValue_) {
        return; // nothing new to send
    }
    ApplyLevel(value);
}

void ReceiverPanel::SliderScrolled(int value) {
    w_.pump.LetPendingMessagesRun();
    if (!RackTables::validSlot(slot_)) {
        return;
    }
    if (scrollCount_ >= 2) {
        ApplyLevel(value);
        scrollCount_ = 0;
    } else {
        ++scrollCount_;
    }
}

void ReceiverPanel::ApplyLevel(int value) {
    const int level = std::clamp(value, 1, 10);
    sliderValue_ = level;
    lblMute_ = QString::number(level);
    const QString previous = tables().CurData[slot_].MuteLevel;
    w_.settings.Current(slot_).MuteLevel = lblMute_;
    logLevel(slot_, previous, SendMuteFrame(slot_, level));
    notify();
}

void ReceiverPanel::SliderPressed() {
    if (sliderHeld_) {
        return;
    }
    sliderHeld_ = true;
    w_.engine.BeginFastPolling(kDragPollMs);
}

void ReceiverPanel::SliderReleased() {
    if (!sliderHeld_) {
        return;
    }
    sliderHeld_ = false;
    w_.engine.EndFastPolling();
    logHeldLevel();
}

// --- Helpers --------------------------------------------------------------------------------

int ReceiverPanel::bandTypeByte(int s) const {
    bool ok = false;
    const int value = tables().CurData[s].BandType.toInt(&ok);
    return ok && value >= 0 && value <= 255 ? value : 0;
}

void ReceiverPanel::ClearCaptured() {
    OrigName.clear();
    OrigFrequency.clear();
    OrigMuteLevel.clear();
    OrigBandType.clear();
    captured_ = false;
}

void ReceiverPanel::HidePanel() {
    if (sliderHeld_) {
        SliderReleased();
    }
    const bool wasVisible = visible_;
    visible_ = false;
    if (view_) {
        view_->HidePanel();
    }
    if (wasVisible && shownObserver_) {
        shownObserver_(false);
    }
}

void ReceiverPanel::FocusMeters() {
    if (w_.shell) {
        w_.shell->FocusMeterPanel();
    }
}

void ReceiverPanel::notify() {
    if (view_) {
        view_->StateChanged();
    }
}

} // namespace k7
