// Fuzz target for ParseUpload: the input is a band code and an upload answer of 404 bytes
// (short inputs are zero-filled). A refused answer must leave the document as it was; an
// accepted one must give printable six-character names and ddd.ddd frequencies with mute
// levels 0 to 63 for the receiver's entries, and the band's placeholder for the rest.
#include "FuzzRequire.h"
#include "editor/TransferBlock.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace {

using namespace k7;

bool DddDotDdd(const QString& text) {
    if (text.size() != 7 || text[3] != QLatin1Char('.')) {
        return false;
    }
    return std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit() || c == '.'; });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) {
        return 0;
    }
    const int band = data[0];
    UploadAnswer answer{};
    std::copy_n(data + 1, std::min<std::size_t>(size - 1, answer.size()), answer.begin());

    EditorDocument document;
    document.EntryCount = 7;
    document.EditData[1] = {QStringLiteral("Before"), QStringLiteral("606.600"),
                            QStringLiteral("5"), QStringLiteral("0")};
    const EditorDocument before = document;
    const QString refusal = ParseUpload(answer, band, QLatin1Char('.'), document);
    if (!refusal.isEmpty()) {
        Require(document == before);
        return 0;
    }
    Require(document.EntryCount >= 0 && document.EntryCount <= kPresetEntries);
    for (int e = 1; e <= document.EntryCount; ++e) {
        const SettingsRow& entry = document.EditData[static_cast<std::size_t>(e)];
        Require(entry.Name.size() == 6);
        Require(std::all_of(entry.Name.begin(), entry.Name.end(),
                            [](QChar c) { return c.unicode() > 0x20 && c.unicode() < 0x7F; }));
        Require(DddDotDdd(entry.Frequency));
        bool ok = false;
        const int mute = entry.MuteLevel.toInt(&ok);
        Require(ok && mute >= 0 && mute <= 63);
        const int flags = entry.BandType.toInt(&ok);
        Require(ok && (flags & ~0xC0) == 0);
    }
    for (int e = document.EntryCount + 1; e <= kPresetEntries; ++e) {
        const SettingsRow& entry = document.EditData[static_cast<std::size_t>(e)];
        Require(entry.Frequency == UploadPlaceholder(band));
        Require(entry.Name == QStringLiteral("User%1").arg(e));
    }
    return 0;
}
