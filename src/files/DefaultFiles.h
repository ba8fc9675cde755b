// The files the station makes itself from the preset table of each band: Default.frq (Def-n
// names), Template.frq (Perf names) and a new file of the editor; and the data folder they live
// in, made at start when it is missing.
#pragma once

#include "FileResult.h"

#include <QString>

namespace k7 {

struct DeviceTables;
struct EditorDocument;
struct RackTables;
class FrqFile;
class SettingsStore;

// The preset list entry index (1-based) of a band, the band's fallback past the list, "" for a
// band without presets.
QString PresetFrequency(int index, int band);

class DefaultFiles {
public:
    struct Wiring {
        const FrqFile& frq;
        const RackTables& rack; // the user's decimal separator
        const DeviceTables& devices;
        SettingsStore& settings; // "LastSet" goes back to Default.frq with a new folder
    };

    explicit DefaultFiles(const Wiring& wiring) : w_(wiring) {}

    // The data folder and Default.frq made when missing (a new folder of a K7.5 set-up gets
    // Template.frq too, and "LastSet" is Default.frq again).
    FileResult PrepareDataFolder() const;
    // Default.frq (Def-n names) or any other name (Perf names) from the presets.
    FileResult WriteDefaultFile(const QString& name) const;
    // A new editor file: User 1 to User 40 at the band's value for a new file.
    void InitEditorDefaults(EditorDocument& editor) const;

private:
    int band() const;

    Wiring w_;
};

} // namespace k7
