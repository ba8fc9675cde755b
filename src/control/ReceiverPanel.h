// The receiver control panel's controller (frmRx without its window): the texts, enabled fields,
// key rules, colours and slider events of the panel for one receiver, and the "M", "m" and "I"
// frames it sends. The window is a thin view over it; the whole panel runs in tests without one.
#pragma once

#include "BackupFrequencies.h"
#include "platform/KeyRules.h"
#include "rack/Protocol.h"
#include "rack/RackCommands.h"
#include "rack/RackEvents.h"
#include "rack/RackPorts.h"
#include "rack/RackSettings.h"

#include <QChar>
#include <QColor>
#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

namespace k7 {

struct DeviceTables;
class EventPump;
class ActionLog;
class FrequencyChecker;
class RackFile;
class Prompter;
class Timer;
class TimerFactory;

// What the controller asks of its window.
class ReceiverPanelView {
public:
    virtual ~ReceiverPanelView() = default;
    // Shown modeless, top-most at (5, 389), without taking the focus.
    virtual void ShowPanel() = 0;
    virtual void HidePanel() = 0;
    // The controller's state changed: show it again (texts, enabled fields, colours, slider).
    virtual void StateChanged() = 0;
};

class ReceiverPanel final : public RackEvents {
public:
    struct Wiring {
        RackSettings& settings;
        RackCommands& engine; // frames to the receivers, polling paused or fast
        const DeviceTables& devices;
        RackFile& files;            // the file in force, written after each change that lands
        TimerFactory& timerFactory; // makes tmrReProg
        EventPump& pump;
        FrequencyChecker& checker;
        Prompter& prompter;
        ShellPort* shell = nullptr;   // focus back to the meter panel; may be null
        ActionLog* actions = nullptr; // where each change that lands is logged; may be null
    };

    static constexpr int kReProgMs = 100;
    static constexpr int kDragPollMs = 12;
    static constexpr int kOk = 0, kCancel = 1, kUserMute = 2;
    static inline const QColor kHoverColour{0, 255, 0};
    static inline const QColor kRestColour{0, 128, 0};
    static inline const QColor kOnColour{255, 0, 0};
    static inline const QColor kOffColour{255, 255, 0};

    explicit ReceiverPanel(const Wiring& wiring);
    ~ReceiverPanel() override;
    ReceiverPanel(const ReceiverPanel&) = delete;
    ReceiverPanel& operator=(const ReceiverPanel&) = delete;

    void SetView(ReceiverPanelView* view) { view_ = view; }
    // Told each time the panel is shown or hidden (the trace).
    void SetShownObserver(std::function<void(bool shown)> observer) {
        shownObserver_ = std::move(observer);
    }
    static QString Caption() { return QStringLiteral("Receiver Parameters"); }
    // Where the rack's backups come from (none: no backups are offered).
    void SetBackupFrequencies(BackupFrequencies* backups) { backups_ = backups; }

    // A right click on a slot's cell: SelectedSlot is set, and the panel opens (activated for
    // that slot) only for an answering receiver of a K7.5 rack. False when nothing opened.
    bool Open(int slot);
    // RackEvents: a settings answer for the slot shown reloads the panel.
    void SettingsAnswered(int slot) override;
    // RackEvents: at a USB change (and a rescan) the panel closes with nothing sent: its
    // receiver may be gone. A frequency still waiting for tmrReProg is dropped, and logged as
    // not sent; nothing is taken back later.
    void DeviceCountChanged(int attached, int expected) override;
    void RescanStarted(int before) override;
    // The panel unloads at the stop; its changes are taken back unless the exit was confirmed.
    void Unload(bool exitConfirmed);
    // Hidden as it stands (a file load into the rack takes over): nothing is sent or taken
    // back; the next Open captures the slot afresh.
    void Hide() { HidePanel(); }

    // The panel's operations; all act on the slot the panel was opened for.
    void SaveChanges();
    void CancelChanges();
    void ToggleUserMute();
    void ProgramFrequency();

    // Key rules: the character a key press becomes, or nothing when it is refused (or, for
    // Enter, consumed by the save it starts). A key typed over the box's selection (replaced)
    // is judged by the text it leaves.
    std::optional<QChar> NameKeyPress(QChar key, TextSelection replaced = {});
    std::optional<QChar> FreqKeyPress(QChar key, TextSelection replaced = {});
    // Every way text enters a box (typing, paste, drag and drop, an input method) ends in
    // these: the box's whole new text, kept to what its key rules let in.
    QString NameTextAllowed(const QString& text) const;
    QString FreqTextAllowed(const QString& text) const;
    void NameEdited(const QString& text) { txtName_ = text; }
    void FreqEdited(const QString& text);

    // The backups the receiver shown can take, offered in the frequency box ("Backups"); none
    // while the frequency cannot be changed.
    QStringList backups() const;
    // A backup chosen from the list: it goes into the frequency box (OK or Enter programs it, as
    // a typed frequency) and is checked against the rack at once; lblBackup says what the
    // check found.
    void TakeBackup(const QString& frequency);

