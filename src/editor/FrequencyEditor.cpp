// The editor's life (load, show, activation, unload and the polling it holds), its uses, the
// grid and the boxes.
#include "FrequencyEditor.h"

#include "files/FrqCodec.h"
#include "link/DeviceTables.h"
#include "rack/RackCommands.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kNotAvailable = QStringLiteral("**NA**");

} // namespace

FrequencyEditor::FrequencyEditor(const Wiring& wiring) : w_(wiring) {
    state_.caption = DesignCaption();
}

// --- Life of the window ---------------------------------------------------------------------

void FrequencyEditor::Load() {
    EditorState fresh;
    // The window tells changes by these counters: they never go back.
    fresh.rowsVersion = state_.rowsVersion + 1;
    fresh.focusRequests = state_.focusRequests;
    fresh.caption = DesignCaption();
    fresh.cmbRxsIndex = 0;
    fillReceivers(fresh);
    state_ = std::move(fresh);
    receiversAway_ = false;
    mode_ = EditorMode::Design;
    loaded_ = true;
    notify();
}

void FrequencyEditor::fillReceivers(EditorState& state) const {
    const int receivers = std::clamp(w_.devices.DeviceCount, 0, kMaxSlots);
    state.cmbRxsItems.clear();
    for (int i = 1; i <= receivers; ++i) {
        state.cmbRxsItems << QString::number(i);
    }
    state.cmbRxsIndex = receivers > 0 ? std::clamp(state.cmbRxsIndex, 0, receivers - 1) : -1;
}

void FrequencyEditor::setReceiversAway(bool away) {
    if (away == receiversAway_) {
        return;
    }
    receiversAway_ = away;
    ControlState& send = state_.controls[EditorControl::cmdDownload];
    ControlState& upload = state_.controls[EditorControl::cmdUpload];
    if (away) {
        awayEnabled_ = {send.enabled, upload.enabled};
        send.enabled = false;
        upload.enabled = false;
    } else {
        send.enabled = awayEnabled_.first;
        upload.enabled = awayEnabled_.second;
    }
    notify();
}

void FrequencyEditor::Show(const QString& caption) {
    if (!loaded_) {
        Load();
    }
    state_.caption = caption;
    state_.visible = true;
    if (view_) {
        view_->ShowEditor();
    }
    Activate();
}

void FrequencyEditor::Activate() {
    if (!state_.visible) {
        return;
    }
    holdPolling();
    setStatus(QString());
    notify();
}

void FrequencyEditor::holdPolling() {
    held_.Absorb(w_.engine.PausePolling());
    w_.engine.KeepWatching(held_); // a USB change is seen while the editor is open
}

void FrequencyEditor::AdoptPause(TimerPause pause) {
    held_.Absorb(std::move(pause));
    w_.engine.KeepWatching(held_);
}

bool FrequencyEditor::pollingHeld() const {
    return !held_.empty();
}

void FrequencyEditor::ActivityChanged(RackActivity activity) {
    if (activity != RackActivity::Monitoring) {
        return;
    }
    if (receiversAway_) {
        fillReceivers(state_); // a rescan may have found another number of receivers
        setReceiversAway(false);
    }
    if (state_.visible) {
        holdPolling();
        notify();
    }
}

void FrequencyEditor::Unload(bool restartTimers) {
    if (!loaded_ && !state_.visible) {
        return;
    }
    {
        // Polling comes back only into metering: never inside a pass (whose end starts it) or
        // while the program is closing. Otherwise the held timers restart as this block ends.
        TimerPause held = std::move(held_);
        if (!restartTimers || w_.engine.Activity() != RackActivity::Monitoring) {
            held.Keep();
        }
    }
    state_.mnuFileEnabled = false;
    state_.visible = false;
    loaded_ = false;
    mode_ = EditorMode::Design;
    if (view_) {
        view_->HideEditor();
    }
    notify();
}

// --- Uses -----------------------------------------------------------------------------------

void FrequencyEditor::Open(const EditorDocument& document, EditorMode mode) {
    document_ = document;
    Show(CaptionFor(document_.EditFile));
    PopulateGrid();
    EnterMode(mode);
}

