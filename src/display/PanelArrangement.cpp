#include "display/PanelArrangement.h"

#include <algorithm>

namespace k7 {

QString ArrangementName(PanelArrangement arrangement) {
    return arrangement == PanelArrangement::Wide ? QStringLiteral("wide")
                                                 : QStringLiteral("native");
}

std::optional<PanelArrangement> ParseArrangement(const QString& name) {
    for (const PanelArrangement arrangement : {PanelArrangement::Native, PanelArrangement::Wide}) {
        if (name == ArrangementName(arrangement)) {
            return arrangement;
        }
    }
    return std::nullopt;
}

double GridFit(PanelGrid grid, QSize cell, QSizeF window) {
    const QSize panel = grid.size(cell);
    if (panel.isEmpty() || window.isEmpty()) {
        return 0.0;
    }
    return std::min(window.width() / panel.width(), window.height() / panel.height());
}

PanelGrid WideGrid(int cells, QSize cell, QSizeF window) {
    PanelGrid best;
    double bestFit = 0.0;
    for (int rows = 1; rows <= cells; ++rows) {
        const PanelGrid grid{(cells + rows - 1) / rows, rows};
        // Strictly larger: a tie keeps the grid of fewer rows found first.
        if (const double fit = GridFit(grid, cell, window); fit > bestFit) {
            best = grid;
            bestFit = fit;
        }
    }
    return best;
}

} // namespace k7
