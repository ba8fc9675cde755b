// The .frq codec on its own, in memory: the exact bytes it writes, where and why a read stops
// and what it lays over the start document, and documents that come back as they went.
#include "files/FrqCodec.h"
#include "FrqTestRack.h"

#include <gtest/gtest.h>

#include <vector>

namespace k7 {
namespace {

using test::FrqTestRack;
constexpr auto BytesOf = &FrqTestRack::bytesOf;
constexpr auto LineOf = &FrqTestRack::lineOf;

// The document of FrqTestRack::validLines().
FrqDocument ValidDocument() {
    FrqDocument document;
    document.EntryCount = 24;
    document.GlobalMuteLevel = 5;
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[i] = {QStringLiteral("Mic%1").arg(i, 3, 10, QLatin1Char('0')),
                               QString::number(606.600 + (i - 1) * 0.025, 'f', 3),
                               QStringLiteral("5"), QStringLiteral("0")};
    }
    return document;
}

FrqReadRules Rules(FrqReader reader) {
    FrqReadRules rules;
    rules.reader = reader;
    rules.model = ModelK75;
    return rules;
}

TEST(FrqCodec, WritesTheLayoutInWindowsTextWithCrLf) {
    FrqDocument document = ValidDocument();
    document.Entries[1] = {QString::fromUtf8("Zoë\r\nX"), "606.600", "10", "64"};
    const QByteArray bytes = EncodeFrq(document);
    EXPECT_TRUE(bytes.startsWith("Veltora USB Receiver file\r\n24\r\n5\r\nZo\xEB  X\r\n606.600\r\n"
                                 "10\r\n64\r\n\r\nMic002\r\n"));
    EXPECT_TRUE(bytes.endsWith("Mic040\r\n607.575\r\n5\r\n0\r\n\r\n"));
    EXPECT_EQ(bytes.count("\r\n"), 203);

    document.EntryCount.reset(); // a band without presets
    document.GlobalMuteLevel = 0;
    EXPECT_TRUE(EncodeFrq(document).startsWith("Veltora USB Receiver file\r\n\r\n0\r\n"));
}

TEST(FrqCodec, ANormalisedDocumentComesBackAsItWent) {
    FrqDocument document = ValidDocument();
    document.EntryCount = 7;
    document.GlobalMuteLevel = 10;
    document.Entries[2] = {QStringLiteral("Lead_Vocal"), "606.625", "0", "128"};
    document.Entries[3].BandType = QStringLiteral("192");
    FrqRead read = DecodeFrq(EncodeFrq(document), Rules(FrqReader::Editor));
    ASSERT_TRUE(read.complete());
    EXPECT_EQ(read.document, document);
    EXPECT_EQ(read.bandTypesRead, kFileEntries);

    // The rack keeps its own flags: "1" and the user mute, not the editor's high bits.
    document.GlobalMuteLevel = 1;
    document.Entries[2].BandType = QStringLiteral("1");
    document.Entries[3].BandType = QStringLiteral("64");
    read = DecodeFrq(EncodeFrq(document), Rules(FrqReader::Rack));
    ASSERT_TRUE(read.complete());
    EXPECT_EQ(read.document, document);
}

TEST(FrqCodec, AStoppedReadKeepsWhatCameBeforeTheStopAndTheStartAfterIt) {
    FrqDocument start;
    start.EntryCount = 17;
    start.GlobalMuteLevel = 3;
    for (int i = 1; i <= kFileEntries; ++i) {
        start.Entries[i] = {"old", "old", "old", "old"};
    }
    const QStringList valid = FrqTestRack::validLines();

    QStringList lines = valid;
    lines[LineOf(3, 4)] = QStringLiteral("x");
    lines[LineOf(2, 3)] = QStringLiteral("abc");
    lines[LineOf(3, 3)] = QStringLiteral("65");
    FrqRead read = DecodeFrq(BytesOf(lines), Rules(FrqReader::Rack), start);
    EXPECT_EQ(read.error, FrqError::NoSeparator);
    EXPECT_EQ(read.entry, 3);
    EXPECT_EQ(read.document.EntryCount, 24);
    EXPECT_EQ(read.document.GlobalMuteLevel, 5);
    EXPECT_EQ(read.document.Entries[3], (SettingsRow{"Mic003", "606.650", "5", "0"}));
    EXPECT_EQ(read.document.Entries[4], start.Entries[4]);
    EXPECT_EQ(read.bandTypesRead, 3);
    EXPECT_TRUE(read.bandTypeIsNumber[1]);
    EXPECT_FALSE(read.bandTypeIsNumber[2]) << "abc";
    EXPECT_TRUE(read.bandTypeIsNumber[3]) << "65: a number, though not one the rack keeps";

    lines = valid;
    lines[LineOf(2, 1)] = QString();
    read = DecodeFrq(BytesOf(lines), Rules(FrqReader::Editor), start);
    EXPECT_EQ(read.error, FrqError::NoFrequency);
    EXPECT_EQ(read.entry, 2);
    EXPECT_EQ(read.document.Entries[2].Name, "Mic002");
    EXPECT_EQ(read.document.Entries[2].Frequency, "old");
    EXPECT_EQ(read.bandTypesRead, 1);

    struct Stop {
        QByteArray bytes;
        FrqError error;
    };
    const std::vector<Stop> stops{
        {QByteArray(), FrqError::EndsEarly},
        {"Veltora\r\n", FrqError::EndsEarly},
        {"Veltora\r\nmany\r\n5\r\n", FrqError::CountNotNumber},
        {"Veltora\r\n40000\r\n5\r\n", FrqError::CountOverflow},
        {QByteArray(kMaxFrqBytes + 1, '\n'), FrqError::TooLarge},
    };
    for (const Stop& stop : stops) {
        read = DecodeFrq(stop.bytes, Rules(FrqReader::Editor), start);
        EXPECT_EQ(read.error, stop.error) << stop.bytes.left(30).toStdString();
        EXPECT_EQ(read.entry, 0);
        EXPECT_EQ(read.document, start);
    }
    read = DecodeFrq(BytesOf(valid.mid(0, 150)), Rules(FrqReader::Rack), start);
    EXPECT_EQ(read.error, FrqError::EndsEarly);
    EXPECT_EQ(read.entry, 30);
}

TEST(FrqCodec, TheBandCheckSeesTheUsersSeparatorAndTheEntry) {
    QStringList lines = FrqTestRack::validLines();
    lines[LineOf(5, 1)] = QStringLiteral("865.000");
    FrqReadRules rules = Rules(FrqReader::Rack);
    rules.separator = QLatin1Char(',');
    std::vector<int> asked;
    rules.outOfRange = [&](const QString& frequency, int entry) {
        asked.push_back(entry);
        EXPECT_EQ(frequency.at(3), QLatin1Char(','));
        return frequency.startsWith(QLatin1String("865"));
    };
    FrqRead read = DecodeFrq(BytesOf(lines), rules);
    EXPECT_EQ(read.error, FrqError::OutOfRange);
    EXPECT_EQ(read.entry, 5);
    EXPECT_EQ(read.frequencyLine, "865.000") << "the line as the file has it";
    EXPECT_EQ(asked, (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(read.document.Entries[4].Frequency, "606,675");
    EXPECT_TRUE(read.document.Entries[5].Frequency.isEmpty());

    rules.keepOutOfRange = true;
    read = DecodeFrq(BytesOf(lines), rules);
    EXPECT_TRUE(read.complete());
    EXPECT_EQ(read.document.Entries[5].Frequency, "865,000");
}

} // namespace
} // namespace k7
