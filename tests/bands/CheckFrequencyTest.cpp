// CheckFrequency, CheckJapanBand and FrequencyFitsSlot against the band table.
#include "bands/CheckFrequency.h"
#include "link/DeviceTables.h"
#include "rack/RackTables.h"
#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

#include <tuple>

namespace k7 {
namespace {

class CheckFrequencyTest : public ::testing::Test {
protected:
    void setBand(int band) {
        devices.DeviceCount = 1;
        devices.SlotBand[1] = band;
    }
    // The frequency to store, or how the check refused the entry.
    QString check(const QString& text, bool quiet = false, int slot = 1) {
        const FrequencyCheck result = checker.CheckFrequency(text, quiet, slot);
        switch (result.result) {
        case FrequencyResult::Valid:
            return result.frequency;
        case FrequencyResult::Blank:
            return QString();
        case FrequencyResult::Err:
            return QStringLiteral("Err");
        case FrequencyResult::Range:
            return QStringLiteral("RANGE");
        case FrequencyResult::Unreadable:
            return QStringLiteral("Unreadable");
        }
        return QStringLiteral("?");
    }

    DeviceTables devices;
    RackTables rack;
    test::ScriptedPrompter prompter;
    FrequencyChecker checker{devices, rack, prompter};
};

TEST_F(CheckFrequencyTest, CompletesEntriesWithoutSeparatorByLength) {
    setBand(37);
    // The seventh digit is dropped; an entry with a separator is taken as it is.
    for (const auto& [entry, stored] : {std::pair{"8", "800.000"},
                                        {"85", "850.000"},
                                        {"850", "850.000"},
                                        {"8504", "850.400"},
                                        {"85045", "850.450"},
                                        {"850425", "850.425"},
                                        {"8504259", "850.425"},
                                        {"850.45", "850.450"}}) {
        EXPECT_EQ(check(entry), stored) << entry;
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(CheckFrequencyTest, SnapsToTheRasterWithHalvesToEven) {
    setBand(36);
    EXPECT_EQ(check("606012"), "606.000");
    EXPECT_EQ(check("606013"), "606.025");
    EXPECT_EQ(check("6060129"), "606.000");
    // Four decimals: the single-precision value times 1000 in double precision, rounded.
    EXPECT_EQ(check("606.0125"), "606.025"); // 606.012512... -> 606013, 13 kHz above 606.000
    EXPECT_EQ(check("606.0375"), "606.025"); // 606.037475... -> 606037, 12 kHz above 606.025
}

TEST_F(CheckFrequencyTest, EveryThreeDecimalEntrySnapsAsItsWholeKilohertz) {
    const auto expected = [](int kHz) {
        const int rest = kHz % 25;
        const int snapped = rest <= 12 ? kHz - rest : kHz + 25 - rest;
        return QStringLiteral("%1.%2")
            .arg(snapped / 1000)
            .arg(snapped % 1000, 3, 10, QLatin1Char('0'));
    };
    const auto text = [](int kHz) {
        return QStringLiteral("%1.%2").arg(kHz / 1000).arg(kHz % 1000, 3, 10, QLatin1Char('0'));
    };
    setBand(36);
    for (int kHz = 606000; kHz <= 637987; ++kHz) {
        ASSERT_EQ(check(text(kHz)), expected(kHz)) << kHz;
    }
    setBand(37); // no range: the whole dial, every seventh kilohertz
    for (int kHz = 100000; kHz <= 999987; kHz += 7) {
        ASSERT_EQ(check(text(kHz)), expected(kHz)) << kHz;
    }
}

TEST_F(CheckFrequencyTest, OutOfBandInOperatorAndQuietForm) {
    setBand(36);
    EXPECT_EQ(check("865.000"), "Err");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = prompter.boxes[0];
    EXPECT_EQ(box.text, "Sorry, 865.000 is an invalid Frequency.\r\nOnly 606.000 to 638.000 is "
                        "allowed for this receiver.\r\nPlease re-enter");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::OK);
    EXPECT_TRUE(box.title.isEmpty());

    EXPECT_EQ(check("865.000", true), "RANGE");
    EXPECT_EQ(check("605.999", true), "RANGE");
    EXPECT_EQ(check("638.000", true), "638.000"); // the limits themselves are inside
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(CheckFrequencyTest, EmptyShortAndMalformedEntries) {
    setBand(36);
    EXPECT_EQ(check("", true), "");
    EXPECT_TRUE(prompter.boxes.empty());
    EXPECT_EQ(check(""), "");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "Please enter\r\nNo frequency data");

    // Quiet reads take seven characters only, before any completion.
    EXPECT_EQ(check("606.6", true), "Err");
    EXPECT_EQ(check("60660", true), "Err"); // completed it would be in band
    EXPECT_EQ(prompter.boxes.size(), 1u);

    EXPECT_EQ(check("abc"), "Unreadable");
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_TRUE(prompter.boxes[1].text.startsWith("Frequency error code: "));
    EXPECT_TRUE(prompter.boxes[1].text.endsWith("\r\nPlease re-enter"));
    // A file read reports a malformed entry through its result only.
    EXPECT_EQ(check("6x6.600", true), "Unreadable");
    EXPECT_EQ(check("1e9.000", true), "Unreadable");
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(CheckFrequencyTest, UnknownBandsTakeAnyNumberOnTheRaster) {
    for (int band : {37, 0, 48, 99}) {
        setBand(band);
        EXPECT_EQ(check("123.456"), "123.450") << band;
        EXPECT_EQ(check("999.999", true), "1000.000") << band;
        EXPECT_EQ(check("050.005", true), "50.000") << band;
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(CheckFrequencyTest, JapaneseBandHasTwoRangesAndA125kHzRaster) {
    setBand(14);
    EXPECT_EQ(check("806.125"), "806.125");
    EXPECT_EQ(check("809.750"), "809.750");
    EXPECT_EQ(check("797"), "797.000");
    EXPECT_EQ(check("806.000", true), "806.000");
    EXPECT_EQ(check("807.187"), "807.125");
    EXPECT_EQ(check("807.188"), "807.250");
    EXPECT_TRUE(prompter.boxes.empty());

    // Between the ranges and above them.
    EXPECT_EQ(check("806.050"), "");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, "Problem with-- 806.050\r\nOnly 806.125 to 809.75\r\nor\r\n"
                                      "797 to 806\r\nis correct.\r\n\r\nPlease re-enter");
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Exclamation);
    // A quiet read gets its token without a box for every entry.
    EXPECT_EQ(check("809.800", true), "RANGE");
    EXPECT_EQ(check("796.999", true), "RANGE");
    EXPECT_EQ(prompter.boxes.size(), 1u);

    EXPECT_FALSE(checker.CheckJapanBand("810.000"));
    EXPECT_TRUE(checker.CheckJapanBand("808.000"));
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(CheckFrequencyTest, BandNineKeepsItsPlaceholderReadable) {
    setBand(9);
    EXPECT_EQ(check("621.975", true), "621.975");
    EXPECT_EQ(check("623.000"), "Err");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_TRUE(
        prompter.boxes[0].text.contains("Only 606.000 to 614.000 is allowed for this receiver."));
    EXPECT_EQ(check("622.025", true), "RANGE"); // the limit lies just above the placeholder
}

TEST_F(CheckFrequencyTest, CommaSeparator) {
    setBand(36);
    rack.DecimalSeparatorCode = ',';
    EXPECT_EQ(check("606,6"), "606,600");
    EXPECT_EQ(check("6066"), "606,600");
    EXPECT_EQ(check("613,575", true), "613,575");
    EXPECT_EQ(check("637,99", false), "638,000");
    EXPECT_EQ(check("700,000", true), "RANGE");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(CheckFrequencyTest, TheBandOfTheSlotInUseApplies) {
    devices.DeviceCount = 2;
    devices.SlotBand[1] = 36;
    devices.SlotBand[2] = 10;
    EXPECT_EQ(check("850.400", true, 2), "850.400");
    EXPECT_EQ(check("850.400", true, 0), "RANGE"); // the editor: slot 1's band
    EXPECT_EQ(check("850.400", true, 3), "RANGE"); // beyond the slots in use
    EXPECT_EQ(check("850.400", true, 41), "RANGE");
    EXPECT_EQ(check("613.575", true, 1), "613.575");
}

TEST_F(CheckFrequencyTest, FrequencyFitsSlotWithoutAnyBox) {
    devices.DeviceCount = 3;
    devices.SlotBand[1] = 36;
    devices.SlotBand[2] = 14;
    devices.SlotBand[3] = 37;
    const std::tuple<const char*, int, bool> cases[] = {
        {"606.600", 1, true},  {"606,600", 1, true},  {"606.6", 1, false},   {"865.000", 1, false},
        {"6O6.600", 1, false}, {"606:600", 1, false}, {"806.050", 2, false}, {"799.000", 2, true},
        {"999.999", 3, true},  {"", 3, false},        {"-99.000", 3, false}};
    for (const auto& [text, slot, fits] : cases) {
        EXPECT_EQ(checker.FrequencyFitsSlot(text, slot), fits) << text << " in slot " << slot;
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

} // namespace
} // namespace k7
