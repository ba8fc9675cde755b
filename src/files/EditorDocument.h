// The frequency file editor's own document: the file open in the editor, its count and global
// mute, and its entries as the editor holds them. It is not the rack's file: reading or saving
// it never changes what the station writes into the file in force for the rack.
#pragma once

#include "FrqCodec.h"
#include "rack/RackTables.h"

#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

struct EditorDocument {
    // Name (no folder) of the file open in the editor; every automatic save writes to it.
    QString EditFile;
    std::int32_t EntryCount = 0;
    std::uint8_t GlobalMuteLevel = 5;
    // Rows 1 to 40 as the grid shows them (the reader fills the Name column with the
    // six-character form; a row's MuteLevel and BandType keep the file's texts).
    SettingsTable EditData;
    // Entries 1 to 40: the names the save writes as each entry's name line.
    std::array<QString, kFileEntries + 1> EditNames;

    bool operator==(const EditorDocument&) const = default;
};

} // namespace k7
