// The rack's file state and its policy: what a read for the rack takes, the choice between the
// loaded file and the receivers' own settings, the snapshot, and the save after a rack change.
#include "RackFile.h"

#include "LoadFileSetting.h"
#include "NameSets.h"
#include "Presets.h"
#include "link/DeviceTables.h"
#include "platform/ActionLog.h"
#include "rack/RackCommands.h"
#include "rack/RackSettings.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kDefaultFile = QStringLiteral("Default.frq");
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

RackFile::RackFile(const Wiring& wiring) : w_(wiring) {}

int RackFile::band() const {
    return w_.devices.SlotBand[1];
}

int RackFile::receivers() const {
    return std::clamp(w_.devices.DeviceCount, 0, kMaxSlots);
}

// --- Start-up and the load-at-start choice --------------------------------------------------

void RackFile::ReadLoadAtStart(bool fileCommands) {
    state_.LoadLastFile = fileCommands && ReadLoadLastFile(w_.settings);
}

void RackFile::ReadCurrentFile() {
    QString last =
        w_.settings.GetSetting(NameSetsSection(), LastSetKey(), QStringLiteral("No Files"));
    if (last == QLatin1String("No Files")) {
        SaveLastSet(w_.settings, kDefaultFile);
        last = kDefaultFile;
    }
    state_.CurrentFile = last;
}

void RackFile::ToggleLoadAtStart() {
    state_.LoadLastFile = !state_.LoadLastFile;
    SaveLoadAtStart();
}

void RackFile::SaveLoadAtStart() const {
    SaveLoadLastFile(w_.settings, state_.LoadLastFile);
}

bool RackFile::InForce(const QString& name) const {
    return FileInForce() && w_.frq.SameFile(name, state_.CurrentFile);
}

// --- Reading for the rack -------------------------------------------------------------------

FrqDocument RackFile::loadedSoFar() const {
    // A count line of "Global Mute" keeps the count as it was.
    return FrqDocument{state_.EntryCount, state_.GlobalMuteLevel, state_.LoadData};
}

void RackFile::takeRead(const FrqRead& read) {
    state_.LoadData = read.document.Entries;
    state_.LoadedCount = read.document.EntryCount.value_or(state_.EntryCount);
    state_.LoadedMuteLevel = read.document.GlobalMuteLevel;
    // The receiver still holds the set in force until the pass programs it: the user mute
    // follows that set's bit, for every entry whose band/type line is a number.
    for (int n = 1; n <= read.bandTypesRead; ++n) {
        bool inForce = false;
        const int bandType = w_.rack.tables().CurData[n].BandType.trimmed().toInt(&inForce);
        w_.rack.SetUserMute(n, read.bandTypeIsNumber[static_cast<std::size_t>(n)] && inForce &&
                                   (bandType & kUserMuteBit) != 0);
    }
}

FrqResult RackFile::LoadRackFile(const QString& name) {
    const FrqLoad load = w_.frq.ReadRackFile(name, RangeRule::KeepOutOfRange, loadedSoFar());
    if (load.ok()) {
        takeRead(load.read);
    } else if (FrqFile::HasReadFailureBox(load)) {
        // The start-up dialog stays on top of everything: a box about the file goes in front
        // of it only once it is hidden.
        if (w_.dialog != nullptr && w_.dialog->IsDialogVisible()) {
            w_.dialog->HideDialog();
        }
        FrqFile::TellReadFailure(w_.prompter, FrqReader::Rack, name, load);
    }
    return load.result;
}

FrqLoad RackFile::LoadIntoRack(const QString& name) {
    const FrqLoad load = w_.frq.ReadRackFile(name, RangeRule::RefuseOutOfRange, loadedSoFar());
    if (!load.ok()) {
        return load;
    }
    takeRead(load.read);
    CopyLoadToCurrent();
    state_.EntryCount = state_.LoadedCount;
    state_.GlobalMuteLevel = state_.LoadedMuteLevel;
    state_.CurrentFile = name;
    SaveLastSet(w_.settings, name);
    state_.FileInUse = true;
    return load;
}

// --- The choice between the file and the rack -----------------------------------------------

void RackFile::CopyLoadToCurrent() {
    w_.rack.SetCurrentTable(state_.LoadData);
}

bool RackFile::RackDiffers() {
    for (int i = 1; i <= receivers(); ++i) {
        const SettingsRow& current = w_.rack.tables().CurData[i];
        const SettingsRow& reported = w_.rack.tables().RxData[i];
        const QString name = current.Name.leftJustified(6, QLatin1Char(' '), true);
        if (name != reported.Name || current.Frequency != reported.Frequency ||
            !SameUserMute(current.BandType, reported.BandType)) {
            return true;
        }
    }
    return false;
}

void RackFile::AcceptLoadedFile() {
    state_.FileInUse = true;
    state_.EntryCount = state_.LoadedCount;
    state_.GlobalMuteLevel = state_.LoadedMuteLevel;
    CopyLoadToCurrent();
    w_.engine.StartProgrammingPass(PassKind::ChangedOnly);
}

void RackFile::CurrentFromRack() {
    takeReceivers();
    w_.engine.StartProgrammingPass(PassKind::OpenOnly);
}

bool RackFile::TakeRescannedRack() {
    if (state_.FileInUse && !RackDiffers()) {
        return true;
    }
    takeReceivers();
    return false;
}

void RackFile::takeReceivers() {
    state_.FileInUse = false;
    const QString spare =
        LocalisedFrequency(FillValuesFor(band()).spareEntry, w_.rack.tables().DecimalSeparator());
    for (int i = 1; i <= kMaxSlots; ++i) {
        if (i <= receivers()) {
            w_.rack.Current(i) = w_.rack.tables().RxData[i];
        } else {
            w_.rack.Current(i) = SettingsRow{QStringLiteral("Spare"), spare, QStringLiteral("5"),
                                             QStringLiteral("0")};
        }
    }
}

bool RackFile::WriteRackSnapshot() {
    return SaveRackSnapshot().ok();
}

FileResult RackFile::SaveRackSnapshot() const {
    const QString placeholder = LocalisedFrequency(FillValuesFor(band()).snapshotEntry,
                                                   w_.rack.tables().DecimalSeparator());
    FrqDocument document;
    document.EntryCount = receivers();
    document.GlobalMuteLevel = state_.GlobalMuteLevel;
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[i] = i <= receivers()
                                  ? w_.rack.tables().RxData[i]
                                  : SettingsRow{QStringLiteral("Perf %1").arg(i), placeholder,
                                                QStringLiteral("5"), QStringLiteral("0")};
    }
    return w_.frq.WriteFile(kSnapshotFile, document);
}

// --- Saving after a rack change -------------------------------------------------------------

FileResult RackFile::saveCurrentFile() {
    return w_.frq.WriteFile(
        state_.CurrentFile,
        FrqDocument{state_.EntryCount, state_.GlobalMuteLevel, w_.rack.tables().CurData});
}

FileResult RackFile::SaveAfterRackChange(const QString& detail) {
    if (!state_.FileInUse) {
        return FileResult::Done();
    }
    FileResult saved = saveCurrentFile();
    if (saved && w_.actions != nullptr) {
        w_.actions->Action(0, QString(), QStringLiteral("file-save"),
                           state_.CurrentFile + QStringLiteral(", ") + detail);
    }
    return saved;
}

} // namespace k7
