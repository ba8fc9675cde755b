// The frequency file editor's controller (frmTransferMain without its window): the grid of one
// file's entries, the three boxes with their key rules, the edit commands, the status line, the
// use it was opened for, and the polling it keeps paused while it is open. Every accepted change
// is written to the file at once. The window is a thin view over it; the whole editor runs in
// tests without one.
#pragma once

#include "EditorKeys.h"
#include "EditorModes.h"
#include "files/EditorDocument.h"
#include "platform/KeyRules.h"
#include "rack/RackEvents.h"
#include "rack/TimerPause.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace k7 {

struct DeviceTables;
struct RackTables;
class ActionLog;
class Clock;
class FileChooser;
class FrequencyChecker;
class FrqFile;
class RackFile;
class Prompter;
class RackCommands;
class RackSettings;
class SettingsStore;

// What the controller asks of its window.
class EditorView {
public:
    virtual ~EditorView() = default;
    // Shown modeless and brought to the front.
    virtual void ShowEditor() = 0;
    virtual void HideEditor() = 0;
    // The controller's state changed: show it again.
    virtual void StateChanged() = 0;
    // The status line shown at once, the label alone (a transfer holds the device meanwhile:
    // nothing else may run).
    virtual void RepaintStatus() {}
};

// A mark on a grid row (a colour and a tool tip); the default is no mark. Marks go when the
// rows change.
struct RowDecoration {
    QColor background;
    QString toolTip;
    bool operator==(const RowDecoration&) const = default;
};

inline constexpr int kGridColumns = 4;

// One grid row: the entry number, name, frequency and mute level as shown; the name the file
// keeps for the entry (it may be longer than the six characters shown); each cell's alignment
// once FormatRow has set it (none before); the row's mark.
struct GridRow {
    std::array<QString, kGridColumns> cells;
    QString savedName;
    std::array<Qt::Alignment, kGridColumns> alignment{};
    RowDecoration decoration;
    bool operator==(const GridRow&) const = default;
};

enum class EditorFocus { None, Name, Freq, Mute, Finish };

// What the window shows.
struct EditorState {
    bool visible = false;
    QString caption;
    std::vector<GridRow> rows;
    int rowsVersion = 0; // grows with every change of the rows
    int selectedRow = -1;
    QString txtName, txtFreq, txtMute;
    QString lblRow, lblNo, lblStatus;
    ControlStates controls;
    bool mnuFileEnabled = false;
    QStringList cmbRxsItems;
    int cmbRxsIndex = -1;
    EditorFocus focus = EditorFocus::None;
    int focusRequests = 0; // grows with every focus request
};

class FrequencyEditor final : public RackEvents {
public:
    struct Wiring {
        const FrqFile& frq;
        const RackFile& rackFile; // the file in force is never written by the editor
        FrequencyChecker& checker;
        RackCommands& engine; // polling paused while the editor is open
        const DeviceTables& devices;
        const RackTables& rack; // the user's decimal separator
        SettingsStore& settings;
        Prompter& prompter;
        FileChooser* chooser = nullptr;       // none: every save dialog counts as cancelled
        ActionLog* actions = nullptr;         // each save that lands is logged; may be null
        RackSettings* rackSettings = nullptr; // a download clears the slot's MuteHighBit
        const Clock* clock = nullptr;         // bounds an upload's reads (none: three reads)
    };

    static constexpr int kMaxRows = 24;
    static constexpr int kMaxMuteLevel = 10;
    static constexpr int kTwipsPerPixel = 15;
    static constexpr std::array<int, kGridColumns> kColumnTwips{300, 1015, 1015, 375};
    static QString DesignCaption() { return QStringLiteral("Veltora file editor"); }
    static QString CaptionFor(const QString& file) {
        return QStringLiteral("Veltora frequency File: ") + file;
    }

    explicit FrequencyEditor(const Wiring& wiring);
    FrequencyEditor(const FrequencyEditor&) = delete;
    FrequencyEditor& operator=(const FrequencyEditor&) = delete;

