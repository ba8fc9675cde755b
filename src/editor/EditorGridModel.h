// The editor's grid (flxUser) as a table model: the controller's rows, four columns (entry
// number, name, frequency, mute level) with the alignments FormatRow gave them and each row's
// mark. It keeps its own copy of the rows, taken in one reset, so that a view never sees the
// rows halfway through a change.
#pragma once

#include "FrequencyEditor.h"

#include <QAbstractTableModel>

#include <vector>

namespace k7 {

class EditorGridModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit EditorGridModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    // Takes the rows when they differ from those shown.
    void showRows(const std::vector<GridRow>& rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    std::vector<GridRow> rows_;
};

} // namespace k7
