// The bytes of the files a whole start-up writes (Default.frq, Template.frq, Rack_Data.frq) for
// every band with presets or fill values, against fingerprints recorded from a known-good build:
// any change to the file layer that moves a byte of them fails here.
#include "support/StationRig.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocale>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

struct StartCase {
    const char* serialStart; // selects the band (and the model for 5E)
    QLocale::Language language;
    // The first 16 hex digits of each file's SHA-256; "" where the start writes no such file.
    const char* defaultFile;
    const char* templateFile;
    const char* snapshotFile;
};

std::string Fingerprint(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
        .toHex()
        .left(16)
        .toStdString();
}

class StartupFiles : public ::testing::TestWithParam<StartCase> {};

TEST_P(StartupFiles, AreTheRecordedBytes) {
    const StartCase& c = GetParam();
    const QLocale saved;
    QLocale::setDefault(QLocale(c.language));
    StationRig rig(RackOf(3, c.serialStart));
    const bool started = rig.station->Start() && rig.RunToMonitoring();
    QLocale::setDefault(saved);
    ASSERT_TRUE(started);
    const QDir data(rig.station->core().frq().dataFolder());
    EXPECT_EQ(Fingerprint(data.filePath(QStringLiteral("Default.frq"))), c.defaultFile);
    EXPECT_EQ(Fingerprint(data.filePath(QStringLiteral("Template.frq"))), c.templateFile);
    EXPECT_EQ(Fingerprint(data.filePath(QStringLiteral("Rack_Data.frq"))), c.snapshotFile);
}

constexpr QLocale::Language kPoint = QLocale::English;
constexpr QLocale::Language kComma = QLocale::German;

// Three receivers of each band: 5A to 5E are bands 10 to 14 (5E a Japanese interface, which
// gets no Template.frq), 5G to 5L bands 32 to 37 (37 has no presets: empty counts and
// frequencies); the last two cases with a comma as the decimal separator.
INSTANTIATE_TEST_SUITE_P(
    Bands, StartupFiles,
    ::testing::Values(
        StartCase{"5A", kPoint, "97e99b09984d3dbd", "b828f579323902ce", "ad16ef1e04f2f172"},
        StartCase{"5B", kPoint, "87c5b7beca92d7f6", "8a41c80e8d552a16", "5fe0fb5dd1c23133"},
        StartCase{"5C", kPoint, "ec33a15a2712ea6d", "c29034ca0045c8eb", "f7ea011bb942ab7b"},
        StartCase{"5D", kPoint, "21caa1864a98bdcb", "7d93ad2f5a90bc12", "87fa5aca7195e39c"},
        StartCase{"5E", kPoint, "d8d8fb5e8588332a", "", "becc75627e0ce0a9"},
        StartCase{"5G", kPoint, "389942e1eb8f934c", "e84a3d5b45455930", "5fe0fb5dd1c23133"},
        StartCase{"5H", kPoint, "271ff38c6d14f4b1", "2a4d5ca862d8e2f9", "606509c2c1c4ba07"},
        StartCase{"5I", kPoint, "52517ba1a46a7815", "ce611ac80cd900d9", "19e6d239dd88c93f"},
        StartCase{"5J", kPoint, "64c0196892df247d", "492ad51057596e3a", "d1c2c93954c6f249"},
        StartCase{"5K", kPoint, "ca3cfff2094c1cdc", "a8e000e7dadb4b43", "bc63a630bc010e62"},
        StartCase{"5L", kPoint, "4d20a1c536ae3a41", "73babc73395faa6d", "b64c42d42158aac9"},
        StartCase{"5A", kComma, "a5d8c0b922878b45", "9e656727df24f257", "81dbff83d47f52ff"},
        StartCase{"5K", kComma, "2d4a6e86d7a1e0b6", "6fdf033723761f45", "cddbb367f52faa9d"}));

} // namespace
} // namespace k7
