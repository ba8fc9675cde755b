// Default.frq, Template.frq, a new editor file, and the data folder.
#include "DefaultFiles.h"

#include "EditorDocument.h"
#include "FrqFile.h"
#include "NameSets.h"
#include "Presets.h"
#include "link/DeviceTables.h"

#include <QDir>

namespace k7 {

namespace {

const QString kDefaultFile = QStringLiteral("Default.frq");
const QString kTemplateFile = QStringLiteral("Template.frq");

} // namespace

int DefaultFiles::band() const {
    return w_.devices.SlotBand[1];
}

FileResult DefaultFiles::PrepareDataFolder() const {
    const QString folder = w_.frq.dataFolder();
    if (QDir(folder).exists()) {
        return w_.frq.FrqFileExists(kDefaultFile) ? FileResult::Done()
                                                  : WriteDefaultFile(kDefaultFile);
    }
    if (!QDir().mkpath(folder)) {
        return FileResult::Failed(QStringLiteral("The folder %1 could not be made; check that "
                                                 "its parent folder exists and can be written.")
                                      .arg(QDir::toNativeSeparators(folder)));
    }
    // A fresh folder gets both default files at once, so the first start already leaves the
    // template in place; the rack falls back to Default.frq.
    FileResult written = WriteDefaultFile(kDefaultFile);
    if (w_.devices.ModelVariant == ModelK75) {
        FileResult performers = WriteDefaultFile(kTemplateFile);
        if (written) {
            written = std::move(performers);
        }
    }
    SaveLastSet(w_.settings, kDefaultFile);
    return written;
}

FileResult DefaultFiles::WriteDefaultFile(const QString& name) const {
    const int b = band();
    FrqDocument document;
    document.EntryCount = PresetCount(b);
    document.GlobalMuteLevel = 5;
    const bool defaultNames = name == kDefaultFile;
    for (int i = 1; i <= kFileEntries; ++i) {
        const QString entryName =
            defaultNames ? QStringLiteral("Def-%1").arg(i)
                         : (i < 10 ? QStringLiteral("Perf_%1") : QStringLiteral("Perf%1")).arg(i);
        document.Entries[i] =
            SettingsRow{entryName,
                        LocalisedFrequency(PresetFrequency(i, b).toLatin1().constData(),
                                           w_.rack.DecimalSeparator()),
                        QStringLiteral("5"), QStringLiteral("0")};
    }
    return w_.frq.WriteFile(name, document);
}

void DefaultFiles::InitEditorDefaults(EditorDocument& editor) const {
    const QString frequency =
        LocalisedFrequency(FillValuesFor(band()).newEditorFile, w_.rack.DecimalSeparator());
    for (int i = 1; i <= kFileEntries; ++i) {
        editor.EditNames[i] = QStringLiteral("User %1").arg(i);
        SettingsRow& row = editor.EditData[i];
        row.Name = (i < 10 ? QStringLiteral("User %1") : QStringLiteral("User%1")).arg(i);
        row.Frequency = frequency;
        row.MuteLevel = QStringLiteral("5");
        row.BandType = QStringLiteral("0");
    }
}

} // namespace k7
