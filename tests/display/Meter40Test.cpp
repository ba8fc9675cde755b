// The forty-slot layout: where its cells lie, its bars on the 79-pixel scale with peak hold and
// markers, the battery gauge, lamps and user mute, the muted style, the cells prepared again
// after a blanking, and a text box that holds every printable character whole.
#include "DisplayFixture.h"
#include "display/Layout40.h"

#include <vector>

namespace k7::test {
namespace {

// Raw bytes that land on a calibration mark, so their heights on the 79-pixel scale are exact.
constexpr std::uint8_t kRfFull = 175;    // RF 79
constexpr std::uint8_t kAudioFull = 188; // audio 79
constexpr std::uint8_t kAudio32 = 25;    // audio 31.6 -> 32
constexpr int kBottom = 124;             // last bar row of a cell

class Meter40Test : public DisplayTest {
protected:
    void Answer(int slot, std::uint8_t rfA, std::uint8_t rfB, std::uint8_t audio) {
        SetLevels(slot, rfA, rfB, audio);
        panel.Display40VU(slot, (slot - 1) % 8 + 1);
    }
    // A pixel of slot 1's cell by its cell-relative position.
    AtlasOrigin BarA(int y) const { return At(7, y); }
    AtlasOrigin BarB(int y) const { return At(15, y); }
    AtlasOrigin AudioBar(int y) const { return At(49, y); }
    // The atlas row of a bar sprite that lands on cell row y (sprites end at atlas row 209).
    static int BarRow(int y) { return 209 - (kBottom - y); }

