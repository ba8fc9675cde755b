// Which rows of a meter bar a redraw changes. A composed bar row shows the unlit or the lit
// sprite (lit from `bottom - height` down to `bottom`), with the peak-hold marker and the
// threshold marker over it where they lie. From one state of a bar to the next only the rows
// between the two heights and the rows under the markers' old and new places can differ, so
// only those are composed and placed again.
#pragma once

#include <array>

namespace k7 {

// One state of a bar, in the rows of its composed buffer.
struct BarState {
    int height = 0;        // the lit part covers rows bottom - height .. bottom
    int peakRow = 0;       // the peak marker's lowest row
    int peakRows = 0;      // and its height
    bool alarm = false;    // the peak marker drawn with the threshold sprite
    int thresholdRow = 0;  // the threshold marker's lowest row
    int thresholdRows = 0; // and its height; 0: the bar has no threshold marker
    bool operator==(const BarState&) const = default;
};

// An inclusive band of rows.
struct RowSpan {
    int top = 0;
    int bottom = -1;
    bool operator==(const RowSpan&) const = default;
};

// At most five bands, in ascending order, neither overlapping nor touching.
struct RowSpans {
    std::array<RowSpan, 5> spans{};
    int count = 0;
    const RowSpan* begin() const { return spans.data(); }
    const RowSpan* end() const { return spans.data() + count; }
};

// The rows 0..bottom of a bar that may differ between `before` and `after`.
RowSpans ChangedBarRows(const BarState& before, const BarState& after, int bottom);

} // namespace k7
