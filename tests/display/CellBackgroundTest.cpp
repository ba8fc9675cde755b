// Graphics set-up: the atlas check, the cell backgrounds with their scales, preparing the panel
// for a rack and clearing, showing and releasing it.
#include "DisplayFixture.h"
#include "display/AssetDir.h"

#include <vector>

namespace k7::test {
namespace {

using CellBackgroundTest = DisplayTest;

constexpr QRgb kWhite = 0xffffffff;

TEST_F(CellBackgroundTest, EightSlotCellHasItsScalesOnTheTickRows) {
    StartRack(1, 1);
    const QImage& cell = panel.CellBuf();
    EXPECT_EQ(DecodeOrigin(cell.pixel(0, 0)), From(Sprite::Cell8Background, 0, 0));
    EXPECT_EQ(DecodeOrigin(cell.pixel(199, 349)), From(Sprite::Cell8Background, 349, 199));
    // The lamp-off sprite behind each lamp.
    EXPECT_EQ(DecodeOrigin(cell.pixel(167, 133)), From(Sprite::LampOff, 66, 0));
    EXPECT_EQ(DecodeOrigin(cell.pixel(179, 185)), From(Sprite::LampOff, 78, 12));

    const std::vector<int> ticks{294, 269, 244, 218, 192, 167, 142, 116, 90, 65};
    for (int y = 65; y <= 320; ++y) {
        EXPECT_EQ(cell.pixel(37, y), kWhite) << y;
        EXPECT_EQ(cell.pixel(63, y), kWhite) << y;
        EXPECT_EQ(cell.pixel(130, y), kWhite) << y;
        const bool tick = std::find(ticks.begin(), ticks.end(), y) != ticks.end();
        // Columns 35 and 64 are touched by the RF ticks only, 125 and 134 by the audio ticks.
        EXPECT_EQ(cell.pixel(35, y) == kWhite, tick) << y;
        EXPECT_EQ(cell.pixel(64, y) == kWhite, tick) << y;
        EXPECT_EQ(cell.pixel(125, y) == kWhite, tick) << y;
        EXPECT_EQ(cell.pixel(134, y) == kWhite, tick) << y;
    }
    EXPECT_NE(cell.pixel(37, 64), kWhite);
    EXPECT_NE(cell.pixel(37, 321), kWhite);
    EXPECT_NE(cell.pixel(34, 65), kWhite);
    EXPECT_NE(cell.pixel(65, 65), kWhite);
}

TEST_F(CellBackgroundTest, SmallCellsJoinTheirHalvesAndCarryFiveTicks) {
    const std::vector<int> ticks{137, 111, 86, 60, 35};
    StartRack(2, 1);
    const QImage& cell16 = panel.CellBuf();
    // Left half from atlas columns 700.., right half from 732.. landing at column 99.
    const int shared = SpriteCode(Sprite::Cell24Background);
    EXPECT_EQ(DecodeOrigin(cell16.pixel(0, 0)), (AtlasOrigin{shared, 369, 0}));
    EXPECT_EQ(DecodeOrigin(cell16.pixel(98, 10)), (AtlasOrigin{shared, 379, 98}));
    EXPECT_EQ(DecodeOrigin(cell16.pixel(99, 10)), (AtlasOrigin{shared, 379, 32}));
    EXPECT_EQ(DecodeOrigin(cell16.pixel(199, 174)), (AtlasOrigin{shared, 543, 132}));
    for (int y : ticks) {
        EXPECT_EQ(cell16.pixel(35, y), kWhite) << y;
        EXPECT_EQ(cell16.pixel(64, y), kWhite) << y;
        EXPECT_EQ(cell16.pixel(125, y), kWhite) << y;
        EXPECT_NE(cell16.pixel(35, y + 1), kWhite) << y;
    }
    EXPECT_EQ(DecodeOrigin(cell16.pixel(89, 37)), From(Sprite::LampOff, 66, 0));

    panel.CloseGraphics();
    StartRack(3, 1);
    const QImage& cell24 = panel.CellBuf();
    EXPECT_EQ(DecodeOrigin(cell24.pixel(132, 174)), (AtlasOrigin{shared, 543, 132}));
    EXPECT_EQ(cell24.pixel(133, 100), qRgb(0, 0, 0));
    for (int y : ticks) {
        for (int x : {32, 41, 70, 79}) {
            EXPECT_EQ(cell24.pixel(x, y), kWhite) << x << "," << y;
        }
        EXPECT_NE(cell24.pixel(42, y), kWhite) << y;
        EXPECT_NE(cell24.pixel(80, y), kWhite) << y;
    }
    // No lamps in the 24-slot cell.
    EXPECT_NE(DecodeOrigin(cell24.pixel(89, 37)).sprite, SpriteCode(Sprite::LampOff));
}

TEST_F(CellBackgroundTest, OnlyTheRacksCellsGetTheirBackgroundTheRestStaysDarkGrey) {
    struct Case {
        int layout, count;
        Sprite background;
        std::vector<QRect> grey;
    };
    // 5 of 8: slots 6 to 8; 12 of 16: the last row; 7 of 24: row 2 from slot 8, and the two
    // columns right of six cells of 133; 30 of 40: the end of row 4 and row 5.
    for (const Case& c :
         {Case{1, 5, Sprite::Cell8Background, {{200, 350, 600, 350}}},
          Case{2, 12, Sprite::Cell24Background, {{0, 525, 800, 175}}},
          Case{3, 7, Sprite::Cell24Background, {{133, 175, 667, 175}, {798, 0, 2, 175}}},
          Case{4, 30, Sprite::Cell40Background, {{600, 420, 200, 140}, {0, 560, 800, 140}}}}) {
        StartRack(c.layout, c.count);
        for (int slot = 1; slot <= c.count; ++slot) {
            const QRect cell = panel.CellRect(slot);
            EXPECT_EQ(At(cell.left(), cell.top()).sprite, SpriteCode(c.background)) << slot;
            EXPECT_EQ(At(cell.right(), cell.bottom()).sprite, SpriteCode(c.background)) << slot;
        }
        for (const QRect& grey : c.grey) {
            EXPECT_EQ(CountColour(grey, Colour::DarkGrey), grey.width() * grey.height())
                << c.layout;
        }
        panel.CloseGraphics();
    }
}

TEST_F(CellBackgroundTest, MissingOrUnusableAtlasIsToldOnceAndTheStationGoesOn) {
    QFile::remove(assets.filePath(QStringLiteral("Graphics.tof")));
    devices.RackLayout = 1;
    devices.DeviceCount = 1;
    rack.CurData[1].Name = QStringLiteral("VOX_1_");
    rack.CurData[1].Frequency = QStringLiteral("606.600");
    EXPECT_FALSE(panel.InitGraphics(assets.path(), QSize(800, 700)));
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text, QStringLiteral("There is a graphics problem"));
    EXPECT_EQ(prompter.boxes[0].buttons, MsgButtons::OK);
    EXPECT_TRUE(prompter.boxes[0].title.isEmpty()); // the application's title
    // The panel still draws: scales and the name, sprites black.
    panel.PrepareCells8();
    panel.Display8VU(1, 1);
    EXPECT_EQ(Colour(37, 100), Colour::White);
    EXPECT_GT(CountColour(QRect(5, 14, 191, 37), Colour::Green), 0);