    // lblRxControls: 0 "OK", 1 "Cancel", 2 "User Mute".
    void ControlClicked(int index);
    void HoverControl(int index);
    void HoverPanel();
    // The window's close box: as "Cancel".
    void CloseRequested();

    // VSlider1.
    void SliderValueChanged(int value);
    void SliderScrolled(int value);
    void SliderPressed();
    void SliderReleased();

    // State the view shows.
    bool visible() const { return visible_; }
    int slot() const { return slot_; }
    const QString& txtName() const { return txtName_; }
    const QString& txtFreq() const { return txtFreq_; }
    bool nameEnabled() const { return nameEnabled_; }
    bool freqEnabled() const { return freqEnabled_; }
    const QString& lblMute() const { return lblMute_; }
    int sliderValue() const { return sliderValue_; }
    const QString& lblOnOff() const { return lblOnOff_; }
    QColor onOffColour() const { return userMuteShown_ ? kOnColour : kOffColour; }
    const QString& lblSet() const { return lblSet_; }
    const QString& lblBand() const { return lblBand_; }
    const QString& lblBackup() const { return lblBackup_; }
    bool backupClean() const { return backupClean_; }
    QColor controlColour(int index) const;
    bool KeepPanelOpen() const { return keepPanelOpen_; }
    bool SkipSliderChange() const { return skipSliderChange_; }
    bool reProgPending() const { return pending_.has_value(); }

private:
    // A frequency change waiting for tmrReProg: everything it needs, so that it programs the
    // slot and the values it was started for whatever the panel shows when it fires.
    struct PendingFrequency {
        int slot;
        QString frequency; // already checked
    };

    void Activate();
    void HidePanel();
    void closeForUsbChange();
    void FocusMeters();
    void ApplyLevel(int value);
    void ClearCaptured();
    // The checked frequency text for the panel's slot, or nothing when it is refused (the
    // operator has been told).
    std::optional<QString> CheckedFrequency(const QString& text);
    // Programs a checked frequency into slot s (the caller has paused polling), then, once
    // polling runs again, shows that it landed.
    void SendFrequency(int s, const QString& frequency);
    void FrequencySent(int s);
    void ReProgFired();
    // The file in force takes the change (when a file is in use); a failure is told (false).
    bool WriteCurrentFile();
    // Name, mute level or user mute differ from what the panel last sent.
    bool unsentChanges(const QString& name) const;
    bool SendNameFrame(int slot);
    bool SendMuteFrame(int slot, int level);
    bool SendMuteFrameQueriesPaused(int slot, int level);
    // True when the "I" frame went out whole.
    bool SendFrequencyFrame(int slot);
    WriteResult WriteFrame(int slot, const std::optional<SettingsFrame>& frame);
    const RackTables& tables() const { return w_.settings.tables(); }
    int bandTypeByte(int slot) const;
    void notify();
    // The event log's record of the changes that reached a receiver or a file.
    void logAction(int slot, const QString& event, const QString& detail) const;
    void logChange(int slot, const QString& event, const QString& from, const QString& to,
                   bool sent) const;
    // A mute level sent: logged at once, or while the slider is held once it is let go, from
    // the level the drag started at.
    void logLevel(int slot, const QString& from, bool sent);
    void logHeldLevel();

    Wiring w_;
    ReceiverPanelView* view_ = nullptr;
    std::function<void(bool)> shownObserver_;
    BackupFrequencies* backups_ = nullptr;
    std::unique_ptr<Timer> tmrReProg_;
    std::optional<PendingFrequency> pending_;
    bool sliderHeld_ = false; // the rack polls fast while the operator holds the slider
    std::optional<std::pair<int, QString>> heldLevelFrom_; // slot and level a drag started at

    int slot_ = 0;
    bool visible_ = false;
    bool keepPanelOpen_ = false;
    bool skipSliderChange_ = false;
    int scrollCount_ = 0; // ScrollCount
    QString txtName_, txtFreq_;
    bool nameEnabled_ = false, freqEnabled_ = false;
    QString lblMute_, lblOnOff_, lblSet_, lblBand_;
    QString lblBackup_;   // the check of the backup taken; empty when none was taken
    QString takenBackup_; // the backup in the frequency box
    bool backupClean_ = false;
    bool userMuteShown_ = false;
    int sliderValue_ = 1;
    int hovered_ = -1; // the label under the mouse, -1 for none
    QString OrigName, OrigFrequency, OrigMuteLevel, OrigBandType;
    bool captured_ = false; // the Orig values hold what activation captured
    // What the receiver and the file last got from the panel: captured at activation, moved on
    // by each save that lands, so that a second "OK" sends only what changed since.
    struct Sent {
        QString name, frequency, muteLevel, bandType;
    };
    Sent sent_;
};

} // namespace k7
