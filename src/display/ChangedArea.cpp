#include "display/ChangedArea.h"

#include <algorithm>

namespace k7 {
namespace {

constexpr int kColumns = 64; // tile columns a row holds

} // namespace

void ChangedArea::reset(QSize panel) {
    panel_ = panel.isValid() ? panel : QSize();
    tileWidth_ = std::max(kTile, (panel_.width() + kColumns - 1) / kColumns);
    rows_.assign(static_cast<std::size_t>((panel_.height() + kTile - 1) / kTile), 0);
    bounds_.fill(QRect());
    areas_.clear();
    empty_ = true;
}

void ChangedArea::markWithin(int area, const QRect& rect) {
    if (area <= 0 || area >= kAreas) {
        mark(rect);
        return;
    }
    const QRect inside = rect.intersected(QRect(QPoint(0, 0), panel_));
    if (inside.isEmpty()) {
        return;
    }
    QRect& bound = bounds_[static_cast<std::size_t>(area)];
    if (bound.isEmpty()) {
        areas_.push_back(area);
        bound = inside;
    } else {
        bound = bound.united(inside);
    }
    empty_ = false;
}

void ChangedArea::mark(const QRect& rect) {
    const QRect inside = rect.intersected(QRect(QPoint(0, 0), panel_));
    if (inside.isEmpty()) {
        return;
    }
    const int first = inside.left() / tileWidth_;
    const int last = inside.right() / tileWidth_;
    const std::uint64_t columns =
        (last - first + 1 >= kColumns ? ~std::uint64_t{0}
                                      : ((std::uint64_t{1} << (last - first + 1)) - 1))
        << first;
    for (int row = inside.top() / kTile; row <= inside.bottom() / kTile; ++row) {
        rows_[static_cast<std::size_t>(row)] |= columns;
    }
    empty_ = false;
}

std::vector<QRect> ChangedArea::take() {
    std::vector<QRect> rects;
    if (empty_) {
        return rects;
    }
    const QRect panel(QPoint(0, 0), panel_);
    // Runs of tiles row by row; a run that the row below repeats grows down instead of being
    // handed back twice.
    std::vector<QRect> open;
    for (std::size_t row = 0; row <= rows_.size(); ++row) {
        std::vector<QRect> runs;
        std::uint64_t bits = row < rows_.size() ? rows_[row] : 0;
        for (int column = 0; bits != 0 && column < kColumns;) {
            if ((bits & 1) == 0) {
                bits >>= 1;
                ++column;
                continue;
            }
            const int start = column;
            while ((bits & 1) != 0 && column < kColumns) {
                bits >>= 1;
                ++column;
            }
            runs.emplace_back(start * tileWidth_, static_cast<int>(row) * kTile,
                              (column - start) * tileWidth_, kTile);
        }
        std::vector<QRect> stillOpen;
        for (const QRect& run : open) {
            const auto below = std::find_if(runs.begin(), runs.end(), [&](const QRect& next) {
                return next.left() == run.left() && next.width() == run.width();
            });
            if (below != runs.end()) {
                stillOpen.push_back(run.adjusted(0, 0, 0, kTile));
                runs.erase(below);
            } else {
                rects.push_back(run.intersected(panel));
            }
        }
        stillOpen.insert(stillOpen.end(), runs.begin(), runs.end());
        open = std::move(stillOpen);
    }
    std::fill(rows_.begin(), rows_.end(), 0);
    for (const int area : areas_) {
        rects.push_back(bounds_[static_cast<std::size_t>(area)]);
        bounds_[static_cast<std::size_t>(area)] = QRect();
    }
    areas_.clear();
    empty_ = true;
    return rects;
}

} // namespace k7
