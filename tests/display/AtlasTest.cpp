// The atlas the build paints: a 24-bit bitmap large enough for every sprite, with sprites of
// different roles that the operator can tell apart.
#include "DisplayFixture.h"

namespace k7 {
namespace {

class BuiltAtlas : public ::testing::Test {
protected:
    void SetUp() override {
        const QString path = QStringLiteral(K7_ASSET_DIR "/Graphics.tof");
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        header = file.read(30);
        atlas = QImage(path, "BMP");
        ASSERT_FALSE(atlas.isNull());
    }
    QImage Cut(Sprite s) const { return atlas.copy(SpriteAt(s).rect()); }
    // The share of pixels that differ between two sprites of the same size.
    static double Difference(const QImage& a, const QImage& b) {
        const int differ = test::CountWhere(
            a.rect(), [&](int x, int y) { return a.pixel(x, y) != b.pixel(x, y); });
        return static_cast<double>(differ) / (a.width() * a.height());
    }
    // A lit audio bar: green at its bottom row, red at its top.
    static void ExpectGreenToRed(const QImage& vu, int x, int bottom) {
        EXPECT_GT(vu.pixelColor(x, bottom).green(), 150);
        EXPECT_LT(vu.pixelColor(x, bottom).red(), 100);
        EXPECT_GT(vu.pixelColor(x, 2).red(), 200);
        EXPECT_LT(vu.pixelColor(x, 2).green(), 100);
    }
    QByteArray header;
    QImage atlas;
};

TEST_F(BuiltAtlas, IsATwentyFourBitBitmapHoldingEverySprite) {
    EXPECT_TRUE(header.startsWith("BM"));
    EXPECT_EQ(static_cast<unsigned char>(header[28]), 24); // bits per pixel
    EXPECT_GE(atlas.width(), kAtlasWidth);
    EXPECT_GE(atlas.height(), kAtlasHeight);
}

TEST_F(BuiltAtlas, SpritesOfDifferentRolesLookDifferent) {
    EXPECT_GT(Difference(Cut(Sprite::LampLit), Cut(Sprite::LampIdle)), 0.3);
    EXPECT_GT(Difference(Cut(Sprite::LampIdle), Cut(Sprite::LampOff)), 0.3);
    EXPECT_GT(Difference(Cut(Sprite::PeakMarker), Cut(Sprite::ThresholdMarker)), 0.5);
    EXPECT_GT(Difference(Cut(Sprite::GaugeFrameNormal), Cut(Sprite::GaugeFrameLow)), 0.1);
    EXPECT_GT(Difference(Cut(Sprite::RfBarLit), Cut(Sprite::RfBarUnlit)), 0.5);
    EXPECT_GT(Difference(Cut(Sprite::VuBarLit), Cut(Sprite::VuBarLitMuted)), 0.5);
    EXPECT_GT(Difference(Cut(Sprite::VuBarUnlit), Cut(Sprite::VuBarUnlitMuted)), 0.3);
    // The threshold marker is red, the peak marker bright.
    const QColor threshold = Cut(Sprite::ThresholdMarker).pixelColor(10, 1);
    EXPECT_GT(threshold.red(), 200);
    EXPECT_LT(threshold.green(), 80);
    EXPECT_GT(Cut(Sprite::PeakMarker).pixelColor(10, 2).lightness(), 200);
    // The lit audio bar runs from green at the bottom to red at the top.
    ExpectGreenToRed(Cut(Sprite::VuBarLit), 10, 254);
    // The user-mute icon is a picture, not a flat patch.
    const QImage icon = Cut(Sprite::UserMuteIconSmall);
    EXPECT_NE(icon.pixel(15, 15), icon.pixel(2, 2));
}

TEST_F(BuiltAtlas, CompactSpritesOfTheFortySlotCellKeepTheLook) {
    EXPECT_GT(Difference(Cut(Sprite::RfBar40Lit), Cut(Sprite::RfBar40Unlit)), 0.5);
    EXPECT_GT(Difference(Cut(Sprite::VuBar40Lit), Cut(Sprite::VuBar40LitMuted)), 0.5);
    EXPECT_GT(Difference(Cut(Sprite::VuBar40Unlit), Cut(Sprite::VuBar40UnlitMuted)), 0.3);
    EXPECT_GT(Difference(Cut(Sprite::GaugeFrame40Normal), Cut(Sprite::GaugeFrame40Low)), 0.1);
    // Green at the bottom, red from just past "0 dB" (16 rows from the top) upwards.
    ExpectGreenToRed(Cut(Sprite::VuBar40Lit), 5, 78);
    const QImage icon = Cut(Sprite::UserMuteIcon40);
    EXPECT_NE(icon.pixel(10, 10), icon.pixel(1, 1));
    EXPECT_GT(Cut(Sprite::GaugeFill40).pixelColor(5, 31).green(), 150);
}

} // namespace
} // namespace k7
