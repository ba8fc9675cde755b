// The editor's checks and its four edit commands. Each accepted change is written to the file
// at once; a change that cannot be written is taken back, so that the grid always shows what
// the file holds.
#include "FrequencyEditor.h"

#include "bands/CheckFrequency.h"
#include "files/FrqFile.h"
#include "platform/ActionLog.h"
#include "platform/Prompter.h"

#include <QLocale>

#include <algorithm>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

MessageBoxSpec Box(const QString& text, const QString& title, MsgIcon icon = MsgIcon::None,
                   MsgButtons buttons = MsgButtons::OK) {
    MessageBoxSpec box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    box.buttons = buttons;
    return box;
}

QString FileFull(const QString& secondLine) {
    return QStringLiteral("Your file already has ") + QString::number(FrequencyEditor::kMaxRows) +
           QStringLiteral(" entries") + kCrLf + secondLine;
}

} // namespace

// --- Checks ---------------------------------------------------------------------------------

bool FrequencyEditor::ValidateEntry() {
    QString name = state_.txtName.isEmpty() ? QStringLiteral("______") : state_.txtName;
    name.replace(QLatin1Char(' '), QLatin1Char('_'));
    state_.txtName = name;

    const FrequencyCheck check =
        w_.checker.CheckFrequency(withUserSeparator(state_.txtFreq), false, 0);
    // A text the check could not read is refused like one outside the band.
    if (check.result == FrequencyResult::Err || check.result == FrequencyResult::Unreadable) {
        requestFocus(EditorFocus::Freq);
        state_.txtFreq.clear();
        return false;
    }
    if (!check.valid()) {
        requestFocus(EditorFocus::Freq);
        return false;
    }
    state_.txtFreq = check.frequency;

    if (state_.txtMute.isEmpty()) {
        state_.txtMute = QStringLiteral("5");
    }
    if (!CheckMuteEntry(state_.txtMute, kMaxMuteLevel)) {
        requestFocus(EditorFocus::Mute);
        return false;
    }
    return true;
}

bool FrequencyEditor::CheckMuteEntry(const QString& text, int maximum) {
    bool numeric = false;
    const double value = QLocale::c().toDouble(text.trimmed(), &numeric);
    if (!numeric) {
        w_.prompter.ShowMessage(Box(QStringLiteral("Mute level must be 1 to 10") + kCrLf +
                                        QStringLiteral("Please re enter"),
                                    QStringLiteral("Entry error"), MsgIcon::Exclamation));
        return false;
    }
    if (value > maximum) {
        w_.prompter.ShowMessage(Box(QStringLiteral("The mute value is too large!") + kCrLf +
                                        QStringLiteral("Please enter a number less than ") +
                                        QString::number(maximum) + QStringLiteral("."),
                                    QStringLiteral("Size error"), MsgIcon::Exclamation));
        return false;
    }
    return true;
}

void FrequencyEditor::FreqBoxLeft() {
    // The check's own message box takes the focus away again: that is not another exit.
    if (checkingFreq_ || state_.txtFreq.isEmpty()) {
        return;
    }
    checkingFreq_ = true;
    const FrequencyCheck check =
        w_.checker.CheckFrequency(withUserSeparator(state_.txtFreq), false, 0);
    checkingFreq_ = false;
    if (check.result == FrequencyResult::Err || check.result == FrequencyResult::Unreadable) {
        state_.txtFreq.clear();
        requestFocus(EditorFocus::Freq);
    } else {
        state_.txtFreq = check.frequency; // empty after band 14's refusal
        if (state_.selectedRow >= 0) {
            selectWholeRow(state_.selectedRow);
        }
    }
    notify();
}

// --- Commands -------------------------------------------------------------------------------

void FrequencyEditor::cmdAdd() {
    if (readOnly()) {
        return;
    }
    if (!ValidateEntry()) {
        notify();
        return;
    }
    if (static_cast<int>(state_.rows.size()) >= kMaxRows) {
        w_.prompter.ShowMessage(
            Box(FileFull(QStringLiteral("You may only update or delete existing data")),
                QStringLiteral("File full")));
        notify();
        return;
    }
    const Snapshot before{state_, document_};
    state_.rows.push_back(rowFromBoxes(static_cast<int>(state_.rows.size()) + 1));
    rowsChanged();
    const int count = static_cast<int>(state_.rows.size());
    FormatRow(0);
    state_.lblNo = QString::number(count);
    GridToEditData(count);
    RenumberRows(); // after "**NA**" entries the numbers follow the compacted file
    selectWholeRow(count - 1);
    FormatRow(count - 1);
    for (EditorControl control :
         {EditorControl::cmdUpdate, EditorControl::cmdInsert, EditorControl::cmdDelete,
          EditorControl::cmdDownload, EditorControl::cmdUpload}) {
        state_.controls[control].enabled = true;
    }
    clearBoxes();
    if (saveOrRestore(before,
                      QStringLiteral("Performer %1 added to %2").arg(count).arg(document_.EditFile),
                      QStringLiteral("entry %1 added").arg(count))) {
        requestFocus(EditorFocus::Name);
    }
    notify();
}

