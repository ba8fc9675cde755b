#include "EditorGridModel.h"

namespace k7 {

void EditorGridModel::showRows(const std::vector<GridRow>& rows) {
    if (rows == rows_) {
        return;
    }
    beginResetModel();
    rows_ = rows;
    endResetModel();
}

int EditorGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int EditorGridModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : kGridColumns;
}

QVariant EditorGridModel::data(const QModelIndex& index, int role) const {
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid)) {
        return {};
    }
    const GridRow& row = rows_[static_cast<std::size_t>(index.row())];
    const auto column = static_cast<std::size_t>(index.column());
    switch (role) {
    case Qt::DisplayRole:
        return row.cells[column];
    case Qt::TextAlignmentRole:
        return row.alignment[column] ? QVariant(row.alignment[column].toInt()) : QVariant();
    case Qt::BackgroundRole:
        return row.decoration.background.isValid() ? QVariant(row.decoration.background)
                                                   : QVariant();
    case Qt::ToolTipRole:
        return row.decoration.toolTip.isEmpty() ? QVariant() : QVariant(row.decoration.toolTip);
    default:
        return {};
    }
}

Qt::ItemFlags EditorGridModel::flags(const QModelIndex& index) const {
    // Rows are selected, never edited in place: every change goes through the boxes.
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

} // namespace k7
