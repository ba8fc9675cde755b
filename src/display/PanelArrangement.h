// How the rack's cells are arranged on the meter panel: in the layout's own grid ("native"), or
// in the grid of columns and rows that shows the same cells largest in the window ("wide"), so
// that a wide screen is filled instead of framed by black margins.
#pragma once

#include <QRect>
#include <QSize>
#include <QSizeF>
#include <QString>

#include <optional>

namespace k7 {

enum class PanelArrangement { Native, Wide };

// "native" or "wide": the names on the command line and in the settings.
QString ArrangementName(PanelArrangement arrangement);
std::optional<PanelArrangement> ParseArrangement(const QString& name);

// Columns and rows of cells, filled in reading order.
struct PanelGrid {
    int columns = 0;
    int rows = 0;
    bool empty() const { return columns <= 0 || rows <= 0; }
    QSize size(QSize cell) const { return {columns * cell.width(), rows * cell.height()}; }
    // The cell 1.. in reading order.
    QRect cellRect(QSize cell, int index) const {
        return {(index - 1) % columns * cell.width(), (index - 1) / columns * cell.height(),
                cell.width(), cell.height()};
    }
    bool operator==(const PanelGrid&) const = default;
};

// The factor a panel of this grid takes to fit the window with its aspect kept.
double GridFit(PanelGrid grid, QSize cell, QSizeF window);

// The grid that holds `cells` cells and fits the window at the largest factor; of grids that fit
// at the same factor, the one with fewer rows. Each row count is tried with the fewest columns
// that hold the cells. Empty for no cell or an empty window.
PanelGrid WideGrid(int cells, QSize cell, QSizeF window);

} // namespace k7
