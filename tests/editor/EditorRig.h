// The frequency file editor over three metered K7.5 receivers of band 36 on the manual clock;
// files are made and read back through the file layer, as the editor's reader returns them.
#pragma once

#include "support/DiskFull.h"
#include "support/RackHarness.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace k7::test {

struct EditorRig {
    static constexpr int kReceivers = 3;

    EditorRig() { started = harness.Start() == kReceivers && harness.RunToMonitoring(10000); }

    // Entry i: "Mic<i>" (three digits), 606.600 + (i - 1) * 25 kHz, mute "5", band/type "0";
    // line 2 holds count.
    static FrqDocument Document(int count) {
        FrqDocument document;
        document.EntryCount = count;
        for (int i = 1; i <= kFileEntries; ++i) {
            document.Entries[static_cast<std::size_t>(i)] =
                SettingsRow{QStringLiteral("Mic%1").arg(i, 3, 10, QLatin1Char('0')),
                            QString::number(606.600 + (i - 1) * 0.025, 'f', 3), QStringLiteral("5"),
                            QStringLiteral("0")};
        }
        return document;
    }
    // Entries 1 to n with the given frequencies (MHz text), otherwise as Document(n).
    static FrqDocument Document(std::initializer_list<const char*> frequencies) {
        FrqDocument document = Document(static_cast<int>(frequencies.size()));
        std::size_t i = 1;
        for (const char* frequency : frequencies) {
            document.Entries[i++].Frequency = QString::fromLatin1(frequency);
        }
        return document;
    }
    bool write(const QString& name, const FrqDocument& document) {
        return frq.WriteFile(name, document).ok();
    }
    QString path(const QString& name) const { return QDir(harness.dataFolder()).filePath(name); }
    QByteArray bytes(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    // The file as the editor's reader returns it (a read that fails gives a count of -1).
    EditorDocument readBack(const QString& name) {
        const FrqLoad load = frq.ReadEditorFile(name, {});
        EditorDocument document = FrqFile::EditorDocumentOf(load, {});
        if (!load.ok()) {
            document.EntryCount = -1;
        }
        return document;
    }
    // Opens a file in the editor as File > Edit (or File > Transfer) does.
    bool open(const QString& name, EditorMode mode = EditorMode::Edit) {
        EditorDocument document = readBack(name);
        if (document.EntryCount < 0) {
            return false;
        }
        document.EditFile = name;
        editor.Open(document, mode);
        return true;
    }
    void enter(const QString& name, const QString& frequency, const QString& mute) {
        editor.NameEdited(name);
        editor.FreqEdited(frequency);
        editor.MuteEdited(mute);
    }
    const std::vector<GridRow>& rows() const { return editor.state().rows; }
    QString status() const { return editor.state().lblStatus; }

    // The editor's file holds the grid: its count is the row count, and entry r + 1 has row
    // r's name (as the reader gives it: six characters at least, "_" filled), frequency and
    // mute level, with the band/type flags cleared.
    ::testing::AssertionResult fileMatchesGrid() {
        const QString name = editor.document().EditFile;
        const EditorDocument file = readBack(name);
        if (file.EntryCount != static_cast<int>(rows().size())) {
            return ::testing::AssertionFailure()
                   << "count " << file.EntryCount << " for " << rows().size() << " rows";
        }
        for (std::size_t r = 0; r < rows().size(); ++r) {
            const GridRow& row = rows()[r];
            const SettingsRow& entry = file.EditData[r + 1];
            const QString shownName = row.savedName.leftJustified(6, QLatin1Char('_'));
            if (entry.Name != shownName || entry.Frequency != row.cells[2] ||
                entry.MuteLevel != row.cells[3] || entry.BandType != QLatin1String("0") ||
                row.cells[0] != QString::number(r + 1)) {
                return ::testing::AssertionFailure()
                       << "row " << r << ": " << row.cells[0].toStdString() << ' '
                       << row.cells[1].toStdString() << ' ' << row.cells[2].toStdString() << ' '
                       << row.cells[3].toStdString() << " / file " << entry.Name.toStdString()
                       << ' ' << entry.Frequency.toStdString() << ' '
                       << entry.MuteLevel.toStdString() << ' ' << entry.BandType.toStdString();
            }
        }
        return ::testing::AssertionSuccess();
    }
    bool polling() const { return Polling(timers); }
    // The editor holds the meter queries and the answer-rate check; the USB watchdog watches on.
    bool pollingStopped() const {
        return !timers.enabled(PollTimer) && timers.enabled(WatchdogTimer) &&
               !timers.enabled(AnswerRateTimer);
    }

    RackHarness harness{sim::Scenario::simulated(kReceivers)};
    const TimerBank& timers = harness.timers;
    ScriptedPrompter& prompter = harness.prompter;
    ScriptedFileChooser& chooser = harness.chooser;
    const FrqFile& frq = harness.core.frq();
    FrequencyEditor& editor = harness.core.editor();
    bool started = false;
};

} // namespace k7::test
