// The .frq format as values: the bytes of a file to a document and back, with no file system,
// message box or station table in sight. Reading applies the rules of the station's two
// readers (the editor's and the rack's) and stops where they stop, with an error code; the
// policies in FrqFile decide what the operator is told and which tables take the result.
#pragma once

#include "rack/RackTables.h"

#include <QByteArray>
#include <QString>

#include <bitset>
#include <cstdint>
#include <functional>
#include <optional>

namespace k7 {

// Every file holds this many entries, whatever its count says.
inline constexpr int kFileEntries = 40;
static_assert(kFileEntries == kMaxSlots, "entry i of a file is for slot i");
// Larger inputs are not frequency files; the reader refuses them unread.
inline constexpr qsizetype kMaxFrqBytes = 64 * 1024;

struct FrqDocument {
    // Line 2: the entries in use. None: an empty line (a default file of a band without
    // presets); no reader gives it unless it started from it.
    std::optional<std::int32_t> EntryCount = 0;
    // Line 3.
    std::uint8_t GlobalMuteLevel = 5;
    // Entries 1 to 40 (row 0 unused): name, frequency, mute level and band/type as text.
    SettingsTable Entries;
    bool operator==(const FrqDocument&) const = default;
};

enum class FrqReader { Editor, Rack };

// Why a read stopped before entry 40 was complete.
enum class FrqError {
    None,
    TooLarge,       // more than kMaxFrqBytes
    EndsEarly,      // the text ends before the separator line of entry 40
    CountNotNumber, // line 2 is neither a number nor "Global Mute"
    CountOverflow,  // line 2 does not fit 16 bits
    NoFrequency,    // an entry's frequency line is empty
    OutOfRange,     // a frequency outside the band, where the rules refuse it
    NoSeparator,    // an entry's fifth line is not empty
};

struct FrqReadRules {
    FrqReader reader = FrqReader::Editor;
    // ModelVariant of the interface: caps line 2 (24, 12 or 6); any other value caps it at 40
    // and leaves the count as it was on "Global Mute".
    int model = 0;
    // The user's decimal separator: a frequency written with the other one is stored with it.
    QChar separator = QLatin1Char('.');
    // A frequency outside the band is kept and the read goes on (the rack's load as discovery
    // completes); otherwise it stops the read.
    bool keepOutOfRange = false;
    // True when the frequency (already with the user's separator) lies outside the band that
    // applies to the entry; none: no frequency is out of range.
    std::function<bool(const QString& frequency, int entry)> outOfRange;
};

struct FrqRead {
    // The start document with every value read laid over it: a read that stops keeps what
    // came before the stop and the start's values after it.
    FrqDocument document;
    FrqError error = FrqError::None;
    // The entry the read stopped in (1 to 40); 0 when it stopped in lines 1 to 3.
    int entry = 0;
    // OutOfRange: the frequency line as it stands in the file.
    QString frequencyLine;
    // Entries 1 to bandTypesRead had their band/type line read; bandTypeIsNumber says for
    // each of them whether that line was a number (the rack's user-mute rule needs it).
    int bandTypesRead = 0;
    std::bitset<kFileEntries + 1> bandTypeIsNumber;

    bool complete() const { return error == FrqError::None; }
};

FrqRead DecodeFrq(QByteArrayView bytes, const FrqReadRules& rules, const FrqDocument& start = {});

// 203 lines with CR LF ends in Windows-1252: the header, the count, the global mute, then five
// lines per entry. Texts are written as they stand, except that a line break inside one
// becomes a space (it would shift every line after it).
QByteArray EncodeFrq(const FrqDocument& document);

} // namespace k7
