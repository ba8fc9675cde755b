// The files the station makes itself (Default.frq, Template.frq, the Rack_Data.frq snapshot)
// from the preset table of each band, and the operations that decide between a loaded file and
// the rack's own settings.
#pragma once

#include "rack/RackPorts.h"

#include <QString>

namespace k7 {

struct DeviceTables;
struct EditorDocument;
struct FileState;
class FrqFile;
class RackCommands;
class RackSettings;
class SettingsStore;

// The preset list entry index (1-based) of a band, the band's fallback past the list, "" for a
// band without presets.
QString PresetFrequency(int index, int band);

// Not final: a test stands in a subclass that records the calls the rack engine makes.
class DefaultFiles : public RackFiles {
public:
    struct Wiring {
        FrqFile& frq;
        FileState& files;
        RackSettings& rack;
        const DeviceTables& devices;
        SettingsStore& settings;
        RackCommands& engine; // starts the programming pass that follows a choice
        // Hidden before any message of the last file's load at discovery; may be null.
        StartupDialogPort* dialog = nullptr;
    };

    explicit DefaultFiles(const Wiring& wiring);

    // CurrentFile from "LastSet"; the data folder and Default.frq made when missing (a new
    // folder of a K7.5 set-up gets Template.frq too). False when a file or the folder could not
    // be made; errorString() then says why.
    bool PrepareDataFolder();
    QString errorString() const;
    // Default.frq (Def-n names) or any other name (Perf names) from the presets; false when
    // the file could not be written.
    bool WriteDefaultFile(const QString& name);
    // A new editor file: User 1 to User 40 at the band's value for a new file.
    void InitEditorDefaults(EditorDocument& editor) const;

    QString LoadRackFile(const QString& name) override;
    void CopyLoadToCurrent() override;
    bool RackDiffers() override;
    void AcceptLoadedFile() override;
    void CurrentFromRack() override;
    bool WriteRackSnapshot() override;

private:
    int band() const;
    int receivers() const;
    // A preset or fill value with the user's decimal separator.
    QString localised(const char* frequency) const;

    FrqFile& frq_;
    FileState& files_;
    RackSettings& rack_;
    const DeviceTables& devices_;
    SettingsStore& settings_;
    RackCommands& engine_;
    StartupDialogPort* dialog_;
    QString folderError_;
};

} // namespace k7