    // An atlas too small to hold every sprite is as unusable as none.
    panel.CloseGraphics();
    ASSERT_TRUE(MakeTestAtlas()
                    .copy(0, 0, 600, 544)
                    .save(assets.filePath(QStringLiteral("Graphics.tof")), "BMP"));
    EXPECT_FALSE(panel.InitGraphics(assets.path(), QSize(800, 700)));
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(CellBackgroundTest, SnapshotIsThePanelBufferOrNothing) {
    StartRack(1, 3);
    panel.Display8VU(2, 2);
    const QString file = assets.filePath(QStringLiteral("panel.png"));
    ASSERT_TRUE(panel.SaveSnapshot(file));
    EXPECT_EQ(QImage(file).convertToFormat(QImage::Format_RGB32), panel.PanelBuf());
    EXPECT_FALSE(panel.SaveSnapshot(assets.filePath(QStringLiteral("missing/panel.png"))));
    panel.CloseGraphics();
    EXPECT_FALSE(panel.SaveSnapshot(file));
}

TEST_F(CellBackgroundTest, AssetsAreFoundBesideTheProgramOrInstalled) {
    const QString bin = assets.filePath(QStringLiteral("prefix/bin"));
    const QString share = assets.filePath(QStringLiteral("prefix/share/k7station"));
    QDir().mkpath(bin);
    QDir().mkpath(share);
    EXPECT_EQ(FindAssetDir(bin), bin); // nowhere: the set-up reports it from here
    QFile::copy(assets.filePath(QStringLiteral("Graphics.tof")), share + "/Graphics.tof");
    EXPECT_EQ(FindAssetDir(bin), share);
    QFile::copy(assets.filePath(QStringLiteral("Graphics.tof")), bin + "/Graphics.tof");
    EXPECT_EQ(FindAssetDir(bin), bin);
}

TEST_F(CellBackgroundTest, ClosedGraphicsDrawNothing) {
    StartRack(1, 1);
    panel.CloseGraphics();
    EXPECT_TRUE(panel.PanelBuf().isNull());
    int pastes = 0;
    panel.setPasteListener([&](const QRect&) { ++pastes; });
    panel.PrepareCells8();
    panel.Display8VU(1, 1);
    panel.ShowPanel();
    EXPECT_EQ(pastes, 0);
    EXPECT_TRUE(panel.PanelBuf().isNull());

    // Set up but without its scaling and position tables, no cell is drawn either.
    MeterPanel unscaled(rack, devices, prompter);
    ASSERT_TRUE(unscaled.InitGraphics(assets.path(), QSize(800, 700)));
    unscaled.setPasteListener([&](const QRect&) { ++pastes; });
    unscaled.Display8VU(1, 1);
    unscaled.Display24VU(1, 1);
    EXPECT_EQ(pastes, 0);
}

} // namespace
} // namespace k7::test
