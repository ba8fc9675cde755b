// Cell positions of the three layouts and the hit tests at their boundaries.
#include "display/Layouts.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

TEST(Layouts, CellOriginsOfTheEightSlotLayout) {
    const QPoint expected[] = {{0, 0},   {200, 0},   {400, 0},   {600, 0},
                               {0, 350}, {200, 350}, {400, 350}, {600, 350}};
    for (int position = 1; position <= 8; ++position) {
        EXPECT_EQ(CellOrigin8(position), expected[position - 1]) << position;
    }
}

TEST(Layouts, SixteenAndTwentyFourSlotTablesFollowTheGrid) {
    LayoutTable t16;
    LayoutTable t24;
    BuildLayout16(t16);
    BuildLayout24(t24);
    // Slot 7 of the 24-slot layout is row 1, column 1.
    EXPECT_EQ(t24[7].rfA, QPoint(7, 337));
    EXPECT_EQ(t24[7].rfB, QPoint(21, 337));
    EXPECT_EQ(t24[7].audio, QPoint(55, 337));
    EXPECT_EQ(t24[7].gauge, QPoint(105, 346));
    EXPECT_EQ(t24[7].textBox, QPoint(5, 206));
    EXPECT_EQ(t24[7].muteIcon, QPoint(95, 271));
    EXPECT_FALSE(t24[7].hasLamps);
    EXPECT_EQ(t24[24].rfA, QPoint(5 * 133 + 7, 3 * 175 + 162));
    // Slot 16: row 3, column 4.
    EXPECT_EQ(t16[16].rfA, QPoint(615, 687));
    EXPECT_EQ(t16[16].lampA, QPoint(689, 575));
    EXPECT_EQ(t16[16].lampB, QPoint(689, 615));
    EXPECT_EQ(t16[16].muteIcon, QPoint(758, 621));
    EXPECT_TRUE(t16[16].hasLamps);
    EXPECT_EQ(t16[6].textBox, QPoint(205, 204));
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

TEST(Layouts, FindRxChoosesTheHitTestOfTheLayout) {
    EXPECT_EQ(FindRx(1, 700, 600), 8);
    EXPECT_EQ(FindRx(2, 700, 600), 16);
    EXPECT_EQ(FindRx(3, 700, 600), 24);
    EXPECT_EQ(FindRx(0, 700, 600), 40);
}

} // namespace
} // namespace k7
