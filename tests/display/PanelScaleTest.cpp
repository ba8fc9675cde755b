// How the panel is fitted to a window of any size and screen, and how a pointer position and a
// changed rectangle of the panel map between the two; and how changes between two repaints
// are gathered into a few rectangles.
#include "display/PanelScale.h"
#include "display/ChangedArea.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

const QSize kPanel{800, 700};

TEST(PanelScaleTest, FitsWithTheAspectKeptAndTakesAWholeFactorWhenItFillsNearlyAsMuch) {
    struct Case {
        QSize widget;
        double ratio;
        double factor;
        bool whole;
        QRectF target;
    };
    for (const Case& c : {
             Case{{800, 700}, 1.0, 1.0, true, {0, 0, 800, 700}},
             Case{{1700, 1400}, 1.0, 2.0, true, {50, 0, 1600, 1400}},
             Case{{1200, 1110}, 1.0, 1.5, false, {0, 30, 1200, 1050}},
             // 3.1 would fit; 3 fills 97 % of it and keeps the bars crisp.
             Case{{2500, 2170}, 1.0, 3.0, true, {50, 35, 2400, 2100}},
             Case{{400, 350}, 1.0, 0.5, false, {0, 0, 400, 350}},
             // A HiDPI screen: the factor counts device pixels, the target logical ones.
             Case{{800, 700}, 2.0, 2.0, true, {0, 0, 800, 700}},
             Case{{850, 700}, 2.0, 2.0, true, {25, 0, 800, 700}},
             Case{{800, 700}, 1.5, 1.5, false, {0, 0, 800, 700}},
         }) {
        const PanelScale scale(kPanel, c.widget, c.ratio);
        EXPECT_DOUBLE_EQ(scale.factor(), c.factor) << c.widget.width() << " " << c.ratio;
        EXPECT_EQ(scale.whole(), c.whole) << c.widget.width();
        EXPECT_EQ(scale.target(), c.target) << c.widget.width();
    }
    EXPECT_TRUE(PanelScale(kPanel, QSize(0, 700), 1.0).empty());
    EXPECT_FALSE(PanelScale(kPanel, QSize(0, 700), 1.0).toPanel({10, 10}));
}

TEST(PanelScaleTest, ThePointerFindsThePanelPixelItsDevicePixelShows) {
    // 2x on a HiDPI screen of ratio 2: one logical pixel is one panel pixel, in halves.
    const PanelScale hidpi(kPanel, QSize(800, 700), 2.0);
    EXPECT_EQ(hidpi.toPanel({199.5, 349.5}), QPoint(199, 349));
    EXPECT_EQ(hidpi.toPanel({200.0, 350.0}), QPoint(200, 350));
    // 1.5 on a screen of ratio 1.5: device pixel 299 shows panel pixel 199, 300 shows 200.
    const PanelScale fractional(kPanel, QSize(800, 700), 1.5);
    EXPECT_EQ(fractional.toPanel({299 / 1.5, 0}), QPoint(199, 0));
    EXPECT_EQ(fractional.toPanel({300 / 1.5, 0}), QPoint(200, 0));
    EXPECT_FALSE(fractional.toPanel({-1, 0}));
}

TEST(PanelScaleTest, AChangedRectangleCoversWhatShowsIt) {
    EXPECT_EQ(PanelScale(kPanel, QSize(1700, 1400), 1.0).toWidget({10, 20, 5, 6}),
              QRect(70, 40, 10, 12));
    EXPECT_EQ(PanelScale(kPanel, QSize(800, 700), 2.0).toWidget({10, 20, 5, 6}),
              QRect(10, 20, 5, 6));
    // Smooth: the neighbours blended into the rectangle's edge pixels are covered too.
    const QRect smooth = PanelScale(kPanel, QSize(1200, 1050), 1.0).toWidget({10, 20, 5, 6});
    EXPECT_TRUE(smooth.contains(QRect(15, 30, 8, 9)));
    EXPECT_LE(smooth.width(), 12);
    EXPECT_TRUE(PanelScale(kPanel, QSize(800, 700), 1.0).toWidget({}).isEmpty());
}

TEST(ChangedAreaTest, ManyChangesComeBackAsAFewTileRectangles) {
    ChangedArea area;
    area.reset(kPanel);
    EXPECT_TRUE(area.empty());
    EXPECT_TRUE(area.take().empty());
    // A bar redrawn a hundred times, a text box, a change beyond the panel's edge.
    for (int i = 0; i < 100; ++i) {
        area.mark(QRect(37, 100 + i % 20, 20, 30));
    }
    area.mark(QRect(5, 300, 186, 37));
    area.mark(QRect(790, 690, 50, 50));
    area.mark(QRect(900, 10, 5, 5)); // outside: nothing
    EXPECT_FALSE(area.empty());
    const std::vector<QRect> rects = area.take();
    // Tiles of 16: the bar is columns 32..63 of rows 96..159, the box 0..191 of rows 288..351.
    EXPECT_EQ(rects, (std::vector<QRect>{{32, 96, 32, 64}, {0, 288, 192, 64}, {784, 688, 16, 12}}));
    EXPECT_TRUE(area.empty());
    EXPECT_TRUE(area.take().empty());

    // The whole panel in one rectangle.
    area.mark(QRect(0, 0, 800, 700));
    EXPECT_EQ(area.take(), std::vector<QRect>{QRect(0, 0, 800, 700)});

    // Bands within a cell come back as the one rectangle bounding them, after the tiles, a cell
    // at a time in the order first changed.
    area.markWithin(7, QRect(215, 120, 10, 3));
    area.markWithin(3, QRect(10, 10, 5, 5));
    area.markWithin(7, QRect(260, 90, 13, 40));
    area.markWithin(7, QRect(230, 400, 5, 5));
    area.markWithin(ChangedArea::kAreas, QRect(500, 500, 4, 4)); // no such cell: a tile
    EXPECT_EQ(area.take(),
              (std::vector<QRect>{{496, 496, 16, 16}, {215, 90, 58, 315}, {10, 10, 5, 5}}));
    EXPECT_TRUE(area.take().empty());
}

} // namespace
} // namespace k7::test
