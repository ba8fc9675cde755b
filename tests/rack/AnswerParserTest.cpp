// ParseSerial: where each answer lands in the rack model, the mute-byte and voltage-hold
// rules, the redraw per layout, and the answers it must ignore.
#include "rack/AnswerParser.h"

#include "rack/RackDisplay.h"
#include "rack/RackTables.h"
#include "support/RackDoubles.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RecordingMeterDisplay;
using test::RecordingRackEvents;

class ParserTest : public ::testing::Test {
protected:
    ParserTest() {
        for (int d = 0; d < kMaxDevices; ++d) {
            devices.DeviceGroup[d] = d / 8;
            devices.DeviceGroupPos[d] = static_cast<std::uint8_t>(d % 8 + 1);
        }
        devices.RackLayout = 2;
        rack.HoldAnswers = 3;
        redraw.Attach(&display);
    }

    // As the engine does after a read: the answer into the tables, then to the observers.
    void parse(int device) {
        const RackAnswer answer = parser.ParseSerial(device);
        TellAnswer(answer, redraw);
        TellAnswer(answer, panel);
    }

    // An answer of these leading bytes, the rest zero.
    void answer(int device, std::initializer_list<std::uint8_t> bytes) {
        rx.fill(0);
        std::copy(bytes.begin(), bytes.end(), rx.begin());
        parse(device);
    }
    void identify(int device, std::uint8_t mute, const char* name = "VOX 1 ") {
        rx.fill(0);
        const std::uint8_t head[] = {'R', 0, '!', 0, 0, 0, 0, 66, mute, 61, 35, 75};
        std::copy(std::begin(head), std::end(head), rx.begin());
        std::copy_n(name, 6, rx.begin() + 12);
        parse(device);
    }
    // Name "AB CDE" (its first letter before the flags), 850.400.
    void settings(int device, std::uint8_t mute, std::uint8_t flags = 0x01) {
        answer(device, {'R', 0, 'D', 85, 4, 0, mute, 'A', flags, 'B', ' ', 'C', 'D', 'E'});
    }
    void meter(int device, std::uint8_t flags, std::uint8_t voltage = 200) {
        answer(device, {'R', 0, 'D', 11, 22, 0, 33, voltage, flags});
    }

    DeviceTables devices;
    RackTables rack;
    AnswerParser::RxBytes rx{};
    AnswerParser parser{devices, rack, rx};
    RecordingMeterDisplay display;
    RackDisplay redraw{devices};
    RecordingRackEvents panel;
};

TEST_F(ParserTest, IdentifyAnswerFillsTheReportedSettingsOnly) {
    rack.CurData[11] = SettingsRow{"Starting", "798.000", "5", "0"};
    identify(10, 0x85); // bank 1, position 3: slot 11
    EXPECT_EQ(parser.ProbeAnswered()[11], 11);
    EXPECT_EQ(rack.SlotState[11], 2);
    EXPECT_EQ(rack.RxData[11], (SettingsRow{"VOX_1_", "613.575", "5", "66"}));
    EXPECT_TRUE(rack.MuteHighBit[11]);
    EXPECT_EQ(rack.CurData[11], (SettingsRow{"Starting", "798.000", "5", "0"}));
    EXPECT_TRUE(display.draws.isEmpty());
}

TEST_F(ParserTest, IdentifyMuteByteOutOfRangeBecomesTwo) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {0x80, "2"}, {0x0C, "2"}, {0x00, "2"}, {0x8A, "10"}, {0x01, "1"}};
    for (const auto& [byte, level] : cases) {
        identify(0, byte);
        EXPECT_EQ(rack.RxData[1].MuteLevel, QString::fromLatin1(level)) << int(byte);
        EXPECT_EQ(rack.MuteHighBit[1], (byte & 0x80) != 0) << int(byte);
    }
}

