// Test set-up for the meter display: a meter panel over the tables of the station's core, which
// the test fills, drawing from a test atlas in which every pixel tells where it came from (sprite,
// atlas row, column within the sprite), so renderer tests can check exactly which sprite rows land
// where.
#pragma once

#include "display/MeterPanel.h"
#include "display/Raster.h"
#include "display/Sprites.h"
#include "support/PanelLayouts.h"
#include "support/RackHarness.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <string>

namespace k7::test {

// Where a panel pixel came from in the test atlas.
struct AtlasOrigin {
    int sprite = 0; // Sprite index + 1; 0 for a pixel of no sprite (black)
    int row = 0;    // atlas row
    int column = 0; // column within the sprite
    bool operator==(const AtlasOrigin&) const = default;
};

// Red holds the sprite code and the atlas row's high bits, green its low byte, blue the column.
static_assert(kSpriteTable.size() < 63 && kAtlasHeight <= 1024, "the origin code must fit red");

inline QRgb EncodeOrigin(int spriteIndex, int row, int column) {
    return qRgb((spriteIndex + 1) * 4 + row / 256, row % 256, std::min(column, 255));
}

inline AtlasOrigin DecodeOrigin(QRgb pixel) {
    return {qRed(pixel) / 4, (qRed(pixel) % 4) * 256 + qGreen(pixel), qBlue(pixel)};
}

inline int SpriteCode(Sprite sprite) {
    return static_cast<int>(sprite) + 1;
}

// The origin of a pixel taken from this row and column of a sprite.
inline AtlasOrigin From(Sprite sprite, int row, int column) {
    return {SpriteCode(sprite), row, column};
}

// An atlas whose pixels encode their own origin. Sprites that share atlas area (the two user-mute
// icons, the 16- and 24-slot backgrounds) take the code of the one painted last.
inline QImage MakeTestAtlas() {
    QImage atlas(kAtlasWidth, kAtlasHeight, QImage::Format_RGB32);
    atlas.fill(Qt::black);
    for (const SpriteRect& s : kSpriteTable) {
        const int index = static_cast<int>(s.id);
        for (int y = s.miny; y <= s.maxy; ++y) {
            for (int x = s.minx; x <= s.maxx; ++x) {
                atlas.setPixel(x, y, EncodeOrigin(index, y, x - s.minx));
            }
        }
    }
    return atlas;
}

// A rack size of each layout, for the tests that run in every layout.
struct LayoutCase {
    int layout;
    int count;
};

inline const auto kEveryLayout =
    ::testing::Values(LayoutCase{1, 8}, LayoutCase{2, 16}, LayoutCase{3, 24}, LayoutCase{4, 40});

// Counts the positions of `area` for which take(x, y) holds.
template <typename Take>
int CountWhere(const QRect& area, Take take) {
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            count += take(x, y) ? 1 : 0;
        }
    }
    return count;
}

inline std::string LayoutCaseName(const ::testing::TestParamInfo<LayoutCase>& rack) {
    return "Slots" + std::to_string(rack.param.count);
}

class DisplayTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(assets.isValid());
        const QString fonts = assets.filePath(QStringLiteral("fonts"));
        QDir().mkpath(fonts);
        for (const char* name : {"LiberationSans-Regular.ttf", "LiberationSans-Bold.ttf"}) {
            QFile::copy(QStringLiteral(K7_ASSET_DIR "/fonts/") + QLatin1String(name),
                        fonts + QLatin1Char('/') + QLatin1String(name));
        }
        ASSERT_TRUE(MakeTestAtlas().save(assets.filePath(QStringLiteral("Graphics.tof")), "BMP"));
        devices.ModelVariant = ModelK75;
        panel.BuildScaling();
    }

    // Set-up for a rack of `count` receivers in `layout`, the panel prepared as metering starts.
    void StartRack(int layout, int count) {
        devices.RackLayout = layout;
        devices.DeviceCount = count;
        ASSERT_TRUE(panel.InitGraphics(assets.path(), QSize(800, 700)));
        for (int slot = 1; slot <= count; ++slot) {
            rack.CurData[slot] = {QStringLiteral("VOX_%1").arg(slot), QStringLiteral("606.600"),
                                  QStringLiteral("1"), QStringLiteral("0")};
            rack.SlotState[slot] = 2;
        }
        panel.ResetPeaks();
        PrepareLayout(panel, layout);
    }

    // The levels of a slot's next meter answer.
    void SetLevels(int slot, std::uint8_t rfA, std::uint8_t rfB, std::uint8_t audio) {
        auto& m = rack.MeterData[slot];
        m[RfA] = rfA;
        m[RfB] = rfB;
        m[AudioLevel] = audio;
    }

    AtlasOrigin At(int x, int y) const { return DecodeOrigin(panel.PanelBuf().pixel(x, y)); }
    QColor Colour(int x, int y) const { return QColor(panel.PanelBuf().pixel(x, y)); }

    // Counts the pixels of exactly this colour in a rectangle of the panel.
    int CountColour(const QRect& area, const QColor& colour) const {
        return CountWhere(
            area, [&](int x, int y) { return panel.PanelBuf().pixel(x, y) == colour.rgb(); });
    }

    QTemporaryDir assets;
    RackHarness rig; // a rack of no receivers: the tables are the test's to set
    RackTables& rack = rig.rack;
    RackSettings& settings = rig.core.settings();
    DeviceTables& devices = rig.devices;
    ScriptedPrompter& prompter = rig.prompter;
    MeterPanel panel{rack, devices, prompter};
};

} // namespace k7::test
