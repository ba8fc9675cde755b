#include "EditorCsv.h"

#include "ConflictReport.h"
#include "bands/BandTable.h"
#include "bands/CheckFrequency.h"
#include "files/EntriesCsv.h"
#include "files/FrqFile.h"
#include "files/WholeFile.h"
#include "link/DeviceTables.h"
#include "platform/FileChooser.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

QString Native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

QByteArray EditorCsv::ExportBytes() const {
    std::vector<CsvEntry> entries;
    for (const GridRow& row : editor_.state().rows) {
        const std::optional<int> kHz = FrequencyKHz(row.cells[2]);
        QString frequency = row.cells[2];
        frequency.replace(QLatin1Char(','), QLatin1Char('.'));
        entries.push_back(
            {row.cells[1], kHz ? FrequencyText(*kHz, QLatin1Char('.')) : frequency, row.cells[3]});
    }
    return EncodeEntriesCsv(entries);
}

bool EditorCsv::ExportFile(const QString& path) {
    QString error;
    if (!WriteWholeFile(path, ExportBytes(), error)) {
        MessageBoxSpec box;
        box.title = QStringLiteral("Export failed");
        box.icon = MsgIcon::Exclamation;
        box.text = QStringLiteral("The entries could not be exported.") + kCrLf + error + kCrLf +
                   QStringLiteral("Choose another folder, or free some space, and export again.");
        editor_.wiring().prompter.ShowMessage(box);
        editor_.ShowStatus(QStringLiteral("Not exported: ") + Native(path));
        return false;
    }
    editor_.ShowStatus(QStringLiteral("Exported %1 entries to %2")
                           .arg(editor_.state().rows.size())
                           .arg(Native(path)));
    return true;
}

EditorCsv::Converted EditorCsv::Convert(const CsvRead& read) {
    Converted result;
    const auto refused = [&](int line, const QString& why) {
        result.rows.clear();
        result.errorLine = line;
        result.error = why;
        return result;
    };
    if (!read.ok()) {
        return refused(read.errorLine, read.error);
    }
    if (read.entries.empty()) {
        return refused(0, QStringLiteral("The file holds no entries; a set holds at least one."));
    }
    if (static_cast<int>(read.entries.size()) > FrequencyEditor::kMaxRows) {
        const CsvEntry& first = read.entries[FrequencyEditor::kMaxRows];
        return refused(first.line, QStringLiteral("The file holds %1 entries; a set holds at "
                                                  "most %2 (line %3 is entry %4).")
                                       .arg(read.entries.size())
                                       .arg(FrequencyEditor::kMaxRows)
                                       .arg(first.line)
                                       .arg(FrequencyEditor::kMaxRows + 1));
    }
    const FrequencyEditor::Wiring& w = editor_.wiring();
    const QChar separator = w.rack.DecimalSeparator();
    for (const CsvEntry& entry : read.entries) {
        const QString line = QStringLiteral("Line %1: ").arg(entry.line);
        const std::optional<int> kHz = FrequencyKHz(entry.frequency);
        // Only the editor's check decides: its band, its raster, its form of the text.
        const FrequencyCheck checked =
            kHz ? w.checker.CheckFrequency(FrequencyText(*kHz, separator), true, 0)
                : FrequencyCheck{};
        if (checked.result == FrequencyResult::Range) {
            return refused(
                entry.line,
                line +
                    QStringLiteral("%1 MHz is out of the receivers' band. ").arg(entry.frequency) +
                    QString::fromLatin1(BandFor(w.devices.SlotBand[1]).messageLine));
        }
        if (!checked.valid()) {
            return refused(entry.line, line + QStringLiteral("\"%1\" is not a frequency in MHz "
                                                             "(write it as 606.600).")
                                                  .arg(entry.frequency));
        }
        const QString mute = entry.mute.isEmpty() ? QStringLiteral("5") : entry.mute;
        bool number = false;
        const int level = mute.toInt(&number);
        if (!number || level < 0 || level > FrequencyEditor::kMaxMuteLevel ||
            !std::ranges::all_of(mute, [](QChar c) { return c >= u'0' && c <= u'9'; })) {
            return refused(entry.line, line + QStringLiteral("the mute level \"%1\" is not a "
                                                             "number from 0 to %2.")
                                                  .arg(entry.mute)
                                                  .arg(FrequencyEditor::kMaxMuteLevel));
        }
        QString name = ReceiverName(entry.name);
        if (name.isEmpty()) {
            name = QStringLiteral("______");
        }
        GridRow row;
        row.cells = {QString(), name, checked.frequency, QString::number(level)};
        row.savedName = name;
        result.rows.push_back(std::move(row));
    }
    return result;
}

void EditorCsv::refuse(const QString& path, const Converted& why) {
    MessageBoxSpec box;
    box.title = QStringLiteral("Import refused");
    box.icon = MsgIcon::Exclamation;
    box.text = Native(path) + QStringLiteral(" was not imported.") + kCrLf + why.error + kCrLf +
               QStringLiteral("The editor and ") + editor_.document().EditFile +
               QStringLiteral(" are unchanged. Correct the file and import it again.");
    editor_.wiring().prompter.ShowMessage(box);
    editor_.ShowStatus(QStringLiteral("Not imported: ") + QFileInfo(path).fileName());
}

bool EditorCsv::ImportFile(const QString& path) {
    if (!editor_.normalEditing()) {
        return false;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Converted why;
        why.error =
            QStringLiteral("It could not be opened: ") + file.errorString() + QStringLiteral(".");
        refuse(path, why);
        return false;
    }
    const Converted converted = Convert(DecodeEntriesCsv(file.read(kMaxCsvBytes + 1)));
    if (!converted.error.isEmpty()) {
        refuse(path, converted);
        return false;
    }
    const QString name = QFileInfo(path).fileName();
    const auto count = static_cast<int>(converted.rows.size());
    return editor_.ReplaceRows(converted.rows,
                               QStringLiteral("Imported %1 entries from %2 into %3")
                                   .arg(count)
                                   .arg(name, editor_.document().EditFile),
                               QStringLiteral("%1 entries imported from %2").arg(count).arg(name));
}

void EditorCsv::mnuExportCsv() {
    const FrequencyEditor::Wiring& w = editor_.wiring();
    if (!editor_.normalEditing() || editor_.state().rows.empty() || w.chooser == nullptr) {
        return;
    }
    const std::optional<QString> path = w.chooser->ChooseSaveFile(
        FileDialogSpec::Csv(QStringLiteral("Export the entries as CSV"), w.frq.dataFolder()));
    if (path) {
        ExportFile(*path);
    }
}

void EditorCsv::mnuImportCsv() {
    const FrequencyEditor::Wiring& w = editor_.wiring();
    if (!editor_.normalEditing() || w.chooser == nullptr) {
        return;
    }
    const std::optional<QString> path = w.chooser->ChooseOpenFile(
        FileDialogSpec::Csv(QStringLiteral("Import entries from CSV"), w.frq.dataFolder()));
    if (path) {
        ImportFile(*path);
    }
}

} // namespace k7