void FrequencyEditor::OpenNewFile(const EditorDocument& document) {
    document_ = document;
    Show(CaptionFor(document_.EditFile));
    state_.rows.clear();
    state_.selectedRow = -1;
    rowsChanged();
    const auto fillFirstEntry = [this] {
        state_.lblRow = QStringLiteral("1");
        state_.txtName = QStringLiteral("User 1");
        state_.txtFreq = document_.EditData[1].Frequency;
        state_.txtMute = document_.EditData[1].MuteLevel;
    };
    fillFirstEntry();
    cmdAdd();
    fillFirstEntry();
    EnterMode(EditorMode::NewFile);
}

void FrequencyEditor::EnterMode(EditorMode mode) {
    mode_ = mode;
    // Nothing of the use before is kept: File > New over an open transfer gets its Add button,
    // and "Save" comes only with a good upload in this use.
    state_.controls = ModeStates(mode);
    state_.mnuFileEnabled = false;
    if (readOnly()) {
        for (EditorControl control :
             {EditorControl::txtName, EditorControl::txtFreq, EditorControl::txtMute,
              EditorControl::cmdAdd, EditorControl::cmdInsert, EditorControl::cmdUpdate,
              EditorControl::cmdDelete}) {
            state_.controls[control].enabled = false;
        }
    }
    if (receiversAway_) {
        ControlState& send = state_.controls[EditorControl::cmdDownload];
        ControlState& upload = state_.controls[EditorControl::cmdUpload];
        awayEnabled_ = {send.enabled, upload.enabled};
        send.enabled = false;
        upload.enabled = false;
    }
    if (mode == EditorMode::NewFile) {
        requestFocus(EditorFocus::Name);
    }
    notify();
}

// --- Grid -----------------------------------------------------------------------------------

void FrequencyEditor::PopulateGrid() {
    state_.rows.clear();
    // Every entry keeps its own name, also those past the count, which the file keeps too.
    for (int i = 1; i <= kFileEntries; ++i) {
        document_.EditNames[static_cast<std::size_t>(i)] =
            document_.EditData[static_cast<std::size_t>(i)].Name;
    }
    // Entry 1 is always shown, even with a count of 0.
    const int count = std::clamp(document_.EntryCount, 1, kFileEntries);
    for (int i = 1; i <= count; ++i) {
        SettingsRow& entry = document_.EditData[static_cast<std::size_t>(i)];
        entry.Name = entry.Name.left(kEditorNameLength);
        if (entry.Name == kNotAvailable) {
            continue;
        }
        GridRow row;
        row.cells = {QString::number(i), entry.Name, entry.Frequency, entry.MuteLevel};
        row.savedName = document_.EditNames[static_cast<std::size_t>(i)];
        state_.rows.push_back(std::move(row));
        FormatRow(static_cast<int>(state_.rows.size()) - 1);
    }
    rowsChanged();
    state_.lblNo = QString::number(state_.rows.size());
    if (state_.rows.empty()) {
        state_.selectedRow = -1;
    } else {
        fillBoxes(0);
        state_.lblRow = QStringLiteral("1");
        selectWholeRow(0);
    }
    notify();
}

void FrequencyEditor::GridToEditData(int n) {
    n = std::clamp(n, 0, std::min(static_cast<int>(state_.rows.size()), kFileEntries));
    for (int r = 0; r < n; ++r) {
        const GridRow& row = state_.rows[static_cast<std::size_t>(r)];
        const auto e = static_cast<std::size_t>(r + 1);
        SettingsRow& entry = document_.EditData[e];
        entry.Name = row.cells[1];
        entry.Frequency = row.cells[2];
        entry.MuteLevel = row.cells[3];
        entry.BandType = QStringLiteral("0");
        // The name beside its own frequency, whatever rows were compacted or moved.
        document_.EditNames[e] = row.savedName;
    }
    // The count follows the rows, so that no entry left behind by a compaction or a delete is
    // counted twice.
    document_.EntryCount = n;
}

