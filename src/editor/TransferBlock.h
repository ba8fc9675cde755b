// The bytes of a bulk transfer with a receiver's own preset store: the download block built
// from the editor's entries (refused, with the entry named, when an entry cannot be sent as
// it stands) and the upload answer checked and read back into the editor's entries.
#pragma once

#include "files/EditorDocument.h"

#include <QString>

#include <array>
#include <cstdint>
#include <functional>
#include <span>
#include <vector>

namespace k7 {

inline constexpr int kPresetEntries = 40;     // entries an upload answer has room for
inline constexpr int kEntryBytes = 10;        // six name bytes, F1, F2, F3, the mute byte
inline constexpr int kDownloadHeader = 5;     // "R", "S", 0x01, "U", the entry count
inline constexpr int kUploadAnswerSize = 404; // two bytes, the count, 40 entries, the checksum
inline constexpr std::array<std::uint8_t, 2> kUploadRequest{'R', 'U'};
using UploadAnswer = std::array<std::uint8_t, kUploadAnswerSize>;

struct DownloadBlock {
    std::vector<std::uint8_t> bytes; // empty when refused
    QString refusal;                 // why nothing can be sent, naming the entry
};

// Entries 1 to n of the document as the receiver takes them (10·n + 5 bytes). fits: whether a
// frequency (ddd.ddd, either separator) lies in the band of the receiver it goes to.
DownloadBlock BuildDownloadBlock(const EditorDocument& document, int n,
                                 const std::function<bool(const QString&)>& fits);

// The sum of bytes 0 to 402, modulo 256 (byte 403 carries it).
std::uint8_t UploadChecksum(const UploadAnswer& answer);

// The frequency an unused uploaded entry shows for a band code ("" for a code without one).
QString UploadPlaceholder(int band);

// Reads a checked answer into the document: entries 1 to n from the receiver (names with
// "_" for a space or a byte outside printable ASCII, the mute byte split into the mute level,
// its low six bits, and the band/type flags, bits 6 and 7), entries n + 1 to 40 "User<e>" with
// the band's placeholder. Frequencies carry the user's decimal separator, as every grid shows
// them. An answer whose count is above 40, or with a frequency byte above 99, is refused: the
// document stays as it was and the text says which entry is wrong.
QString ParseUpload(const UploadAnswer& answer, int band, QChar separator,
                    EditorDocument& document);

} // namespace k7
