// Arbitrary bytes through the CSV reader of a set of entries: every read stops or succeeds
// without leaving its bounds, every entry's line lies inside the text and after the one before,
// and a text read whole writes back to a text that reads to the same entries.
// Built as a libFuzzer target and, with fixed inputs, as a plain regression test.
#include "FuzzRequire.h"
#include "files/EntriesCsv.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView bytes(data, static_cast<qsizetype>(size));
    const k7::CsvRead read = k7::DecodeEntriesCsv(bytes);
    if (!read.ok()) {
        Require(read.entries.empty() || read.errorLine > 0);
        Require(read.errorLine >= 0 && read.errorLine <= bytes.count('\n') + 1);
        return 0;
    }
    int line = 1;
    for (const k7::CsvEntry& entry : read.entries) {
        Require(entry.line > line && entry.line <= bytes.count('\n') + 1);
        line = entry.line;
    }
    const k7::CsvRead again = k7::DecodeEntriesCsv(k7::EncodeEntriesCsv(read.entries));
    Require(again.ok() && again.entries.size() == read.entries.size());
    for (std::size_t i = 0; i < read.entries.size(); ++i) {
        Require(again.entries[i].name == read.entries[i].name);
        Require(again.entries[i].frequency == read.entries[i].frequency);
        Require(again.entries[i].mute == read.entries[i].mute);
    }
    return 0;
}
