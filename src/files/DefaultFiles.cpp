// Default.frq, Template.frq and the Rack_Data.frq snapshot, and the choice between a loaded
// file and the rack's own settings.
#include "DefaultFiles.h"

#include "EditorDocument.h"
#include "FrqFile.h"
#include "NameSets.h"
#include "Presets.h"
#include "link/DeviceTables.h"
#include "rack/FileState.h"
#include "rack/RackCommands.h"
#include "rack/RackSettings.h"

#include <QDir>

#include <algorithm>

namespace k7 {

namespace {

const QString kDefaultFile = QStringLiteral("Default.frq");
const QString kTemplateFile = QStringLiteral("Template.frq");
const QString kSnapshotFile = QStringLiteral("Rack_Data.frq");
constexpr int kUserMuteBit = 0x40;

// Receivers report their band code in the low bits of the band/type byte, and a file keeps
// only the user mute (bit 6) of it: that bit is all the station reads there. A text that is
// not a number is compared as it stands.
bool SameUserMute(const QString& current, const QString& reported) {
    bool currentIsNumber = false;
    bool reportedIsNumber = false;
    const int a = current.toInt(&currentIsNumber);
    const int b = reported.toInt(&reportedIsNumber);
    if (!currentIsNumber || !reportedIsNumber) {
        return current == reported;
    }
    return (a & kUserMuteBit) == (b & kUserMuteBit);
}

} // namespace

DefaultFiles::DefaultFiles(const Wiring& wiring)
    : frq_(wiring.frq), files_(wiring.files), rack_(wiring.rack), devices_(wiring.devices),
      settings_(wiring.settings), engine_(wiring.engine), dialog_(wiring.dialog) {}

int DefaultFiles::band() const {
    return devices_.SlotBand[1];
}

int DefaultFiles::receivers() const {
    return std::clamp(devices_.DeviceCount, 0, kMaxSlots);
}

QString DefaultFiles::localised(const char* frequency) const {
    QString text = QString::fromLatin1(frequency);
    const int code = rack_.tables().DecimalSeparatorCode;
    if (code > 0 && code < 0x10000) {
        text.replace(QLatin1Char('.'), QChar(code));
    }
    return text;
}

QString DefaultFiles::errorString() const {
    return folderError_.isEmpty() ? frq_.errorString() : folderError_;
}

bool DefaultFiles::PrepareDataFolder() {
    folderError_.clear();
    QString last =
        settings_.GetSetting(NameSetsSection(), LastSetKey(), QStringLiteral("No Files"));
    if (last == QLatin1String("No Files")) {
        SaveLastSet(settings_, kDefaultFile);
        last = kDefaultFile;
    }
    files_.CurrentFile = last;

    if (QDir(frq_.dataFolder()).exists()) {
        return frq_.FrqFileExists(kDefaultFile) || WriteDefaultFile(kDefaultFile);
    }
    if (!QDir().mkpath(frq_.dataFolder())) {
        folderError_ = QStringLiteral("The folder %1 could not be made; check that its parent "
                                      "folder exists and can be written.")
                           .arg(QDir::toNativeSeparators(frq_.dataFolder()));
        return false;
    }
    // A fresh folder gets both default files at once, so the first start already leaves the
    // template in place.
    bool written = WriteDefaultFile(kDefaultFile);
    if (devices_.ModelVariant == ModelK75) {
        written = WriteDefaultFile(kTemplateFile) && written;
    }
    files_.CurrentFile = kDefaultFile;
    SaveLastSet(settings_, kDefaultFile);
    return written;
}

bool DefaultFiles::WriteDefaultFile(const QString& name) {
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
            SettingsRow{entryName, localised(PresetFrequency(i, b).toLatin1().constData()),
                        QStringLiteral("5"), QStringLiteral("0")};
    }
    return frq_.WriteFile(name, document);
}

void DefaultFiles::InitEditorDefaults(EditorDocument& editor) const {
    const QString frequency = localised(FillValuesFor(band()).newEditorFile);
    for (int i = 1; i <= kFileEntries; ++i) {
        editor.EditNames[i] = QStringLiteral("User %1").arg(i);
        SettingsRow& row = editor.EditData[i];
        row.Name = (i < 10 ? QStringLiteral("User %1") : QStringLiteral("User%1")).arg(i);
        row.Frequency = frequency;
        row.MuteLevel = QStringLiteral("5");
        row.BandType = QStringLiteral("0");
    }
}

QString DefaultFiles::LoadRackFile(const QString& name) {
    // The start-up dialog stays on top of everything: a box about the file goes in front of it
    // only once it is hidden.
    return frq_.LoadRackFile(name, RangeRule::KeepOutOfRange, [this] {
        if (dialog_ != nullptr && dialog_->IsDialogVisible()) {
            dialog_->HideDialog();
        }
    });
}

void DefaultFiles::CopyLoadToCurrent() {
    rack_.SetCurrentTable(files_.LoadData);
}

bool DefaultFiles::RackDiffers() {
    for (int i = 1; i <= receivers(); ++i) {
        const SettingsRow& current = rack_.tables().CurData[i];
        const SettingsRow& reported = rack_.tables().RxData[i];
        const QString name = current.Name.leftJustified(6, QLatin1Char(' '), true);
        if (name != reported.Name || current.Frequency != reported.Frequency ||
            !SameUserMute(current.BandType, reported.BandType)) {
            return true;
        }
    }
    return false;
}

void DefaultFiles::AcceptLoadedFile() {
    CopyLoadToCurrent();
    engine_.StartProgrammingPass(PassKind::ChangedOnly);
}

void DefaultFiles::CurrentFromRack() {
    const QString spare = localised(FillValuesFor(band()).spareEntry);
    for (int i = 1; i <= kMaxSlots; ++i) {
        if (i <= receivers()) {
            rack_.Current(i) = rack_.tables().RxData[i];
        } else {
            rack_.Current(i) = SettingsRow{QStringLiteral("Spare"), spare, QStringLiteral("5"),
                                           QStringLiteral("0")};
        }
    }
    engine_.StartProgrammingPass(PassKind::OpenOnly);
}

bool DefaultFiles::WriteRackSnapshot() {
    const QString placeholder = localised(FillValuesFor(band()).snapshotEntry);
    FrqDocument document;
    document.EntryCount = receivers();
    document.GlobalMuteLevel = files_.GlobalMuteLevel;
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[i] = i <= receivers()
                                  ? rack_.tables().RxData[i]
                                  : SettingsRow{QStringLiteral("Perf %1").arg(i), placeholder,
                                                QStringLiteral("5"), QStringLiteral("0")};
    }
    return frq_.WriteFile(kSnapshotFile, document);
}

} // namespace k7
