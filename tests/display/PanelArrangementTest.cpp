// The wide arrangement: the grid chosen for each rack size and window shape, and a wide panel
// whose cells are pixel for pixel those of the native panel for the same answers, wherever the
// grid puts them, through a change of grid and back, its spare cells dark grey.
#include "display/PanelArrangement.h"
#include "DisplayFixture.h"

#include <random>

namespace k7::test {
namespace {

TEST(WideGrid, TheGridOfTheLargestScaleFewerRowsOnATie) {
    const QSizeF aspect4to3(1440, 1080), aspect16to9(1920, 1080), aspect21to9(2520, 1080);
    // 8 receivers: 200 x 350 cells; 16: 200 x 175; 24: 133 x 175; 40: 100 x 140. The last case:
    // four by four and four by five both fit the width of 800 x 1000.
    const std::tuple<int, QSizeF, PanelGrid> cases[] = {
        {8, aspect4to3, {4, 2}},        {8, aspect16to9, {4, 2}},   {8, aspect21to9, {8, 1}},
        {16, aspect4to3, {4, 4}},       {16, aspect16to9, {6, 3}},  {16, aspect21to9, {6, 3}},
        {24, aspect4to3, {6, 4}},       {24, aspect16to9, {8, 3}},  {24, aspect21to9, {8, 3}},
        {40, aspect4to3, {8, 5}},       {40, aspect16to9, {10, 4}}, {40, aspect21to9, {10, 4}},
        {16, QSizeF(800, 1000), {4, 4}}};
    for (const auto& [cells, window, expected] : cases) {
        const QSize cell = LayoutProfileFor(cells).cell;
        const PanelGrid chosen = WideGrid(cells, cell, window);
        EXPECT_EQ(chosen, expected)
            << cells << " in " << window.width() << " x " << window.height();
        // No grid that holds the cells fits larger, nor as large with fewer rows.
        for (int columns = 1; columns <= cells; ++columns) {
            for (int rows = (cells + columns - 1) / columns; rows <= cells; ++rows) {
                const double fit = GridFit({columns, rows}, cell, window);
                EXPECT_TRUE(fit < GridFit(chosen, cell, window) ||
                            (fit == GridFit(chosen, cell, window) && rows >= chosen.rows))
                    << cells << ": " << columns << " x " << rows;
            }
        }
    }
    EXPECT_TRUE(WideGrid(40, {100, 140}, QSizeF()).empty());
}

// A rack one short of full, so that some grids have a cell to spare.
class WidePanelTest : public DisplayTest, public ::testing::WithParamInterface<LayoutCase> {
protected:
    void AnswerAll(int count, std::mt19937& random) {
        const auto any = [&random](int high) {
            return static_cast<std::uint8_t>(std::uniform_int_distribution<int>(0, high)(random));
        };
        for (int slot = 1; slot <= count; ++slot) {
            SetLevels(slot, any(255), any(255), any(255));
            rack.UserMute[slot] = any(5) == 0;
            rack.VoltageKnown[slot] = true;
            rack.MeterData[slot][Voltage] = static_cast<std::uint8_t>(100 + any(60));
            rack.LastMuted = any(6) == 0 ? 1 : 0;
            rack.LastAntenna = any(1);
            DisplayInLayout(panel, GetParam().layout, slot, slot);
            DisplayInLayout(wide, GetParam().layout, slot, slot);
        }
    }
    void ExpectNativeCells(int count, const char* when) {
        const PanelGrid grid = wide.grid();
        const QSize cell = LayoutProfileOf(GetParam().layout).cell;
        for (int k = 1; k <= grid.columns * grid.rows; ++k) {
            const QImage shown = wide.PanelBuf().copy(grid.cellRect(cell, k));
            if (k <= count) {
                ASSERT_EQ(shown, panel.PanelBuf().copy(panel.CellRect(k))) << when << ", " << k;
            } else {
                QImage grey(cell, QImage::Format_RGB32);
                grey.fill(Colour::DarkGrey);
                ASSERT_EQ(shown, grey) << when << ", spare cell " << k;
            }
        }
    }
    MeterPanel wide{rack, devices, prompter};
};

TEST_P(WidePanelTest, EveryCellIsTheNativeCellWhereverTheGridPutsIt) {
    const int count = GetParam().count - 1;
    const QSize cell = LayoutProfileOf(GetParam().layout).cell;
    StartRack(GetParam().layout, count);
    wide.BuildScaling();
    wide.Arrange(PanelArrangement::Wide, QSize(2520, 1080));
    ASSERT_TRUE(wide.InitGraphics(assets.path(), QSize(800, 700)));
    PrepareLayout(wide, GetParam().layout);
    const PanelGrid grid = WideGrid(count, cell, QSizeF(2520, 1080));
    ASSERT_EQ(wide.grid(), grid);
    EXPECT_EQ(wide.ArrangedSize(), grid.size(cell));
    EXPECT_EQ(wide.CellRect(count), grid.cellRect(cell, count));

    std::mt19937 random(0x77 + static_cast<unsigned>(count));
    panel.SetCellFrame(2, CellFrame{Qt::magenta, true});
    wide.SetCellFrame(2, CellFrame{Qt::magenta, true});
    for (int round = 0; round < 4; ++round) {
        AnswerAll(count, random);
    }
    ExpectNativeCells(count, "wide");
    EXPECT_EQ(wide.SlotAt(wide.CellRect(count).center()), count);
    EXPECT_EQ(wide.SlotAt({grid.columns * cell.width(), 0}), 0);

    // A tall window: another grid, the cells drawn so far moved there and drawn on.
    wide.Arrange(PanelArrangement::Wide, QSize(800, 2000));
    EXPECT_NE(wide.grid(), grid);
    ExpectNativeCells(count, "moved");
    AnswerAll(count, random);
    ExpectNativeCells(count, "moved and drawn on");

    // Back to the native arrangement: the very panel the native one is.
    wide.Arrange(PanelArrangement::Native, QSize(800, 2000));
    EXPECT_TRUE(wide.ArrangedSize().isEmpty());
    AnswerAll(count, random);
    EXPECT_EQ(wide.PanelBuf(), panel.PanelBuf());
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, WidePanelTest, kEveryLayout, LayoutCaseName);

} // namespace
} // namespace k7::test
