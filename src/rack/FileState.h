// The frequency-file state the rack shares with the file layer: the file in force, whether it
// is loaded at start, and the tables the file readers fill.
#pragma once

#include "RackTables.h"

#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

inline constexpr int kFileEntries = 40;

struct FileState {
    bool LoadLastFile = false;
    // Name (no folder) of the frequency file in force for the rack; mirrors "LastSet".
    QString CurrentFile;
    // A frequency file is in force for the rack.
    bool FileInUse = false;
    std::uint8_t GlobalMuteLevel = 5;
    std::int32_t EntryCount = 0;
    SettingsTable LoadData;
    SettingsTable EditData;
    std::array<QString, kFileEntries + 1> EditNames;
    QString EditFile;
};

} // namespace k7