void FrequencyEditor::FormatRow(int row) {
    if (row < 0 || row >= static_cast<int>(state_.rows.size())) {
        return;
    }
    state_.rows[static_cast<std::size_t>(row)].alignment = {
        Qt::AlignRight | Qt::AlignVCenter, Qt::AlignLeft | Qt::AlignVCenter,
        Qt::AlignHCenter | Qt::AlignVCenter, Qt::AlignHCenter | Qt::AlignVCenter};
    touchRows();
}

void FrequencyEditor::RenumberRows() {
    for (std::size_t r = 0; r < state_.rows.size(); ++r) {
        state_.rows[r].cells[0] = QString::number(r + 1);
    }
    touchRows();
}

void FrequencyEditor::SelectRow(int row) {
    if (row < 0 || row >= static_cast<int>(state_.rows.size())) {
        return;
    }
    state_.lblRow = QString::number(row + 1);
    fillBoxes(row);
    selectWholeRow(row);
    const ControlState& name = state_.controls[EditorControl::txtName];
    if (name.enabled && name.visible) {
        requestFocus(EditorFocus::Name);
    }
    notify();
}

void FrequencyEditor::SetRowDecoration(int row, const RowDecoration& decoration) {
    if (row < 0 || row >= static_cast<int>(state_.rows.size())) {
        return;
    }
    state_.rows[static_cast<std::size_t>(row)].decoration = decoration;
    touchRows();
    notify();
}

void FrequencyEditor::rowsChanged() {
    for (GridRow& row : state_.rows) {
        row.decoration = {};
    }
    touchRows();
}

void FrequencyEditor::selectWholeRow(int row) {
    state_.selectedRow = row;
}

// A selected row fills the boxes from that row's own entry, as the grid shows it.
void FrequencyEditor::fillBoxes(int row) {
    const GridRow& shown = state_.rows[static_cast<std::size_t>(row)];
    state_.txtName = shown.cells[1];
    state_.txtFreq = shown.cells[2];
    state_.txtMute = shown.cells[3];
}

void FrequencyEditor::clearBoxes() {
    state_.txtName.clear();
    state_.txtFreq.clear();
    state_.txtMute.clear();
    state_.lblRow.clear();
}

GridRow FrequencyEditor::rowFromBoxes(int number) const {
    GridRow row;
    row.cells[0] = QString::number(number);
    writeBoxesInto(row);
    return row;
}

void FrequencyEditor::writeBoxesInto(GridRow& row) const {
    row.cells[1] = state_.txtName;
    row.cells[2] = state_.txtFreq;
    row.cells[3] = state_.txtMute;
    row.savedName = state_.txtName;
}

// --- Boxes ----------------------------------------------------------------------------------

QChar FrequencyEditor::separator() const {
    return w_.rack.DecimalSeparator();
}

// A frequency typed with "." where the user's separator is another is read with that one.
QString FrequencyEditor::withUserSeparator(const QString& text) const {
    const QChar sep = separator();
    if (sep == QLatin1Char('.') || text.contains(sep) || text.count(QLatin1Char('.')) != 1) {
        return text;
    }
    QString converted = text;
    converted.replace(QLatin1Char('.'), sep);
    return converted;
}

void FrequencyEditor::SelectReceiver(int index) {
    if (index >= 0 && index < state_.cmbRxsItems.size()) {
        state_.cmbRxsIndex = index;
        notify();
    }
}

void FrequencyEditor::ClearStatus() {
    setStatus(QString());
    notify();
}

// --- Notices --------------------------------------------------------------------------------

void FrequencyEditor::setStatus(const QString& text) {
    // Every text given is told, a repeated one too; only clearing a clear line is not.
    if (text.isEmpty() && state_.lblStatus.isEmpty()) {
        return;
    }
    state_.lblStatus = text;
    if (statusListener_) {
        statusListener_(text);
    }
}

void FrequencyEditor::requestFocus(EditorFocus focus) {
    state_.focus = focus;
    ++state_.focusRequests;
}

void FrequencyEditor::notify() {
    if (view_) {
        view_->StateChanged();
    }
    for (const auto& observer : observers_) {
        observer();
    }
}

} // namespace k7
