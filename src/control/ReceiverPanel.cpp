#include "ReceiverPanel.h"

#include "bands/BandTable.h"
#include "bands/CheckFrequency.h"
#include "files/FrqFile.h"
#include "link/LinkModule.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"
#include "platform/Timer.h"
#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/Protocol.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {

namespace {

constexpr int kNameLength = 6;
constexpr int kUserMuteBit = 64;
constexpr int kJapanBand = 14;
const QString kDefaultFile = QStringLiteral("Default.frq");
const QString kCrLf = QStringLiteral("\r\n");

int LevelOf(const QString& text) {
    bool ok = false;
    const int level = text.toInt(&ok);
    return std::clamp(ok ? level : 1, 1, 10);
}

// The name as it is sent and stored: six characters, spaces (and characters a receiver cannot
// show) as "_", filled up with "_".
QString SavedName(const QString& typed) {
    QString name;
    for (QChar c : typed) {
        const bool shown = c.unicode() > 0x20 && c.unicode() < 0x7F;
        name += shown ? c : QChar('_');
    }
    while (name.size() < kNameLength) {
        name += QChar('_');
    }
    return name;
}

} // namespace

ReceiverPanel::ReceiverPanel(const Wiring& wiring)
    : w_(wiring), tmrReProg_(wiring.timerFactory.createTimer()) {
    tmrReProg_->setInterval(kReProgMs);
    tmrReProg_->setHandler([this] { ReProgFired(); });
}

ReceiverPanel::~ReceiverPanel() = default;

bool ReceiverPanel::Open(int slot) {
    w_.rack.SelectedSlot = slot;
    const bool answering = slot >= 1 && slot <= w_.devices.DeviceCount &&
                           RackTables::validSlot(slot) && w_.rack.SlotState[slot] != 0;
    if (!answering || w_.devices.ModelVariant != ModelK75) {
        return false; // the panel goes on with the slot it shows, if any
    }
    if (sliderHold_) {
        SliderReleased();
    }
    slot_ = slot;
    Activate();
    visible_ = true;
    if (view_) {
        view_->ShowPanel();
    }
    return true;
}

void ReceiverPanel::SettingsAnswered(int slot) {
    if (visible_ && slot == slot_) {
        Activate();
    }
}