    // The pixels of a text drawn whole, in the panel's faces.
    static int WholeTextPixels(const QFont& font, const QString& text, const QColor& colour) {
        QImage scratch = AllocateBuffer(400, 80);
        DrawText(scratch, font, colour, {200, 60}, JustifyCode(0, -1), text);
        return CountWhere(scratch.rect(),
                          [&](int x, int y) { return scratch.pixel(x, y) == colour.rgb(); });
    }
};

TEST_F(Meter40Test, CellsFollowTheHitTestGridInReadingOrder) {
    StartRack(0, 40);
    const std::pair<int, QPoint> cells[] = {
        {1, {0, 0}}, {8, {700, 0}}, {9, {0, 140}}, {33, {0, 560}}, {40, {700, 560}}};
    const int background = SpriteCode(Sprite::Cell40Background);
    for (const auto& [slot, origin] : cells) {
        EXPECT_EQ(At(origin.x(), origin.y()), (AtlasOrigin{background, 130, 0})) << slot;
        EXPECT_EQ(At(origin.x() + 99, origin.y() + 139), (AtlasOrigin{background, 269, 99}));
        // The slot's own answer draws its RF A bar, seven columns wide, in that cell.
        Answer(slot, kRfFull, 0, 0);
        EXPECT_EQ(At(origin.x() + 4, origin.y() + kBottom), From(Sprite::RfBar40Lit, 209, 0));
        EXPECT_EQ(At(origin.x() + 10, origin.y() + 45), From(Sprite::RfBar40Lit, 130, 6));
        EXPECT_NE(At(origin.x() + 11, origin.y() + 80).sprite, SpriteCode(Sprite::RfBar40Lit));
    }
    std::vector<QRect> pastes;
    panel.setPasteListener([&](const QRect& r) { pastes.push_back(r); });
    panel.Display40VU(0, 1);
    panel.Display40VU(41, 1);
    EXPECT_TRUE(pastes.empty());
    // One answer touches only its own cell: gauge, text, two lamps, three bars, mute icon.
    Answer(27, 0, 0, 0);
    EXPECT_EQ(pastes.size(), 8u);
    for (const QRect& r : pastes) {
        EXPECT_TRUE(QRect(200, 420, 100, 140).contains(r)) << r.x() << "," << r.y();
    }
}

TEST_F(Meter40Test, BarsRiseFromTheBottomByTheirHeight) {
    StartRack(0, 1);
    Answer(1, kRfFull, kRfFull, kAudioFull);
    // Full scale: 80 lit rows, 45..124, but for the peak marker on top (46..50) and, on the RF
    // bars, the threshold marker of mute level 1 (116..120).
    for (int y = 45; y <= kBottom; ++y) {
        const bool peak = y >= 46 && y <= 50;
        const bool threshold = y >= 116 && y <= 120;
        if (!peak && !threshold) {
            EXPECT_EQ(BarA(y), From(Sprite::RfBar40Lit, BarRow(y), 3)) << y;
            EXPECT_EQ(BarB(y), From(Sprite::RfBar40Lit, BarRow(y), 3)) << y;
        }
        if (!peak) {
            EXPECT_EQ(AudioBar(y), From(Sprite::VuBar40Lit, BarRow(y), 5)) << y;
        }
    }
    EXPECT_EQ(BarA(46), From(Sprite::PeakMarker, 7, 3));
    // Mute level 1 is 4 rows up on the 79-pixel scale (8 on the 127, 21 on the 255).
    EXPECT_EQ(BarB(120), From(Sprite::ThresholdMarker, 4, 3));
    // A full audio peak is past "0 dB": its marker is the threshold sprite.
    EXPECT_EQ(AudioBar(50), From(Sprite::ThresholdMarker, 4, 5));
    EXPECT_EQ(At(44, 80).sprite, SpriteCode(Sprite::VuBar40Lit)); // eleven columns: 44..54
    EXPECT_NE(At(55, 80).sprite, SpriteCode(Sprite::VuBar40Lit));

    // Level 0 under the held peaks: one lit row at the bottom, unlit above it.
    Answer(1, 0, 0, 12);
    EXPECT_EQ(BarA(kBottom), From(Sprite::RfBar40Lit, 209, 3));
    EXPECT_EQ(BarA(121), From(Sprite::RfBar40Unlit, 206, 3));
    EXPECT_EQ(AudioBar(kBottom), From(Sprite::VuBar40Lit, 209, 5));
    EXPECT_EQ(AudioBar(123), From(Sprite::VuBar40Unlit, 208, 5));
    EXPECT_EQ(AudioBar(45), From(Sprite::VuBar40Unlit, 130, 5));
}

TEST_F(Meter40Test, PeakFallsAPixelARedrawAndLeavesTheAlarmBelowZeroDb) {
    StartRack(0, 1);
    Answer(1, 0, 0, kAudioFull);
    EXPECT_EQ(panel.PeakHold(1, PeakAudio), 79);
    // Level 32: the peak falls a row a redraw until it is within 9 rows of the level.
    for (int i = 1; i <= 45; ++i) {
        Answer(1, 0, 0, kAudio32);
        const int peak = std::max(41, 79 - i);
        ASSERT_EQ(panel.PeakHold(1, PeakAudio), peak) << i;
        const int markerBottom = kBottom - (peak - 5);
        const auto marker = peak >= 64 ? Sprite::ThresholdMarker : Sprite::PeakMarker;
        ASSERT_EQ(AudioBar(markerBottom), From(marker, SpriteAt(marker).maxy, 5)) << i;
        ASSERT_EQ(AudioBar(markerBottom - 4), From(marker, SpriteAt(marker).miny, 5)) << i;
    }
    EXPECT_EQ(AudioBar(kBottom - 32), From(Sprite::VuBar40Lit, BarRow(kBottom - 32), 5));
    EXPECT_EQ(AudioBar(kBottom - 33).sprite, SpriteCode(Sprite::VuBar40Unlit));
}

TEST_F(Meter40Test, LowGaugeBlinksAndANormalOneShowsItsFillInsideTheFrame) {
    StartRack(0, 1);
    rack.VoltageKnown[1] = true;
    rack.MeterData[1][Voltage] = 107;
    for (int i = 0; i < 4; ++i) { // three redraws dark, then the low frame
        Answer(1, 0, 0, 0);
    }
    // Inside the gauge frame (columns 79..94, rows 94..135).
    EXPECT_EQ(At(81, 110).sprite, SpriteCode(Sprite::GaugeFrame40Low));

    // Raw 108: height 5, a fill of six rows rising from gauge row 38 (cell row 132).
    rack.MeterData[1][Voltage] = 108;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(85, 132), From(Sprite::GaugeFill40, 161, 4));
    EXPECT_EQ(At(85, 127), From(Sprite::GaugeFill40, 156, 4));
    EXPECT_EQ(At(85, 126), From(Sprite::GaugeFrame40Normal, 162, 6));
    // A full battery: 32 rows, still inside the frame.
    rack.MeterData[1][Voltage] = 212;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(85, 101), From(Sprite::GaugeFill40, 130, 4));
    EXPECT_EQ(At(85, 100), From(Sprite::GaugeFrame40Normal, 136, 6));
}

