// The rack's frequency file, with one owner: the file in force and whether a file is in use,
// the load-at-start choice, the file last read for the rack and the count and global mute the
// rack's file is written with. Only this class writes that state; the rack engine drives it
// through RackFiles as discovery completes, and the station's commands through the operations
// below (a load from the File menu, the load question's answer, the save after a rack change).
#pragma once

#include "FileResult.h"
#include "FrqFile.h"
#include "rack/RackPorts.h"
#include "rack/RackTables.h"

#include <QString>

#include <cstdint>

namespace k7 {

struct DeviceTables;
class ActionLog;
class Prompter;
class RackCommands;
class RackSettings;
class SettingsStore;

class RackFile final : public RackFiles {
public:
    struct Wiring {
        const FrqFile& frq;
        RackSettings& rack;
        const DeviceTables& devices;
        SettingsStore& settings;
        RackCommands& engine; // starts the programming pass that follows a choice
        Prompter& prompter;   // the boxes of a failed read at discovery
        // Hidden before any message of the last file's load at discovery; may be null.
        StartupDialogPort* dialog = nullptr;
        ActionLog* actions = nullptr; // where a save after a rack change is logged; may be null
    };

    explicit RackFile(const Wiring& wiring);

    // --- Start-up ---
    // The load-at-start choice from the settings (a K7.5 set-up), or off (the others, which
    // have no file commands): saved again by the orderly stop.
    void ReadLoadAtStart(bool fileCommands);
    // The file in force from "LastSet" (Default.frq when none was ever chosen).
    void ReadCurrentFile();

    // --- The load-at-start choice ---
    void ToggleLoadAtStart();
    void SaveLoadAtStart() const;

    // --- File > Load ---
    // Reads the file for the rack, refusing a frequency outside a receiver's band. On success
    // it is the file in force (its entries the working settings, "LastSet" saved); otherwise
    // nothing changes and the result says why (the caller tells the operator).
    FrqLoad LoadIntoRack(const QString& name);

    // The receivers' own settings kept in Rack_Data.frq (the load question's "Yes").
    FileResult SaveRackSnapshot() const;

    // --- After a change of a receiver's settings (control panel, coordination) ---
    // The file in force, when a file is in use, takes the rack's working settings; the save
    // is logged with the detail. Done when nothing had to be written.
    FileResult SaveAfterRackChange(const QString& detail);

    // --- What the others read ---
    bool LoadAtStart() const override { return state_.LoadLastFile; }
    QString CurrentFile() const override { return state_.CurrentFile; }
    bool FileInForce() const override { return state_.LoadLastFile || state_.FileInUse; }
    bool FileInUse() const { return state_.FileInUse; }
    // True when the name is the file in force for the rack (a file in use or loaded at start).
    bool InForce(const QString& name) const;
    std::int32_t EntryCount() const { return state_.EntryCount; }
    std::uint8_t GlobalMuteLevel() const { return state_.GlobalMuteLevel; }
    const SettingsTable& LoadData() const { return state_.LoadData; }

    // --- RackFiles: discovery's completion and the load question ---
    FrqResult LoadRackFile(const QString& name) override;
    void CopyLoadToCurrent() override;
    bool RackDiffers() override;
    void AcceptLoadedFile() override;
    void CurrentFromRack() override;
    bool TakeRescannedRack() override;
    bool WriteRackSnapshot() override;

private:
    struct FileState {
        bool LoadLastFile = false;
        // Name (no folder) of the frequency file in force for the rack; mirrors "LastSet".
        QString CurrentFile;
        // A frequency file is in force for the rack.
        bool FileInUse = false;
        // Line 3 and line 2 of the rack's file: taken from the file accepted, written with
        // CurData.
        std::uint8_t GlobalMuteLevel = 5;
        std::int32_t EntryCount = 0;
        // The entries of the file last read for the rack, and its lines 2 and 3.
        SettingsTable LoadData;
        std::int32_t LoadedCount = 0;
        std::uint8_t LoadedMuteLevel = 5;
    };

    // What a good read leaves: the loaded entries and the user mute of the set in force.
    void takeRead(const FrqRead& read);
    // No file in use: the receivers' own settings are the working settings, spares beyond.
    void takeReceivers();
    FrqDocument loadedSoFar() const;
    FileResult saveCurrentFile();
    int band() const;
    int receivers() const;

    Wiring w_;
    FileState state_;
};

} // namespace k7
