// The rows of a bar that a change of its state can touch.
#include "display/BarRows.h"

#include <gtest/gtest.h>

#include <vector>

namespace k7 {
namespace {

std::vector<RowSpan> Spans(const RowSpans& rows) {
    return {rows.begin(), rows.end()};
}

TEST(BarRowsTest, OnlyTheRowsBetweenHeightsAndUnderMovedMarkersChange) {
    const BarState before{40, 100, 3, false, 60, 2};
    EXPECT_TRUE(Spans(ChangedBarRows(before, before, 127)).empty()) << "nothing changed";

    BarState after = before;
    after.height = 45; // rows 82..86 are lit now (lit from 127 - height)
    EXPECT_EQ(Spans(ChangedBarRows(before, after, 127)), (std::vector<RowSpan>{{82, 86}}));
    EXPECT_EQ(Spans(ChangedBarRows(after, before, 127)), (std::vector<RowSpan>{{82, 86}}));

    after = before;
    after.peakRow = 99; // the marker falls a row: its old and new rows, merged
    EXPECT_EQ(Spans(ChangedBarRows(before, after, 127)), (std::vector<RowSpan>{{97, 100}}));
    after.alarm = true; // another sprite in the same place
    after.peakRow = 100;
    EXPECT_EQ(Spans(ChangedBarRows(before, after, 127)), (std::vector<RowSpan>{{98, 100}}));

    // Everything at once: bands in order, apart where they do not touch.
    after = {20, 10, 3, false, 61, 2};
    EXPECT_EQ(Spans(ChangedBarRows(before, after, 127)),
              (std::vector<RowSpan>{{8, 10}, {59, 61}, {87, 106}}));
}

TEST(BarRowsTest, RowsOutsideTheBarAreLeftOut) {
    // A marker hanging below the last row, a threshold marker above the first.
    const BarState before{0, 128, 3, false, 0, 2};
    const BarState after{0, 130, 3, false, 1, 2};
    EXPECT_EQ(Spans(ChangedBarRows(before, after, 127)),
              (std::vector<RowSpan>{{0, 1}, {126, 127}}));
    // A bar without a threshold marker never names its rows.
    const BarState plain{5, 50, 3, false, 0, 0};
    BarState moved = plain;
    moved.thresholdRow = 40;
    EXPECT_TRUE(Spans(ChangedBarRows(plain, moved, 127)).empty());
}

} // namespace
} // namespace k7