void FrequencyEditor::cmdInsert() {
    if (readOnly()) {
        return;
    }
    if (!ValidateEntry()) {
        notify();
        return;
    }
    const Snapshot before{state_, document_};
    int at = 0;
    if (static_cast<int>(state_.rows.size()) >= kMaxRows) {
        const MsgAnswer answer = w_.prompter.ShowMessage(
            Box(FileFull(QStringLiteral("Do you wish to overwrite the selected data")),
                QStringLiteral("File full"), MsgIcon::None, MsgButtons::YesNo));
        if (answer != MsgAnswer::Yes || state_.selectedRow < 0) {
            notify();
            return;
        }
        at = state_.selectedRow;
        writeBoxesInto(state_.rows[static_cast<std::size_t>(at)]);
    } else {
        at = std::clamp(SelectedEntry() - 1, 0, static_cast<int>(state_.rows.size()));
        state_.rows.insert(state_.rows.begin() + at, rowFromBoxes(at + 1));
        state_.lblNo = QString::number(state_.rows.size());
    }
    rowsChanged();
    FormatRow(at);
    RenumberRows();
    GridToEditData(static_cast<int>(state_.rows.size()));
    selectWholeRow(at);
    clearBoxes();
    saveOrRestore(
        before, QStringLiteral("Performer %1 inserted into %2").arg(at + 1).arg(document_.EditFile),
        QStringLiteral("entry %1 inserted").arg(at + 1));
    notify();
}

void FrequencyEditor::cmdUpdate() {
    // With no row there is nothing to update, and nothing is written.
    if (readOnly() || state_.selectedRow < 0 || state_.rows.empty()) {
        return;
    }
    if (!ValidateEntry()) {
        notify();
        return;
    }
    const Snapshot before{state_, document_};
    const int row = state_.selectedRow;
    writeBoxesInto(state_.rows[static_cast<std::size_t>(row)]);
    rowsChanged();
    GridToEditData(static_cast<int>(state_.rows.size()));
    RenumberRows(); // after "**NA**" entries the numbers follow the compacted file
    clearBoxes();
    saveOrRestore(before,
                  QStringLiteral("Perfomer %1 updated in %2").arg(row + 1).arg(document_.EditFile),
                  QStringLiteral("entry %1 updated").arg(row + 1));
    notify();
}

void FrequencyEditor::cmdDelete() {
    if (readOnly()) {
        return;
    }
    if (state_.rows.size() < 2) {
        w_.prompter.ShowMessage(Box(QStringLiteral("Your file must contain one frequency") + kCrLf +
                                        QStringLiteral("Use 'Update' to change the data"),
                                    QStringLiteral("Deletion error")));
        return;
    }
    const int row = state_.selectedRow;
    if (row < 0) {
        return;
    }
    const Snapshot before{state_, document_};
    state_.rows.erase(state_.rows.begin() + row);
    rowsChanged();
    const int count = static_cast<int>(state_.rows.size());
    state_.lblNo = QString::number(count);
    GridToEditData(count);
    RenumberRows();
    fillBoxes(0);
    state_.lblRow = QStringLiteral("1");
    selectWholeRow(0);
    saveOrRestore(
        before, QStringLiteral("Performer %1 deleted from %2").arg(row + 1).arg(document_.EditFile),
        QStringLiteral("entry %1 deleted").arg(row + 1));
    notify();
}

bool FrequencyEditor::ReplaceRows(std::vector<GridRow> rows, const QString& done,
                                  const QString& change) {
    if (readOnly() || rows.empty() || static_cast<int>(rows.size()) > kMaxRows) {
        return false;
    }
    const Snapshot before{state_, document_};
    state_.rows = std::move(rows);
    rowsChanged();
    const int count = static_cast<int>(state_.rows.size());
    for (int r = 0; r < count; ++r) {
        FormatRow(r);
    }
    RenumberRows();
    state_.lblNo = QString::number(count);
    GridToEditData(count);
    const int selected = std::clamp(state_.selectedRow, 0, count - 1);
    fillBoxes(selected);
    state_.lblRow = QString::number(selected + 1);
    selectWholeRow(selected);
    const bool saved = saveOrRestore(before, done, change);
    notify();
    return saved;
}

bool FrequencyEditor::saveOrRestore(const Snapshot& before, const QString& done,
                                    const QString& change) {
    const FileResult saved = w_.frq.SaveEditorFile(document_.EditFile, document_);
    if (saved) {
        setStatus(done);
        logSave(document_.EditFile, change + QStringLiteral(" in the editor"));
        return true;
    }
    const QString reason = saved.why();
    const int rowsVersion = state_.rowsVersion + 1;
    const int focusRequests = state_.focusRequests;
    state_ = before.state;
    state_.rowsVersion = rowsVersion;
    state_.focusRequests = focusRequests;
    document_ = before.document;
    setStatus(QStringLiteral("Not saved: ") + document_.EditFile + QStringLiteral(" is unchanged"));
    w_.prompter.ShowMessage(
        Box(QStringLiteral("The change could not be saved in ") + document_.EditFile +
                QStringLiteral(".") + kCrLf + reason + kCrLf +
                QStringLiteral("The grid and the file keep their previous entries and the entry "
                               "stays in the boxes. Check the folder \"USB Files\" and try "
                               "again."),
            QStringLiteral("File not saved"), MsgIcon::Exclamation));
    return false;
}

void FrequencyEditor::logSave(const QString& file, const QString& detail) const {
    if (w_.actions != nullptr) {
        w_.actions->Action(0, QString(), QStringLiteral("file-save"),
                           file + QStringLiteral(", ") + detail);
    }
}

} // namespace k7
