// What changed in the panel since it was last shown, kept as a grid of small tiles: marking a
// rectangle costs a few bit operations however many come in between two repaints, and the
// rectangles handed back are few (runs of tiles, merged down the rows), so that a repaint
// touches a little more than what changed and is made of a few plain copies. Changes that lie
// within a known area (a receiver's cell) are kept as the one rectangle bounding them instead:
// the scattered bands of a redrawn cell come back as a single copy.
#pragma once

#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>
#include <vector>

namespace k7 {

class ChangedArea {
public:
    static constexpr int kTile = 16; // pixels a side, at least; wider on panels over 1024 pixels

    // An area over a panel of this size, nothing changed.
    void reset(QSize panel);
    QSize panel() const { return panel_; }
    // Areas that markWithin tells apart: 1 to kAreas - 1.
    static constexpr int kAreas = 41;

    // Notes a changed rectangle (clipped to the panel).
    void mark(const QRect& rect);
    // Notes a changed rectangle that lies within the given area (clipped to the panel); an area
    // out of range is noted as by mark.
    void markWithin(int area, const QRect& rect);
    bool empty() const { return empty_; }
    // The changed tiles as rectangles in panel pixels, clipped to the panel, and clears the area.
    std::vector<QRect> take();

private:
    QSize panel_;
    int tileWidth_ = kTile;
    std::vector<std::uint64_t> rows_;    // one bit a tile column
    std::array<QRect, kAreas> bounds_{}; // what changed within each area
    std::vector<int> areas_;             // the areas with changes, in the order first marked
    bool empty_ = true;
};

} // namespace k7
