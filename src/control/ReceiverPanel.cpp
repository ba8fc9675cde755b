#include "ReceiverPanel.h"

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

std::optional<QChar> ReceiverPanel::NameKeyPress(QChar key, TextSelection replaced) {
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
    if (WithoutSelection(txtName_, replaced).size() >= kNameLength) {
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
    const QChar separator(static_cast<char16_t>(tables().DecimalSeparatorCode));
    QString allowed;
    for (const QChar c : text) {
        if ((c >= QChar('0') && c <= QChar('9')) ||
            (c == separator && !allowed.contains(separator))) {
            allowed += c;
        }
    }
    return allowed;
}

std::optional<QChar> ReceiverPanel::FreqKeyPress(QChar key, TextSelection replaced) {
    const QChar separator(static_cast<char16_t>(tables().DecimalSeparatorCode));
    if (key == QChar('\b') || (key >= QChar('0') && key <= QChar('9'))) {
        return key;
    }
    if (key == separator && !WithoutSelection(txtFreq_, replaced).contains(separator)) {
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