void ReceiverPanel::Activate() {
    keepPanelOpen_ = false;
    SettingsRow& row = w_.rack.CurData[slot_];
    // After a programming pass BandType is "0" while the receiver may be user-muted: the mute
    // frames carry this byte, so it must say what the receiver really does.
    int bandType = bandTypeByte(slot_);
    bandType = w_.rack.UserMute[slot_] ? (bandType | kUserMuteBit) : (bandType & ~kUserMuteBit);
    row.BandType = QString::number(bandType);

    txtName_ = row.Name;
    txtFreq_ = row.Frequency;
    OrigName = row.Name;
    OrigFrequency = row.Frequency;
    OrigMuteLevel = row.MuteLevel;
    OrigBandType = row.BandType;
    captured_ = true;

    if (!w_.rack.MuteHighBit[slot_]) {
        nameEnabled_ = false;
    } else if (w_.files.CurrentFile != kDefaultFile) {
        nameEnabled_ = true;
    } else {
        nameEnabled_ = !(w_.files.LoadLastFile || w_.files.FileInUse);
    }
    const int band = w_.devices.SlotBand[slot_];
    lblBand_ = BandPanelName(band);
    freqEnabled_ = nameEnabled_ && band != kJapanBand;

    userMuteShown_ = w_.rack.UserMute[slot_];
    lblOnOff_ = userMuteShown_ ? QStringLiteral("ON") : QStringLiteral("OFF");

    const int level = LevelOf(row.MuteLevel);
    lblMute_ = QString::number(level);
    // The window echoes a slider move with a change event; only that echo is to be dropped.
    // An activation that leaves the slider where it is expects no echo, so the operator's first
    // move is sent.
    skipSliderChange_ = level != sliderValue_;
    sliderValue_ = level;
    scrollCount_ = 0;

    if (w_.files.LoadLastFile || w_.files.FileInUse) {
        lblSet_ = w_.files.CurrentFile;
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

    if (txtFreq_ != OrigFrequency) {
        if (name == OrigName) {
            ProgramFrequency();
            return;
        }
        // Name and frequency: the frequency is checked before the name goes out, so that a
        // refused entry keeps the panel open with nothing sent (not a name now and an error
        // box 100 ms later, when the panel has already gone).
        std::optional<QString> frequency;
        {
            TimerPause pause(w_.timers, {0, 2, 4});
            frequency = CheckedFrequency(txtFreq_.trimmed());
            pause.Resume({0, 2, 4});
        }
        if (!frequency) {
            keepPanelOpen_ = true;
            notify();
            return;
        }
        w_.rack.CurData[s].Name = name;
        SendNameFrame(s);
        pending_ = PendingFrequency{s, *frequency};
        tmrReProg_->setEnabled(true);
        return;
    }

    const bool nameChanged = name != OrigName;
    if (nameChanged) {
        w_.rack.CurData[s].Name = name;
    }
    const bool muteChanged = lblMute_ != OrigMuteLevel;
    const bool userMuteChanged = w_.rack.CurData[s].BandType != OrigBandType;
    if (!nameChanged && !muteChanged && !userMuteChanged) {
        return;
    }
    TimerPause pause;
    if (w_.timers.enabled(0)) {
        pause = TimerPause(w_.timers, {0, 2, 4});
    }
    w_.pump.LetPendingMessagesRun();
    if (w_.files.FileInUse) {
        WriteCurrentFile();
    }
    if (nameChanged) {
        SendNameFrame(s);
    }
    pause.Resume({4, 2, 0});
}

void ReceiverPanel::ProgramFrequency() {
    const int s = slot_;
    if (!RackTables::validSlot(s)) {
        return;
    }
    TimerPause pause(w_.timers, {0, 2, 4});
    const std::optional<QString> frequency = CheckedFrequency(txtFreq_.trimmed());
    if (!frequency) {
        keepPanelOpen_ = true;
        pause.Resume({0, 2, 4});
        notify();
        return;
    }
    SettingsRow& row = w_.rack.CurData[s];
    row.Name = txtName_;
    row.MuteLevel = lblMute_;
    SendFrequency(s, *frequency, pause);
}

std::optional<QString> ReceiverPanel::CheckedFrequency(const QString& text) {
    const QString result = w_.checker.CheckFrequency(text, false, slot_);
    // "" (nothing entered, or refused for band 14) has been reported by the check itself; it
    // is never stored or sent, the same as an error.
    if (result.isEmpty() || result.startsWith(QStringLiteral("Er")) ||
        result.startsWith(QStringLiteral("E:"))) {
        return std::nullopt;
    }
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

void ReceiverPanel::SendFrequency(int s, const QString& frequency, TimerPause& pause) {
    if (s == slot_) {
        txtFreq_ = frequency;
    }
    // RxData follows, so that a programming pass sees nothing left to send.
    w_.rack.RxData[s].Frequency = frequency;
    w_.rack.CurData[s].Frequency = frequency;
    SendFrequencyFrame(s);
    if (w_.files.FileInUse) {
        WriteCurrentFile();
    }
    pause.Resume({0, 2, 4});
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
    TimerPause pause(w_.timers, {0, 2, 4});
    SendFrequency(change.slot, change.frequency, pause);
}

void ReceiverPanel::WriteCurrentFile() {
    if (w_.frq.SaveCurrentFile(w_.files.CurrentFile)) {
        return;
    }
    MessageBoxSpec box;
    box.text = QStringLiteral("The frequency file ") + w_.files.CurrentFile +
               QStringLiteral(" could not be written.") + kCrLf + w_.frq.errorString() + kCrLf +
               QStringLiteral("The receiver has the new setting; the file keeps the previous "
                              "one. Check the folder \"USB Files\" and save again.");
    box.icon = MsgIcon::Exclamation;
    w_.prompter.ShowMessage(box);
}

// --- Cancel and user mute -------------------------------------------------------------------

void ReceiverPanel::CancelChanges() {
    const int s = slot_;
    // Nothing captured (never opened, or a frequency save has taken the values over): nothing
    // to go back to, and empty texts must never reach the tables or a frame.
    if (!RackTables::validSlot(s) || !captured_) {
        return;
    }
    SettingsRow& row = w_.rack.CurData[s];
    row.Name = OrigName;
    row.Frequency = OrigFrequency;
    if (OrigBandType == row.BandType && OrigMuteLevel == row.MuteLevel) {
        w_.rack.UserMute[s] = (bandTypeByte(s) & kUserMuteBit) != 0;
        return;
    }
    row.MuteLevel = OrigMuteLevel;
    row.BandType = OrigBandType;
    // The user mute shown follows the byte that is sent back, not the one being undone.
    w_.rack.UserMute[s] = (bandTypeByte(s) & kUserMuteBit) != 0;
    TimerPause pause(w_.timers, {0});
    SendMuteFrame(s, LevelOf(OrigMuteLevel));
    pause.Resume({0});
}

void ReceiverPanel::ToggleUserMute() {
    const int s = slot_;
    if (!RackTables::validSlot(s)) {
        return;
    }
    userMuteShown_ = !userMuteShown_;
    lblOnOff_ = userMuteShown_ ? QStringLiteral("ON") : QStringLiteral("OFF");
    w_.rack.UserMute[s] = userMuteShown_;
    int bandType = bandTypeByte(s);
    bandType = userMuteShown_ ? (bandType | kUserMuteBit) : (bandType & ~kUserMuteBit);
    w_.rack.CurData[s].BandType = QString::number(bandType);
    TimerPause pause(w_.timers, {0});
    SendMuteFrame(s, LevelOf(lblMute_));
    pause.Resume({0});
    notify();
}

// --- Keys, clicks, hover --------------------------------------------------------------------

std::optional<QChar> ReceiverPanel::NameKeyPress(QChar key) {
    if (key == QChar('\b')) {
        return key;
    }
    if (key == QChar('\r')) {
        keepPanelOpen_ = false;
        SaveChanges();
        if (!keepPanelOpen_) {
            HidePanel();
        }
        return std::nullopt;
    }
    if (txtName_.size() >= kNameLength) {
        return std::nullopt;
    }
    if (key == QChar(' ')) {
        return QChar('_');
    }
    // A name goes to the receiver one byte per character: printable ASCII only.
    if (key.unicode() < 0x20 || key.unicode() >= 0x7F) {
        return std::nullopt;
    }
    return key;
}

QString ReceiverPanel::NameTextAllowed(const QString& text) const {
    QString allowed;
    for (const QChar c : text) {
        if (allowed.size() >= kNameLength) {
            break;
        }
        if (c == QChar(' ')) {
            allowed += QChar('_');
        } else if (c.unicode() > 0x20 && c.unicode() < 0x7F) {
            allowed += c;
        }
    }
    return allowed;
}

QString ReceiverPanel::FreqTextAllowed(const QString& text) const {
    const QChar separator(static_cast<char16_t>(w_.rack.DecimalSeparatorCode));
    QString allowed;
    for (const QChar c : text) {
        if ((c >= QChar('0') && c <= QChar('9')) ||
            (c == separator && !allowed.contains(separator))) {
            allowed += c;
        }
    }
    return allowed;
}

std::optional<QChar> ReceiverPanel::FreqKeyPress(QChar key) {
    const QChar separator(static_cast<char16_t>(w_.rack.DecimalSeparatorCode));
    if (key == QChar('\b') || (key >= QChar('0') && key <= QChar('9'))) {
        return key;
    }
    if (key == separator && !txtFreq_.contains(separator)) {
        return key;
    }
    if (key == QChar('\r') && !txtFreq_.isEmpty()) {
        keepPanelOpen_ = false;
        SaveChanges();
        if (!keepPanelOpen_) {
            HidePanel();
            FocusMeters();
        }
    }
    return std::nullopt;
}

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
    w_.rack.CurData[slot_].MuteLevel = lblMute_;
    SendMuteFrame(slot_, level);
    notify();
}

void ReceiverPanel::SliderPressed() {
    if (sliderHold_) {
        return;
    }
    sliderHold_.emplace(w_.timers, std::initializer_list<int>{4, 0});
    if (sliderHold_->stopped(0)) {
        w_.timers.setInterval(0, kDragPollMs);
        w_.timers.setEnabled(0, true);
    }
}

void ReceiverPanel::SliderReleased() {
    if (!sliderHold_) {
        return;
    }
    TimerPause hold = *sliderHold_;
    sliderHold_.reset();
    if (!hold.stopped(0)) {
        hold.Resume({4}); // polling was not running: only what was stopped comes back
        return;
    }
    // Whoever stopped the fast polling in between (the USB watchdog, the exit request) has the
    // last word: the interval goes back, nothing is started.
    const bool stillPolling = w_.timers.enabled(0);
    w_.timers.setEnabled(0, false);
    w_.timers.setInterval(0, w_.devices.PollInterval);
    if (stillPolling) {
        hold.Resume({0, 4});
    }
}

// --- Frames ---------------------------------------------------------------------------------

void ReceiverPanel::SendNameFrame(int s) {
    WriteFrame(s, BuildNameFrame(w_.rack, s, LevelOf(w_.rack.CurData[s].MuteLevel)));
}

void ReceiverPanel::SendMuteFrame(int s, int level) {
    WriteFrame(s, BuildMuteFrame(w_.rack, s, level));
}

void ReceiverPanel::SendFrequencyFrame(int s) {
    WriteFrame(s, BuildFrequencyFrame(w_.rack, s));
}

void ReceiverPanel::WriteFrame(int s, const std::optional<SettingsFrame>& frame) {
    if (!frame || s < 1 || s > w_.devices.DeviceCount || !RackTables::validSlot(s)) {
        return; // a frame that cannot be built from the tables is never sent half-made
    }
    // Frame, buffer and write in one sequence: nothing else can use TxBuffer in between.
    std::copy(frame->begin(), frame->end(), w_.link.TxBuffer.begin());
    w_.link.WriteDevice(w_.devices.SlotDevice[s], kSettingsFrameSize);
}

// --- Helpers --------------------------------------------------------------------------------

int ReceiverPanel::bandTypeByte(int s) const {
    bool ok = false;
    const int value = w_.rack.CurData[s].BandType.toInt(&ok);
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
    if (sliderHold_) {
        SliderReleased();
    }
    visible_ = false;
    if (view_) {
        view_->HidePanel();
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
