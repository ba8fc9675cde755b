// The frames that mark a cell's alerts, in every layout: drawn into the panel buffer in the
// cell's outermost pixels, where no meter element is ever placed; taken off back to the cell's
// own border; kept when the cells are prepared again; dashed for an alert that has ended.
#include "DisplayFixture.h"

#include <vector>

namespace k7::test {
namespace {

class CellFrameTest : public DisplayTest, public ::testing::WithParamInterface<LayoutCase> {
protected:
    void DrawAll() {
        for (int slot = 1; slot <= GetParam().count; ++slot) {
            SetLevels(slot, 200, 180, 150);
            rack.MeterData[slot][Voltage] = 150;
            rack.VoltageKnown[slot] = true;
            rack.UserMute[slot] = slot % 2 == 0;
            rack.LastAntenna = static_cast<std::uint8_t>(slot % 2);
            DisplayInLayout(panel, GetParam().layout, slot, slot);
        }
    }
    // The ring of kFrameWidth pixels inside a cell's edge.
    static bool InRing(const QRect& cell, QPoint p) {
        const int f = CellFrame::kFrameWidth;
        return cell.contains(p) && !cell.adjusted(f, f, -f, -f).contains(p);
    }
    bool InAnyRing(QPoint p) const {
        for (int slot = 1; slot <= GetParam().count; ++slot) {
            if (InRing(panel.CellRect(slot), p)) {
                return true;
            }
        }
        return false;
    }
    int RingPixels(int slot, const QColor& colour) const {
        const QRect cell = panel.CellRect(slot);
        return CountWhere(cell, [&](int x, int y) {
            return InRing(cell, {x, y}) && Colour(x, y) == colour;
        });
    }
    static int RingSize(const QRect& cell) {
        const int f = CellFrame::kFrameWidth;
        return cell.width() * cell.height() - (cell.width() - 2 * f) * (cell.height() - 2 * f);
    }

    const QColor red{255, 40, 40};
    const QColor orange{255, 150, 0};
};

TEST_P(CellFrameTest, NoMeterElementIsEverPlacedInTheFrame) {
    StartRack(GetParam().layout, GetParam().count);
    std::vector<QRect> placed;
    panel.setPasteListener([&placed](const QRect& rect) { placed.push_back(rect); });
    DrawAll();
    rack.LastMuted = 1;
    DrawAll();
    ASSERT_FALSE(placed.empty());
    for (const QRect& rect : placed) {
        for (int slot = 1; slot <= GetParam().count; ++slot) {
            const QRect cell = panel.CellRect(slot);
            const QRect inner = cell.adjusted(CellFrame::kFrameWidth, CellFrame::kFrameWidth,
                                              -CellFrame::kFrameWidth, -CellFrame::kFrameWidth);
            if (rect.intersects(cell)) {
                EXPECT_TRUE(inner.contains(rect))
                    << "slot " << slot << ": an element at " << rect.x() << "," << rect.y() << " "
                    << rect.width() << "x" << rect.height();
            }
        }
    }
}

TEST_P(CellFrameTest, AFrameIsDrawnIntoTheBufferAroundTheMetersAndTakenOffAgain) {
    const int last = GetParam().count;
    StartRack(GetParam().layout, last);
    DrawAll();
    const QImage unframed = panel.PanelBuf();

    panel.SetCellFrame(1, {red, false});
    panel.SetCellFrame(last, {orange, true});
    DrawAll(); // the meters redrawn under their frames
    EXPECT_EQ(RingPixels(1, red), RingSize(panel.CellRect(1))) << "solid: the whole ring";
    const int dashes = RingPixels(last, orange);
    EXPECT_GT(dashes, RingSize(panel.CellRect(last)) / 3);
    EXPECT_LT(dashes, RingSize(panel.CellRect(last)) * 2 / 3) << "dashed: about half of it";
    const QImage framed = panel.PanelBuf();
    for (int y = 0; y < framed.height(); ++y) {
        for (int x = 0; x < framed.width(); ++x) {
            if (framed.pixel(x, y) != unframed.pixel(x, y)) {
                ASSERT_TRUE(InAnyRing({x, y})) << "the frames changed " << x << "," << y;
            }
        }
    }

    // The answer-rate check prepares the cells afresh: the frames stay.
    StartRack(GetParam().layout, last);
    EXPECT_EQ(RingPixels(1, red), RingSize(panel.CellRect(1)));

    DrawAll();
    panel.SetCellFrame(1, {});
    panel.SetCellFrame(last, {});
    EXPECT_EQ(panel.PanelBuf(), unframed) << "the cells' own borders are back";
}

INSTANTIATE_TEST_SUITE_P(EveryLayout, CellFrameTest, kEveryLayout, LayoutCaseName);

} // namespace
} // namespace k7::test
