#include "display/BarRows.h"

#include <algorithm>
#include <utility>

namespace k7 {

namespace {

void add(RowSpans& rows, int top, int bottom, int last) {
    top = std::max(top, 0);
    bottom = std::min(bottom, last);
    if (top <= bottom) {
        rows.spans[static_cast<std::size_t>(rows.count++)] = {top, bottom};
    }
}

} // namespace

RowSpans ChangedBarRows(const BarState& before, const BarState& after, int bottom) {
    RowSpans rows;
    if (before.height != after.height) {
        const int high = std::max(before.height, after.height);
        const int low = std::min(before.height, after.height);
        add(rows, bottom - high, bottom - low - 1, bottom);
    }
    if (before.peakRow != after.peakRow || before.peakRows != after.peakRows ||
        before.alarm != after.alarm) {
        add(rows, before.peakRow - before.peakRows + 1, before.peakRow, bottom);
        add(rows, after.peakRow - after.peakRows + 1, after.peakRow, bottom);
    }
    if (before.thresholdRow != after.thresholdRow || before.thresholdRows != after.thresholdRows) {
        add(rows, before.thresholdRow - before.thresholdRows + 1, before.thresholdRow, bottom);
        add(rows, after.thresholdRow - after.thresholdRows + 1, after.thresholdRow, bottom);
    }
    // At most five bands: put them in order in place.
    for (int i = 1; i < rows.count; ++i) {
        for (int j = i; j > 0 && rows.spans[static_cast<std::size_t>(j)].top <
                                     rows.spans[static_cast<std::size_t>(j - 1)].top;
             --j) {
            std::swap(rows.spans[static_cast<std::size_t>(j)],
                      rows.spans[static_cast<std::size_t>(j - 1)]);
        }
    }
    int merged = 0;
    for (int i = 0; i < rows.count; ++i) {
        const RowSpan span = rows.spans[static_cast<std::size_t>(i)];
        RowSpan* previous =
            merged > 0 ? &rows.spans[static_cast<std::size_t>(merged - 1)] : nullptr;
        if (previous && span.top <= previous->bottom + 1) {
            previous->bottom = std::max(previous->bottom, span.bottom);
        } else {
            rows.spans[static_cast<std::size_t>(merged++)] = span;
        }
    }
    rows.count = merged;
    return rows;
}

} // namespace k7