TEST_F(ParserTest, SettingsAnswerUpdatesBothTablesAndTellsThePanel) {
    rack.CurData[2].BandType = QStringLiteral("64");
    settings(1, 0x8C, 0x03);
    EXPECT_EQ(rack.RxData[2].Name, QStringLiteral("AB CDE")); // spaces kept as sent
    EXPECT_EQ(rack.RxData[2].Frequency, QStringLiteral("850.400"));
    EXPECT_EQ(rack.RxData[2].MuteLevel, QStringLiteral("10"));
    EXPECT_TRUE(rack.MuteHighBit[2]);
    EXPECT_TRUE(rack.UserMute[2]);
    EXPECT_EQ(rack.CurData[2], (SettingsRow{"AB CDE", "850.400", "10", "64"}));
    EXPECT_EQ(panel.answeredSlots, QList<int>{2});
    EXPECT_EQ(rack.AnswerCount[2], 0);
    EXPECT_TRUE(display.draws.isEmpty());

    settings(1, 0x00);
    EXPECT_EQ(rack.RxData[2].MuteLevel, QStringLiteral("1"));
    EXPECT_FALSE(rack.MuteHighBit[2]);
    EXPECT_FALSE(rack.UserMute[2]);
}

TEST_F(ParserTest, MeterAnswerStoresReadingsCountsAndRedrawsItsCell) {
    meter(10, 0x80 | 0x02);
    EXPECT_EQ(rack.MeterData[11][RfA], 11);
    EXPECT_EQ(rack.MeterData[11][RfB], 22);
    EXPECT_EQ(rack.MeterData[11][AudioLevel], 33);
    EXPECT_EQ(rack.LastAntenna, 1);
    EXPECT_EQ(rack.LastMuted, 0);
    EXPECT_TRUE(rack.UserMute[11]);
    EXPECT_EQ(rack.AnswerCount[11], 1);
    EXPECT_EQ(display.draws, QStringList{"16:11,3"});
}

TEST_F(ParserTest, RedrawFollowsTheLayout) {
    // RackLayout 0 is the forty-slot layout of 25 or more receivers.
    const std::pair<int, const char*> layouts[] = {{1, "8:3,3"}, {3, "24:11,3"}, {0, "40:11,3"}};
    for (const auto& [layout, draw] : layouts) {
        devices.RackLayout = layout;
        display.draws.clear();
        meter(10, 0);
        EXPECT_EQ(display.draws, QStringList{QString::fromLatin1(draw)});
    }
    EXPECT_EQ(rack.AnswerCount[11], 3);
}

TEST_F(ParserTest, VoltageIsTakenOnlyAfterTheHoldAndAMutedReportRestartsIt) {
    for (int answer = 1; answer <= 4; ++answer) {
        meter(0, 0, static_cast<std::uint8_t>(100 + answer));
        EXPECT_FALSE(rack.VoltageKnown[1]) << answer;
        EXPECT_EQ(rack.MeterData[1][Voltage], 0) << answer;
    }
    meter(0, 0, 150);
    EXPECT_TRUE(rack.VoltageKnown[1]);
    EXPECT_EQ(rack.MeterData[1][Voltage], 150);
    meter(0, 0, 151);
    EXPECT_EQ(rack.MeterData[1][Voltage], 151);

    rack.HoldStart[1] = 0;
    meter(0, 0x20, 90); // muted: the hold starts again although it had run out
    EXPECT_EQ(rack.LastMuted, 1);
    EXPECT_FALSE(rack.VoltageKnown[1]);
    EXPECT_EQ(rack.HoldStart[1], 3);
    EXPECT_EQ(rack.HoldCount[1], 1);
    EXPECT_EQ(rack.MeterData[1][Voltage], 151);
}

TEST_F(ParserTest, AnswersFromDevicesOutsideTheBanksAreIgnored) {
    devices.DeviceGroupPos[4] = 9;
    devices.DeviceGroupPos[5] = 0;
    devices.DeviceGroup[6] = 5;
    devices.DeviceGroup[7] = -1;
    for (int device : {4, 5, 6, 7, -1, 40, 1000}) {
        identify(device, 5);
        meter(device, 0);
        settings(device, 5);
    }
    for (int slot = 0; slot <= kMaxSlots; ++slot) {
        EXPECT_EQ(rack.SlotState[slot], 0) << slot;
        EXPECT_EQ(parser.ProbeAnswered()[slot], 0) << slot;
    }
    EXPECT_TRUE(display.draws.isEmpty());
    EXPECT_TRUE(panel.answeredSlots.isEmpty());
}

TEST_F(ParserTest, UnknownAnswerTypesChangeNothing) {
    rx.fill(0);
    rx[0] = 'R';
    rx[2] = '?';
    EXPECT_EQ(parser.ParseSerial(0).kind, RackAnswer::None);
    EXPECT_EQ(rack.SlotState[1], 0);
    EXPECT_TRUE(rack.RxData[1].Name.isNull());
}

} // namespace
} // namespace k7
