// The rack's frequency file: the file in force, whether it is loaded at start, the table the
// rack loader fills and the count and global mute the rack's file is written with. The
// frequency file editor keeps a document of its own (files/EditorDocument.h).
#pragma once

#include "RackTables.h"

#include <QString>

#include <cstdint>

namespace k7 {

struct FileState {
    bool LoadLastFile = false;
    // Name (no folder) of the frequency file in force for the rack; mirrors "LastSet".
    QString CurrentFile;
    // A frequency file is in force for the rack.
    bool FileInUse = false;
    // Line 3 and line 2 of the rack's file: set by its loader, written with CurData.
    std::uint8_t GlobalMuteLevel = 5;
    std::int32_t EntryCount = 0;
    SettingsTable LoadData;
};

} // namespace k7