    void SetView(EditorView* view) { view_ = view; }
    // Told after every change of the state.
    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }
    // Told every text the status line is given.
    void SetStatusListener(std::function<void(const QString&)> listener) {
        statusListener_ = std::move(listener);
    }

    // --- Life of the window ---
    // The window's load: the design state, cmbRxs filled with "1" to DeviceCount.
    void Load();
    bool loaded() const { return loaded_; }
    // Shown with the caption (loaded first when it is not), and active.
    void Show(const QString& caption);
    // Each time the window becomes active: the polling timers that run are stopped and kept
    // stopped while it is open; the status line is cleared.
    void Activate();
    // cmdFinish and the close box.
    void Finish() { Unload(true); }
    // Hidden and unloaded; restartTimers: the timers it (or the command that opened it) stopped
    // start again, provided the rack is metering (never inside a pass or while closing).
    void Unload(bool restartTimers);
    // Polling timers a command stopped before it opened the editor, restarted with its unload.
    void AdoptPause(TimerPause pause);
    bool pollingHeld() const;
    void ClearStatus();

    // --- Uses ---
    // Shows the document (its EditFile in the caption), fills the grid and enters the use.
    void Open(const EditorDocument& document, EditorMode mode);
    // A new file's first look: the prepared entry 1 added as row 1, new-file use.
    void OpenNewFile(const EditorDocument& document);
    void EnterMode(EditorMode mode);
    // mnuUpload's editor: empty, without a file name, ready to fetch a receiver's set.
    void OpenForUpload();
    EditorMode mode() const { return mode_; }
    // Without a file name nothing can be written: the boxes and edit commands stay off until
    // "Save" names the set.
    bool readOnly() const { return document_.EditFile.isEmpty(); }
    // Normal editing of a named file: what coordination and the CSV import may change.
    bool normalEditing() const {
        return (mode_ == EditorMode::Edit || mode_ == EditorMode::NewFile) && !readOnly();
    }

    // --- Grid ---
    void PopulateGrid();
    void GridToEditData(int n);
    void FormatRow(int row);
    void RenumberRows();
    // The grid's selection event (row 0-based); nothing happens while the grid is empty.
    void SelectRow(int row);
    int SelectedEntry() const { return state_.selectedRow + 1; }
    void SetRowDecoration(int row, const RowDecoration& decoration);
    // All rows at once (coordination, a CSV import), written to the file like any edit: the
    // rows are numbered and formatted, the selection stays where it can, the status line
    // says done. When the file cannot be written everything stays as it was (false).
    bool ReplaceRows(std::vector<GridRow> rows, const QString& done, const QString& change);
    void ShowStatus(const QString& text) {
        setStatus(text);
        notify();
    }
    const Wiring& wiring() const { return w_; }

    // --- Boxes ---
    // A key typed over the box's selection (replaced) is judged by the text it leaves.
    std::optional<QChar> NameKeyPress(QChar key, TextSelection replaced = {}) const {
        return NameKey(key, WithoutSelection(state_.txtName, replaced));
    }
    std::optional<QChar> FreqKeyPress(QChar key, TextSelection replaced = {}) const {
        return FreqKey(key, WithoutSelection(state_.txtFreq, replaced), separator());
    }
    std::optional<QChar> MuteKeyPress(QChar key, TextSelection replaced = {}) const {
        return MuteKey(key, WithoutSelection(state_.txtMute, replaced));
    }
    QString NameTextAllowed(const QString& text) const { return k7::NameTextAllowed(text); }
    QString FreqTextAllowed(const QString& text) const {
        return k7::FreqTextAllowed(text, separator());
    }
    QString MuteTextAllowed(const QString& text) const { return k7::MuteTextAllowed(text); }
    void NameEdited(const QString& text) { state_.txtName = text; }
    void FreqEdited(const QString& text) { state_.txtFreq = text; }
    void MuteEdited(const QString& text) { state_.txtMute = text; }
    // Leaving txtFreq: a non-empty text is checked once; a refused one is cleared and keeps the
    // focus, a good one is shown as the check normalised it.
    void FreqBoxLeft();
    void SelectReceiver(int index); // cmbRxs

    // --- Checks and commands ---
    bool ValidateEntry();
    bool CheckMuteEntry(const QString& text, int maximum);
    void cmdAdd();
    void cmdInsert();
    void cmdUpdate();
    void cmdDelete();
    void mnuSave();
    // Transfer with the receiver chosen in cmbRxs (its slot number).
    void cmdDownload();
    void cmdUpload();
    // The chosen name once written; "Default" when Default.frq was refused; empty when
    // cancelled, refused or not written (the operator has been told why).
    // The name the set was saved under; none when refused, failed (the operator has been
    // told) or cancelled.
    std::optional<QString> SaveEditorAs();

    const EditorState& state() const { return state_; }
    const EditorDocument& document() const { return document_; }

    // RackEvents: metering that starts again while the editor is open (the end of a pass, or
    // of a rescan) is paused again; the receiver commands come back with it.
    void ActivityChanged(RackActivity activity) override;
    // RackEvents: from a USB change (or a rescan) until metering resumes, nothing is sent to
    // a receiver: "Send data to Rx" and "Upload from Rx" are disabled.
    void DeviceCountChanged(int /*attached*/, int /*expected*/) override { setReceiversAway(true); }
    void RescanStarted(int /*before*/) override { setReceiversAway(true); }
    bool receiversAway() const { return receiversAway_; }

