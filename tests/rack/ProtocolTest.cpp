// The settings frames byte by byte and the text form of wire frequencies.
#include "rack/Protocol.h"

#include <gtest/gtest.h>

#include <tuple>

namespace k7 {
namespace {

RackTables rackWith(const QString& name, const QString& frequency, const QString& mute,
                    const QString& bandType, int slot = 3) {
    RackTables rack;
    rack.CurData[static_cast<std::size_t>(slot)] = SettingsRow{name, frequency, mute, bandType};
    return rack;
}

TEST(FrequencyText, PadsTheTwoDigitFieldsAndUsesTheSeparator) {
    EXPECT_EQ(FrequencyText(61, 35, 75, '.'), QStringLiteral("613.575"));
    EXPECT_EQ(FrequencyText(85, 4, 0, '.'), QStringLiteral("850.400"));
    EXPECT_EQ(FrequencyText(80, 0, 0, '.'), QStringLiteral("800.000"));
    EXPECT_EQ(FrequencyText(86, 50, 0, '.'), QStringLiteral("865.000"));
    EXPECT_EQ(FrequencyText(60, 66, 0, ','), QStringLiteral("606,600"));
}

TEST(FrequencyText, RoundTripsThroughTheWireBytes) {
    for (int f1 : {47, 61, 86, 99}) {
        for (int f2 = 0; f2 < 100; f2 += 7) {
            for (int f3 : {0, 5, 25, 75, 99}) {
                const auto bytes = FrequencyBytes(FrequencyText(f1, f2, f3, ','));
                ASSERT_TRUE(bytes);
                EXPECT_EQ((*bytes)[0], f1);
                EXPECT_EQ((*bytes)[1], f2);
                EXPECT_EQ((*bytes)[2], f3);
            }
        }
    }
}

TEST(FrequencyBytes, RefusesTextsThatAreNotAFrequency) {
    for (const char* text : {"", "613.57", "613.5755", "6a3.575", "613.5x5", " 13.575", "613575"}) {
        EXPECT_FALSE(FrequencyBytes(QString::fromLatin1(text))) << text;
    }
}

TEST(NameFrame, LaysOutNameMuteAndBandTypeFillingShortNamesCuttingLongOnesCappingTheLevel) {
    const std::tuple<const char*, int, SettingsFrame> cases[] = {
        {"VOX 1A", 7, {'R', 0, 'M', 'V', 'O', 'X', 7, ' ', '1', 'A', 0, 70, 0}},
        {"ABC", 12, {'R', 0, 'M', 'A', 'B', 'C', 10, '_', '_', '_', 0, 70, 0}},
        {"LONGNAME", 4, {'R', 0, 'M', 'L', 'O', 'N', 4, 'G', 'N', 'A', 0, 70, 0}}};
    for (const auto& [name, level, expected] : cases) {
        const auto frame = BuildNameFrame(rackWith(name, "613.575", "5", "70"), 3, level);
        ASSERT_TRUE(frame) << name;
        EXPECT_EQ(*frame, expected) << name;
    }
}

TEST(NameFrame, IsNotBuiltFromTextsItCannotCarry) {
    const QString euro = QString(QChar(0x20AC)) + QStringLiteral("VOX");
    EXPECT_FALSE(BuildNameFrame(rackWith(euro, "613.575", "5", "0"), 3, 5));
    EXPECT_FALSE(BuildNameFrame(rackWith("VOX", "613.575", "5", "x"), 3, 5));
    EXPECT_FALSE(BuildNameFrame(rackWith("VOX", "613.575", "5", "256"), 3, 5));
    EXPECT_FALSE(BuildNameFrame(rackWith("VOX", "613.575", "5", "0"), 3, -1));
    EXPECT_FALSE(BuildNameFrame(rackWith("VOX", "613.575", "5", "0"), 0, 5));
    EXPECT_FALSE(BuildNameFrame(rackWith("VOX", "613.575", "5", "0"), 41, 5));
}

TEST(MuteFrame, CarriesOnlyTheLevelAndBandType) {
    const auto frame = BuildMuteFrame(rackWith("VOX", "613.575", "5", "64"), 3, 11); // user mute on
    ASSERT_TRUE(frame);
    const SettingsFrame expected{'R', 0, 'm', 0, 0, 0, 10, 0, 0, 0, 0, 64, 0};
    EXPECT_EQ(*frame, expected);
}

TEST(FrequencyFrame, CarriesTheFrequencyBytesMuteAndChecksum) {
    const auto frame = BuildFrequencyFrame(rackWith("VOX", "613.575", "5", "0"), 3);
    ASSERT_TRUE(frame);
    const int sum = 61 + 35 + 75 + 5 + 1;
    const SettingsFrame expected{
        'R', 0, 'I', 61, 35, 75, 5, 0, 0, 0, 1, 0, static_cast<std::uint8_t>(sum)};
    EXPECT_EQ(*frame, expected);
}

TEST(FrequencyFrame, AChecksumThatWouldReadAsFrameStartIsMoved) {
    // 61 + 10 + 5 + 5 + 1 = 0x52; 99 + 99 + 99 + 40 + 1 = 0x152.
    for (const auto& [frequency, mute] : {std::pair{"611.005", "5"}, std::pair{"999.999", "40"}}) {
        const auto frame = BuildFrequencyFrame(rackWith("VOX", frequency, mute, "0"), 3);
        ASSERT_TRUE(frame) << frequency;
        EXPECT_EQ((*frame)[10], 0) << frequency;
        EXPECT_EQ((*frame)[12], 0x51) << frequency;
    }
}

TEST(FrequencyFrame, ChecksumIsTheByteSumAndNeverFrameStart) {
    RackTables rack = rackWith("VOX", "600.000", "1", "0");
    for (int f2 = 0; f2 < 100; ++f2) {
        for (int mute = 1; mute <= 10; ++mute) {
            rack.CurData[3].Frequency = FrequencyText(60, f2, f2 % 40, '.');
            rack.CurData[3].MuteLevel = QString::number(mute);
            const auto frame = BuildFrequencyFrame(rack, 3);
            ASSERT_TRUE(frame);
            int sum = 0;
            for (int i = 3; i <= 11; ++i) {
                sum += (*frame)[static_cast<std::size_t>(i)];
            }
            EXPECT_NE((*frame)[12], 'R');
            EXPECT_EQ((*frame)[12], sum % 256);
        }
    }
}

TEST(FrequencyFrame, IsNotBuiltFromAMalformedFrequencyOrMuteLevel) {
    EXPECT_FALSE(BuildFrequencyFrame(rackWith("VOX", "613.57", "5", "0"), 3));
    EXPECT_FALSE(BuildFrequencyFrame(rackWith("VOX", "Starting", "5", "0"), 3));
    EXPECT_FALSE(BuildFrequencyFrame(rackWith("VOX", "613.575", "five", "0"), 3));
    EXPECT_FALSE(BuildFrequencyFrame(rackWith("VOX", "613.575", "", "0"), 3));
    EXPECT_FALSE(BuildFrequencyFrame(rackWith("VOX", "613.575", "5", "0", 40), 41));
}

} // namespace
} // namespace k7
