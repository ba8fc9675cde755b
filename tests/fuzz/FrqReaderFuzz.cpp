// Arbitrary bytes as a .frq file for both readers. The first byte picks the interface model,
// the band, the separator and discovery or metering; the bytes are read as a file of their
// own and spliced as lines into a well-formed file, so that the fuzzer reaches the late
// entries without a corpus. Built as a libFuzzer target and, with fixed inputs, as a plain
// regression test.
#include "support/RackHarness.h"

#include <QFile>

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

// The station's core over a rack of no receivers; the input sets up the tables it reads with.
struct Rig {
    k7::test::RackHarness harness;
    QString folder = harness.dataFolder();
    k7::DeviceTables& devices = harness.devices;
    k7::RackTables& rack = harness.rack;
    k7::FileState& files = harness.files;
    k7::FrqFile& frq = harness.core.frq;
};

constexpr std::array kBands{36, 14, 9, 10, 37, 0};

void Check(bool holds) {
    if (!holds) {
        std::abort();
    }
}

// A reader returns the file name or one of its tokens, never anything else.
void CheckResult(const QString& result, const QString& name) {
    Check(result == name || result.isEmpty() || result == QLatin1String("NUMBER") ||
          result == QLatin1String("EXIT") || result == QLatin1String("NOLINE") ||
          result == QLatin1String("No frq file"));
}

QList<QByteArray> WellFormedLines() {
    QList<QByteArray> lines{"Veltora USB Receiver file", "24", "5"};
    for (int i = 1; i <= k7::kFileEntries; ++i) {
        lines << "Mic" + QByteArray::number(i) << "613.575"
              << "5"
              << "64" << QByteArray();
    }
    return lines;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Rig rig;
    const std::uint8_t mode = size > 0 ? data[0] : 0;
    rig.devices.ModelVariant = mode & 3;
    rig.devices.DeviceCount = 1 + (mode >> 2 & 1) * 39;
    rig.devices.SlotBand.fill(kBands[(mode >> 3) % kBands.size()]);
    rig.rack.DecimalSeparatorCode = (mode & 0x40) ? ',' : '.';
    const k7::RangeRule range =
        (mode & 0x80) ? k7::RangeRule::KeepOutOfRange : k7::RangeRule::RefuseOutOfRange;
    rig.harness.prompter.boxes.clear();

    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QList<QByteArray> spliced = WellFormedLines();
    const QList<QByteArray> inserted = bytes.split('\n');
    const qsizetype at = size > 1 ? data[1] % spliced.size() : 0;
    for (qsizetype i = 0; i < inserted.size() && at + i < spliced.size(); ++i) {
        spliced[at + i] = inserted[i];
    }
    for (const QByteArray& content : {bytes, spliced.join("\r\n") + "\r\n"}) {
        const QString name = QStringLiteral("Fuzz.frq");
        {
            QFile file(rig.folder + QLatin1Char('/') + name);
            Check(file.open(QIODevice::WriteOnly));
            file.write(content);
        }
        CheckResult(rig.frq.ReadEditorFile(name), name);
        CheckResult(rig.frq.LoadRackFile(name, range), name);
        Check(rig.files.EntryCount >= 0 && rig.files.EntryCount <= k7::kFileEntries);
        Check(rig.files.GlobalMuteLevel <= 10);
    }
    return 0;
}
