// Arbitrary bytes through the .frq codec, in memory, with the rules of both readers. The first
// byte picks the interface model, the band, the separator and whether an out-of-range
// frequency is kept; the bytes are read as a file of their own and spliced as lines into a
// well-formed file, so that the fuzzer reaches the late entries without a corpus. Every read
// stays inside its bounds, and every document read whole is written and read back equal.
// Built as a libFuzzer target and, with fixed inputs, as a plain regression test.
#include "FuzzRequire.h"
#include "bands/CheckFrequency.h"
#include "files/FrqFile.h"
#include "link/DeviceTables.h"
#include "rack/RackTables.h"
#include "support/ScriptedPrompter.h"

#include <QByteArray>
#include <QList>

#include <array>
#include <cstddef>
#include <cstdint>

namespace {

// The tables the readers' rules look at, and the station's file layer over them (its rules
// only: nothing here touches a file).
struct Rig {
    k7::DeviceTables devices;
    k7::RackTables rack;
    k7::test::ScriptedPrompter prompter;
    k7::FrequencyChecker checker{devices, rack, prompter};
    k7::FrqFile frq{QString(), rack, devices, checker};
};

constexpr std::array kBands{36, 14, 9, 10, 37, 0};

QList<QByteArray> WellFormedLines() {
    QList<QByteArray> lines{"Veltora USB Receiver file", "24", "5"};
    for (int i = 1; i <= k7::kFileEntries; ++i) {
        lines << "Mic" + QByteArray::number(i) << "613.575"
              << "5"
              << "64" << QByteArray();
    }
    return lines;
}

bool HasCarriageReturn(const k7::FrqDocument& document) {
    for (const k7::SettingsRow& row : document.Entries) {
        for (const QString* text : {&row.Name, &row.Frequency, &row.MuteLevel, &row.BandType}) {
            if (text->contains(QLatin1Char('\r'))) {
                return true;
            }
        }
    }
    return false;
}

void ReadAndRoundTrip(const QByteArray& content, const k7::FrqReadRules& rules) {
    const k7::FrqDocument start;
    const k7::FrqRead read = k7::DecodeFrq(content, rules, start);
    const k7::FrqDocument& document = read.document;
    Require(document.EntryCount && *document.EntryCount >= 0 &&
            *document.EntryCount <= k7::kFileEntries);
    Require(document.GlobalMuteLevel <= 10);
    Require(read.entry >= 0 && read.entry <= k7::kFileEntries);
    Require(read.bandTypesRead >= 0 && read.bandTypesRead <= read.entry);
    Require(read.error != k7::FrqError::OutOfRange || !rules.keepOutOfRange);
    if (!read.complete()) {
        return;
    }
    for (int i = 1; i <= k7::kFileEntries; ++i) {
        const k7::SettingsRow& row = document.Entries[i];
        Require(row.Name.size() >= 6 && !row.Name.contains(QLatin1Char(' ')));
        Require(!row.Frequency.isEmpty());
    }
    // A CR inside a value is written as a space (a lone CR ends a line for other readers), so
    // only documents without one come back unchanged.
    if (HasCarriageReturn(document)) {
        return;
    }
    const k7::FrqRead again = k7::DecodeFrq(k7::EncodeFrq(document), rules, start);
    Require(again.complete());
    Require(again.document == document);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    const std::uint8_t mode = size > 0 ? data[0] : 0;
    rig.devices.ModelVariant = mode & 3;
    rig.devices.DeviceCount = 1 + (mode >> 2 & 1) * 39;
    rig.devices.SlotBand.fill(kBands[(mode >> 3) % kBands.size()]);
    rig.rack.DecimalSeparatorCode = (mode & 0x40) ? ',' : '.';

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    static const QList<QByteArray> wellFormed = WellFormedLines();
    QList<QByteArray> spliced = wellFormed;
    const QList<QByteArray> inserted = bytes.split('\n');
    const qsizetype at = size > 1 ? data[1] % spliced.size() : 0;
    for (qsizetype i = 0; i < inserted.size() && at + i < spliced.size(); ++i) {
        spliced[at + i] = inserted[i];
    }
    for (const QByteArray& content : {bytes, spliced.join("\r\n") + "\r\n"}) {
        for (const k7::FrqReader reader : {k7::FrqReader::Editor, k7::FrqReader::Rack}) {
            k7::FrqReadRules rules = rig.frq.ReadRules(reader);
            rules.keepOutOfRange = reader == k7::FrqReader::Rack && (mode & 0x80) != 0;
            ReadAndRoundTrip(content, rules);
        }
    }
    return 0;
}