TEST_F(Meter40Test, LampsAndTheUserMuteIcon) {
    StartRack(0, 1);
    rack.LastAntenna = 1;
    rack.UserMute[1] = true;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(76, 38), From(Sprite::LampLit, 39, 0));
    EXPECT_EQ(At(82, 61).sprite, SpriteCode(Sprite::LampIdle));
    EXPECT_EQ(At(77, 72), From(Sprite::UserMuteIcon40, 130, 0));
    EXPECT_EQ(At(96, 91), From(Sprite::UserMuteIcon40, 149, 19));
    rack.LastAntenna = 0;
    rack.UserMute[1] = false;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(82, 44).sprite, SpriteCode(Sprite::LampIdle));
    EXPECT_EQ(At(82, 61).sprite, SpriteCode(Sprite::LampLit));
    EXPECT_EQ(Colour(86, 80), Colour::Black);
}

TEST_F(Meter40Test, MutedStyleIsGreyWithMuteInRed) {
    StartRack(0, 1);
    const QRect nameRows(2, 2, 96, 16);
    const QRect frequencyRows(2, 18, 96, 14);
    rack.VoltageKnown[1] = true;
    rack.MeterData[1][Voltage] = 150;
    Answer(1, kRfFull, 0, 0);
    EXPECT_TRUE(panel.LiveDrawn(1));
    EXPECT_GT(CountColour(nameRows, Colour::Green), 40);
    EXPECT_GT(CountColour(frequencyRows, Colour::Green), 40);

    rack.LastMuted = 1;
    Answer(1, kRfFull, 0, 0);
    EXPECT_FALSE(panel.LiveDrawn(1));
    EXPECT_EQ(CountColour(QRect(0, 0, 100, 140), Colour::Green), 0);
    EXPECT_GT(CountColour(nameRows, Colour::Grey), 40);
    EXPECT_GT(CountColour(frequencyRows, Colour::Grey), 40);
    // "MUTE" sits left of the frequency, both whole and apart.
    EXPECT_EQ(CountColour(frequencyRows, Colour::Red),
              WholeTextPixels(panel.fonts().Font9, QStringLiteral("MUTE"), Colour::Red));
    EXPECT_EQ(CountColour(frequencyRows, Colour::Grey),
              WholeTextPixels(panel.fonts().Font9, QStringLiteral("606.600"), Colour::Grey));
    EXPECT_EQ(CountColour(QRect(35, 2, 65, 30), Colour::Red), 0);
    EXPECT_EQ(BarA(kBottom).sprite, SpriteCode(Sprite::RfBar40LitMuted));
    EXPECT_EQ(BarB(80).sprite, SpriteCode(Sprite::RfBar40UnlitMuted));
    EXPECT_EQ(AudioBar(80).sprite, SpriteCode(Sprite::VuBar40UnlitMuted));
    EXPECT_EQ(At(82, 44).sprite, SpriteCode(Sprite::LampOff));
    EXPECT_EQ(At(82, 61).sprite, SpriteCode(Sprite::LampOff));
    EXPECT_EQ(Colour(85, 120), Colour::Black); // no gauge while muted

    rack.LastMuted = 0;
    Answer(1, 0, 0, 0);
    EXPECT_TRUE(panel.LiveDrawn(1));
    EXPECT_EQ(CountColour(QRect(0, 0, 100, 140), Colour::Red), 0);
}

// Which cells of a smaller rack are dark grey: CellBackgroundTest.
TEST_F(Meter40Test, AnAnswerRateBlankingLeavesEveryCellItsBareBackground) {
    StartRack(0, 30);
    Answer(30, kRfFull, kRfFull, kAudioFull);
    panel.PrepareCells40();
    EXPECT_EQ(At(507, 420 + kBottom), From(Sprite::Cell40Background, 254, 7));
    EXPECT_EQ(CountColour(QRect(600, 420, 200, 140), Colour::DarkGrey), 200 * 140);
}

TEST_F(Meter40Test, EveryPrintableCharacterStaysWholeInsideTheTextBox) {
    StartRack(0, 1);
    const QRect box(2, 2, 96, 30);
    for (char16_t c = 0x20; c <= 0x7E; ++c) {
        // Six of it as the name and seven as the frequency: the widest texts of that glyph.
        rack.CurData[1].Name = QString(6, QChar(c));
        rack.CurData[1].Frequency = QString(7, QChar(c));
        Answer(1, 0, 0, 0);
        const int whole =
            WholeTextPixels(panel.fonts().FontName40, rack.CurData[1].Name, Colour::Green) +
            WholeTextPixels(panel.fonts().Font9, rack.CurData[1].Frequency, Colour::Green);
        EXPECT_EQ(CountColour(box, Colour::Green), whole) << "character " << int(c);
    }
}

} // namespace
} // namespace k7::test