private:
    struct Snapshot {
        EditorState state;
        EditorDocument document;
    };

    QChar separator() const;
    void setStatus(const QString& text);
    void requestFocus(EditorFocus focus);
    void fillBoxes(int row);
    void clearBoxes();
    // The rows' contents changed (their marks go); touchRows: only how they look.
    void rowsChanged();
    void touchRows() { ++state_.rowsVersion; }
    QString withUserSeparator(const QString& text) const;
    void selectWholeRow(int row);
    GridRow rowFromBoxes(int number) const;
    void writeBoxesInto(GridRow& row) const;
    void holdPolling();
    void setReceiversAway(bool away);
    // The receivers' list of cmbRxs, "1" to DeviceCount, keeping the choice where it can.
    void fillReceivers(EditorState& state) const;
    // Writes the document to EditFile and logs it (change: what the command did to which
    // entry); on failure the grid, the boxes and the document go back to the snapshot, the
    // operator is told why, and false is returned.
    bool saveOrRestore(const Snapshot& before, const QString& done, const QString& change);
    void logSave(const QString& file, const QString& detail) const;
    void notify();
    // Transfer: the slot chosen in cmbRxs; the status shown at once; the device set back for
    // polling; a good upload taken into the editor; a saved upload reopened as its file.
    int chosenSlot() const { return state_.cmbRxsIndex + 1; }
    void showStatusNow(const QString& text);
    void restoreLink(int slot);
    // The receiver's set fetched and taken into the editor; false (the status says why) when
    // it did not come whole.
    bool fetchUpload(int slot);
    void acceptUpload(const EditorDocument& uploaded);
    void dropUpload();
    void reopenSavedUpload(const QString& name);
    // Into the event log with the receiver's name as the rack shows it.
    void logTransfer(int slot, const QString& event, const QString& detail) const;

    EditorDocument document_; // the editor's own, apart from the rack's file
    Wiring w_;
    EditorView* view_ = nullptr;
    std::vector<std::function<void()>> observers_;
    std::function<void(const QString&)> statusListener_;
    EditorState state_;
    EditorMode mode_ = EditorMode::Design;
    bool loaded_ = false;
    bool checkingFreq_ = false; // the frequency check of leaving txtFreq is running
    TimerPause held_;           // the pauses taken or handed on while the editor is open
    bool receiversAway_ = false;
    // What the receiver commands' use gave them, while they are disabled.
    std::pair<bool, bool> awayEnabled_{false, false};
};

} // namespace k7
