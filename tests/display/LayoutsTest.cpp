// The layouts' profiles: the grid of cells each places in reading order, the hit tests at their
// boundaries, which profile a rack layout number picks, and the cells' elements where the
// renderer draws them.
#include "display/Layouts.h"
#include "DisplayFixture.h"
#include "rack/LayoutProfiles.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(Layouts, EachProfileFillsItsGridInReadingOrderAndItsHitTestFindsEveryCell) {
    for (const LayoutProfile& layout : kLayoutProfiles) {
        SCOPED_TRACE(layout.slotCount);
        EXPECT_EQ(layout.columns * layout.rows, layout.slotCount);
        EXPECT_LE(layout.columns * layout.cell.width(), 800);
        EXPECT_EQ(layout.rows * layout.cell.height(), 700);
        EXPECT_EQ(&LayoutProfileOf(layout.rackLayout), &layout);
        EXPECT_EQ(&LayoutProfileOf(layout.id), &layout);
        for (int slot = 1; slot <= layout.slotCount; ++slot) {
            const QRect cell = layout.CellRect(slot);
            EXPECT_EQ(cell.size(), layout.cell);
            EXPECT_EQ(cell.left(), (slot - 1) % layout.columns * layout.cell.width()) << slot;
            EXPECT_EQ(cell.top(), (slot - 1) / layout.columns * layout.cell.height()) << slot;
            const QPointF centre = QRectF(cell).center();
            EXPECT_EQ(layout.findRx(static_cast<float>(centre.x()), static_cast<float>(centre.y())),
                      slot);
        }
    }
}

TEST(Layouts, ARackLayoutNumberPicksItsProfileAndARackSizeTheSmallestThatHoldsIt) {
    EXPECT_EQ(LayoutProfileOf(4).slotCount, 40); // any other number: the forty-slot layout
    for (const auto& [receivers, holds] :
         {std::pair{1, 8}, {8, 8}, {9, 16}, {16, 16}, {17, 24}, {24, 24}, {25, 40}, {40, 40}}) {
        EXPECT_EQ(LayoutProfileFor(receivers).slotCount, holds) << receivers;
    }
}

TEST(Layouts, HitTestsGiveBoundariesToTheHigherCell) {
    EXPECT_EQ(FindMedRx(199, 349), 1);
    EXPECT_EQ(FindMedRx(200, 350), 6);
    EXPECT_EQ(FindMedRx(799, 699), 8);
    EXPECT_EQ(Find16Rx(199, 174), 1);
    EXPECT_EQ(Find16Rx(200, 175), 6);
    EXPECT_EQ(Find16Rx(600, 525), 16);
    EXPECT_EQ(Find16Rx(0, 349), 5);
    EXPECT_EQ(Find24Rx(133, 0), 1);
    EXPECT_EQ(Find24Rx(134, 0), 2);
    EXPECT_EQ(Find24Rx(666, 524), 17);
    EXPECT_EQ(Find24Rx(700, 600), 24);
    EXPECT_EQ(Find40Rx(99, 139), 1);
    EXPECT_EQ(Find40Rx(100, 140), 10);
    EXPECT_EQ(Find40Rx(750, 650), 40);
}

using LayoutCellTest = test::DisplayTest;

// The elements of a slot's cell land at the cell's corner plus their place in the cell: slot 7
// of the 24-slot layout is row 1, column 0; slot 16 of the 16-slot layout row 3, column 3.
TEST_F(LayoutCellTest, ACellsElementsLieAtItsCornerPlusTheirPlaceInIt) {
    StartRack(3, 24);
    EXPECT_EQ(panel.CellRect(7).topLeft(), QPoint(0, 175));
    EXPECT_EQ(panel.CellRect(24).topLeft(), QPoint(5 * 133, 3 * 175));
    EXPECT_EQ(kCell24Positions.rfA + panel.CellRect(7).topLeft(), QPoint(7, 337));
    rack.UserMute[7] = true;
    panel.Display24VU(7, 0);
    // The user-mute icon's lower-left pixel lands on (95, 271) (the two icons share their atlas
    // area, so either code may mark it); the background stays left of it.
    const int icon = At(95, 271).sprite;
    EXPECT_TRUE(icon == test::SpriteCode(Sprite::UserMuteIcon) ||
                icon == test::SpriteCode(Sprite::UserMuteIconSmall))
        << icon;
    EXPECT_EQ(At(94, 271).sprite, test::SpriteCode(Sprite::Cell24Background));

    panel.CloseGraphics();
    StartRack(2, 16);
    EXPECT_EQ(kCell16Positions.lampA + panel.CellRect(16).topLeft(), QPoint(689, 575));
    rack.LastAntenna = 1;
    panel.Display16VU(16, 0);
    EXPECT_EQ(At(689, 575).sprite, test::SpriteCode(Sprite::LampLit));
    EXPECT_EQ(At(689, 615).sprite, test::SpriteCode(Sprite::LampIdle));
}

} // namespace
} // namespace k7
