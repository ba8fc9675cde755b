// The per-answer redraw: bar heights, peak hold and its fall, the markers, the gauge and its
// blinking, the lamps, the live and muted styles, and where each layout puts its elements.
#include "DisplayFixture.h"

#include <vector>

namespace k7::test {
namespace {

// Raw bytes whose heights on the 255-pixel scale are known exactly.
constexpr std::uint8_t kRfFull = 175;   // RF 255
constexpr std::uint8_t kAudio200 = 107; // audio 200
constexpr std::uint8_t kAudio51 = 17;   // audio 51
constexpr std::uint8_t kAudio204 = 112; // audio 204 (102 on the 127-pixel scale)
constexpr std::uint8_t kAudio205 = 113; // audio 205
constexpr int kBarBottom = 320;         // last row of an 8-slot bar, cell 1

class MeterRenderTest : public DisplayTest {
protected:
    void Answer(int slot, std::uint8_t rfA, std::uint8_t rfB, std::uint8_t audio) {
        SetLevels(slot, rfA, rfB, audio);
        panel.Display8VU(slot, slot);
    }
    // Where the RF A bar of cell 1 took the pixel of row y from (middle column).
    AtlasOrigin RfABar(int y) const { return At(25, y); }
    AtlasOrigin AudioBar(int y) const { return At(115, y); }
    // The row the peak marker's bottom lands on for a peak height, in cell 1.
    static int MarkerBottom(int peak) { return kBarBottom - std::max(0, peak - 5); }
};

TEST_F(MeterRenderTest, BarRisesFromTheBottomByItsHeight) {
    StartRack(1, 1);
    Answer(1, kRfFull, 0, 0);
    // Full scale: every row lit from the bottom of the lit sprite upwards, except where the
    // peak marker (rows 66..70) and the threshold marker of mute level 1 (rows 295..299) sit.
    for (int y = 71; y <= kBarBottom; ++y) {
        if (y >= 295 && y <= 299) {
            EXPECT_EQ(RfABar(y).sprite, SpriteCode(Sprite::ThresholdMarker)) << y;
        } else {
            EXPECT_EQ(RfABar(y), From(Sprite::RfBarLit, 515 - (320 - y), 10)) << y;
        }
    }
    EXPECT_EQ(RfABar(66), From(Sprite::PeakMarker, 7, 10));
    EXPECT_EQ(RfABar(70), From(Sprite::PeakMarker, 11, 10));

    // Level 0 under a held peak: one lit row at the bottom, unlit above it.
    Answer(1, 0, 0, 0);
    EXPECT_EQ(RfABar(320), From(Sprite::RfBarLit, 515, 10));
    EXPECT_EQ(RfABar(319), From(Sprite::RfBarUnlit, 514, 10));
    // RF B never rose: its peak marker sits on rows 316..320.
    EXPECT_EQ(At(76, 316), From(Sprite::PeakMarker, 7, 10));
    EXPECT_EQ(At(76, 320), From(Sprite::PeakMarker, 11, 10));
    // The audio bar at level 0 as well, with the peak marker over its lit row.
    EXPECT_EQ(AudioBar(315), From(Sprite::VuBarUnlit, 250, 10));
    EXPECT_EQ(AudioBar(316).sprite, SpriteCode(Sprite::PeakMarker));
}

// The peak rises with the level, falls a pixel a redraw to nine above it, never below ten.
TEST_F(MeterRenderTest, PeakMarkerFollowsTheHeldPeak) {
    StartRack(1, 1);
    Answer(1, 0, 0, kAudio200);
    EXPECT_EQ(panel.PeakHold(1, PeakAudio), 200);
    EXPECT_EQ(AudioBar(MarkerBottom(200)), From(Sprite::PeakMarker, 11, 10));
    for (int i = 1; i <= 150; ++i) {
        Answer(1, 0, 0, kAudio51);
        ASSERT_EQ(panel.PeakHold(1, PeakAudio), std::max(60, 200 - i)) << i;
    }
    EXPECT_EQ(AudioBar(MarkerBottom(60)), From(Sprite::PeakMarker, 11, 10));
    EXPECT_EQ(AudioBar(MarkerBottom(60) - 4), From(Sprite::PeakMarker, 7, 10));
    // Level 51 lights rows up to 269; the marker rests 4 rows above that.
    EXPECT_EQ(AudioBar(kBarBottom - 51).sprite, SpriteCode(Sprite::VuBarLit));
    EXPECT_EQ(AudioBar(kBarBottom - 52).sprite, SpriteCode(Sprite::VuBarUnlit));
    EXPECT_EQ(AudioBar(MarkerBottom(60) + 1).sprite, SpriteCode(Sprite::VuBarUnlit));
    // With the level at 0 the peak stops at 10.
    for (int i = 0; i < 80; ++i) {
        Answer(1, 0, 0, 0);
    }
    EXPECT_EQ(panel.PeakHold(1, PeakAudio), 10);
    EXPECT_EQ(AudioBar(MarkerBottom(10)), From(Sprite::PeakMarker, 11, 10));
    // The RF peaks were never raised and stay at the reset height.
    EXPECT_EQ(panel.PeakHold(1, PeakRfA), 5);
    panel.ResetPeaks();
    EXPECT_EQ(panel.PeakHold(1, PeakAudio), 5);
}

TEST_F(MeterRenderTest, AudioMarkerTurnsToTheThresholdSpriteAt205) {
    StartRack(1, 2);
    Answer(1, 0, 0, kAudio205);
    Answer(2, 0, 0, kAudio204);
    EXPECT_EQ(AudioBar(MarkerBottom(205)), From(Sprite::ThresholdMarker, 4, 10));
    EXPECT_EQ(At(315, MarkerBottom(204)), From(Sprite::PeakMarker, 11, 10));
}

TEST_F(MeterRenderTest, ThresholdMarkerSitsAtTheMuteLevel) {
    StartRack(1, 3);
    rack.CurData[2].MuteLevel = QStringLiteral("10");
    rack.CurData[3].MuteLevel = QStringLiteral("garbage");
    Answer(2, 0, 0, 0);
    Answer(3, 0, 0, 0);
    // Level 10: 148 pixels up on both RF bars; none on the audio bar.
    EXPECT_EQ(At(225, kBarBottom - 148), From(Sprite::ThresholdMarker, 4, 10));
    EXPECT_EQ(At(276, kBarBottom - 148 - 4), From(Sprite::ThresholdMarker, 0, 10));
    EXPECT_EQ(At(315, kBarBottom - 148).sprite, SpriteCode(Sprite::VuBarUnlit));
    // A mute level that is no number indexes the empty row: the marker rests on the bottom.
    EXPECT_EQ(At(425, kBarBottom), From(Sprite::ThresholdMarker, 4, 10));
}

TEST_F(MeterRenderTest, LowGaugeBlinksEverySixRedrawsAndNormalShowsTheFill) {
    StartRack(1, 1);
    rack.VoltageKnown[1] = true;
    rack.MeterData[1][Voltage] = 107;
    const QPoint probe(170, 280); // inside the gauge frame of cell 1
    std::vector<int> shown;
    for (int i = 0; i < 12; ++i) {
        Answer(1, 0, 0, 0);
        shown.push_back(At(probe.x(), probe.y()).sprite);
    }
    const int low = SpriteCode(Sprite::GaugeFrameLow);
    const std::vector<int> expected{0, 0, 0, low, low, low, 0, 0, 0, low, low, low};
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(panel.BlinkCount(1), 0);

    Answer(1, 0, 0, 0); // phase 0 -> 1
    rack.MeterData[1][Voltage] = 108;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(panel.BlinkCount(1), 1); // the phase waits while the battery is fine
    // Height 10 on the 255 scale: a fill of 11 rows rising from gauge row 71 (panel 317).
    EXPECT_EQ(At(170, 317), From(Sprite::GaugeFill, 95, 3));
    EXPECT_EQ(At(170, 307), From(Sprite::GaugeFill, 85, 3));
    EXPECT_EQ(At(170, 306), From(Sprite::GaugeFrameNormal, 86, 5));
    EXPECT_EQ(At(probe.x(), probe.y()).sprite, SpriteCode(Sprite::GaugeFrameNormal));

    // Unknown voltage, or a muted answer, blanks the gauge.
    rack.VoltageKnown[1] = false;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(Colour(170, 300), Colour::Black);
}

TEST_F(MeterRenderTest, LampsShowTheAntennaInUse) {
    StartRack(1, 1);
    rack.LastAntenna = 1;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(170, 140).sprite, SpriteCode(Sprite::LampLit));
    EXPECT_EQ(At(170, 180).sprite, SpriteCode(Sprite::LampIdle));
    rack.LastAntenna = 0;
    Answer(1, 0, 0, 0);
    EXPECT_EQ(At(170, 140).sprite, SpriteCode(Sprite::LampIdle));
    EXPECT_EQ(At(170, 180).sprite, SpriteCode(Sprite::LampLit));
    // The 13 x 13 sprite fills the lower left of the 15 x 15 lamp.
    EXPECT_EQ(At(167, 133), From(Sprite::LampIdle, 59, 0));
    EXPECT_EQ(Colour(180, 132), Colour::Black);
}

TEST_F(MeterRenderTest, MutedStyleIsGreyWithMuteInRed) {
    StartRack(1, 1);
    rack.UserMute[1] = true;
    const QRect nameRows(5, 14, 191, 19);
    const QRect frequencyRows(5, 33, 191, 18);
    Answer(1, 0, 0, 0);
    EXPECT_TRUE(panel.LiveDrawn(1));
    EXPECT_GT(CountColour(nameRows, Colour::Green), 20);
    EXPECT_GT(CountColour(frequencyRows, Colour::Green), 10);
    EXPECT_EQ(CountColour(nameRows.united(frequencyRows), Colour::Red), 0);

    rack.LastMuted = 1;
    rack.VoltageKnown[1] = true;
    rack.MeterData[1][Voltage] = 150;
    Answer(1, kRfFull, 0, 0);
    EXPECT_FALSE(panel.LiveDrawn(1));
    EXPECT_EQ(CountColour(nameRows.united(frequencyRows), Colour::Green), 0);
    EXPECT_GT(CountColour(nameRows, Colour::Grey), 20);
    EXPECT_GT(CountColour(frequencyRows, Colour::Grey), 10);
    // "MUTE" is centred on column 35 of the text box: panel columns 5..66.
    EXPECT_GT(CountColour(QRect(5, 33, 62, 18), Colour::Red), 10);
    EXPECT_EQ(CountColour(QRect(67, 14, 129, 37), Colour::Red), 0);
    EXPECT_EQ(RfABar(kBarBottom).sprite, SpriteCode(Sprite::RfBarLitMuted));
    EXPECT_EQ(At(76, 200).sprite, SpriteCode(Sprite::RfBarUnlitMuted));
    EXPECT_EQ(AudioBar(200).sprite, SpriteCode(Sprite::VuBarUnlitMuted));
    EXPECT_EQ(At(170, 140).sprite, SpriteCode(Sprite::LampOff));
    EXPECT_EQ(At(170, 180).sprite, SpriteCode(Sprite::LampOff));
    EXPECT_EQ(Colour(170, 300), Colour::Black); // gauge dark while muted
    // The user-mute icon shows whatever the style.
    EXPECT_EQ(At(157, 238), From(Sprite::UserMuteIcon, 112, 0));
    rack.UserMute[1] = false;
    rack.LastMuted = 0;
    Answer(1, 0, 0, 0);
    EXPECT_TRUE(panel.LiveDrawn(1));
    EXPECT_EQ(Colour(157, 238), Colour::Black);
}

TEST_F(MeterRenderTest, OnlyTheFirstSevenCharactersOfTheFrequencyShow) {
    StartRack(1, 2);
    rack.CurData[2].Name = rack.CurData[1].Name;
    rack.CurData[1].Frequency = QStringLiteral("606.600");
    rack.CurData[2].Frequency = QStringLiteral("606.60099");
    Answer(1, 0, 0, 0);
    Answer(2, 0, 0, 0);
    const QImage& buf = panel.PanelBuf();
    EXPECT_EQ(buf.copy(5, 14, 186, 37), buf.copy(205, 14, 186, 37));
    rack.CurData[2].Frequency = QStringLiteral("606.700");
    Answer(2, 0, 0, 0);
    EXPECT_NE(buf.copy(5, 14, 186, 37), buf.copy(205, 14, 186, 37));
}

TEST_F(MeterRenderTest, AnAnswerRedrawsOnlyItsOwnCell) {
    StartRack(1, 8);
    const QImage before = panel.PanelBuf().copy();
    std::vector<QRect> pastes;
    panel.setPasteListener([&](const QRect& r) { pastes.push_back(r); });
    Answer(5, kRfFull, kRfFull, kAudio200);
    // Position 5 is the cell at (0, 350); its RF A bar spans rows 415..670.
    EXPECT_EQ(pastes.size(), 8u); // icon, gauge, text, two lamps, three bars
    const QRect cell5(0, 350, 200, 350);
    QRect touched;
    for (const QRect& r : pastes) {
        EXPECT_TRUE(cell5.contains(r)) << r.x() << "," << r.y();
        touched |= r;
    }
    EXPECT_EQ(At(25, 670).sprite, SpriteCode(Sprite::RfBarLit));
    EXPECT_EQ(At(25, 415).sprite, 0); // the top row above a 255-row sprite
    EXPECT_EQ(At(25, 416).sprite, SpriteCode(Sprite::PeakMarker));
    const QImage& after = panel.PanelBuf();
    for (int y = 0; y < 700; y += 7) {
        for (int x = 0; x < 800; x += 3) {
            if (!touched.contains(x, y)) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    }
    pastes.clear();
    panel.Display8VU(1, 0);
    panel.Display8VU(1, 9);
    panel.Display8VU(41, 1);
    EXPECT_TRUE(pastes.empty());
}

TEST_F(MeterRenderTest, OnlyWhatChangedIsAnnouncedToTheWindow) {
    StartRack(1, 8);
    rack.LastAntenna = 1;
    Answer(5, kRfFull, kRfFull, kAudio200);
    std::vector<QRect> pastes;
    panel.setPasteListener([&](const QRect& r) { pastes.push_back(r); });
    const QImage before = panel.PanelBuf().copy();
    Answer(5, kRfFull, kRfFull, kAudio200);
    EXPECT_TRUE(pastes.empty()) << "the same answer again changes no pixel";
    EXPECT_EQ(panel.PanelBuf(), before);

    // The audio level falls from 200 to 51: the rows it leaves are the one change.
    Answer(5, kRfFull, kRfFull, kAudio51);
    ASSERT_EQ(pastes.size(), 1u);
    const QRect changed = pastes.front();
    EXPECT_GE(changed.left(), 100);
    EXPECT_LE(changed.right(), 130);
    EXPECT_GE(changed.top(), 350 + 320 - 200);
    EXPECT_LE(changed.bottom(), 350 + 320 - 51 + 5);
    const QImage& after = panel.PanelBuf();
    for (int y = 350; y < 700; ++y) {
        for (int x = 0; x < 200; ++x) {
            if (!changed.contains(x, y)) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    }
}

TEST_F(MeterRenderTest, SixteenSlotCellsUseTheShortBars) {
    StartRack(2, 16);
    std::vector<QRect> pastes;
    panel.setPasteListener([&](const QRect& r) { pastes.push_back(r); });
    panel.Display16VU(17, 1);
    EXPECT_TRUE(pastes.empty());

    rack.LastAntenna = 1;
    rack.MeterData[6][AudioLevel] = kAudio204; // 102 on the 127-pixel scale
    rack.MeterData[7][AudioLevel] = static_cast<std::uint8_t>(kAudio204 - 1);
    panel.Display16VU(6, 0);
    panel.Display16VU(7, 0);
    // Slot 6: row 1, column 2; its audio bar is at (305, 337), marker bottom 127 - 97 rows up.
    EXPECT_EQ(At(315, 337 - 97), From(Sprite::ThresholdMarker, 4, 10));
    EXPECT_EQ(At(515, 337 - 96).sprite, SpriteCode(Sprite::PeakMarker));
    // RF A bar of slot 6 at (215, 337): unlit from the top rows of the RF sprite.
    EXPECT_EQ(At(225, 250), From(Sprite::RfBarUnlit, 389 - 87, 10));
    EXPECT_EQ(At(225, 210), From(Sprite::RfBarUnlit, 262, 10));
    EXPECT_EQ(At(292, 218).sprite, SpriteCode(Sprite::LampLit)); // lamp A (289, 225)
    EXPECT_EQ(At(292, 258).sprite, SpriteCode(Sprite::LampIdle));
}

TEST_F(MeterRenderTest, TwentyFourSlotCellsAreNarrowAndHaveNoLamps) {
    StartRack(3, 24);
    std::vector<QRect> pastes;
    panel.setPasteListener([&](const QRect& r) { pastes.push_back(r); });
    panel.Display24VU(25, 1);
    EXPECT_TRUE(pastes.empty());

    panel.Display24VU(7, 0);
    EXPECT_EQ(pastes.size(), 6u); // gauge, text, three bars, icon
    // Slot 7: row 1, column 1; RF A bar at (7, 337), ten columns wide.
    EXPECT_EQ(At(7, 300), From(Sprite::RfBarUnlit, 352, 0));
    EXPECT_EQ(At(16, 300), From(Sprite::RfBarUnlit, 352, 9));
    EXPECT_NE(At(17, 300).sprite, SpriteCode(Sprite::RfBarUnlit));
    // The live RF A peak marker sits one row lower than the 16-slot one: rows 334..337.
    EXPECT_EQ(At(10, 334), From(Sprite::PeakMarker, 7, 3));
    // Audio bar at (55, 337), thirteen columns.
    EXPECT_EQ(At(67, 300).sprite, SpriteCode(Sprite::VuBarUnlit));
    EXPECT_NE(At(68, 300).sprite, SpriteCode(Sprite::VuBarUnlit));
    EXPECT_GT(CountColour(QRect(5, 175 + 6, 108, 26), Colour::Green), 10);
}

} // namespace
} // namespace k7::test
