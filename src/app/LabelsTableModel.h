// The Labels window's table: a row for each receiver of the rack (slot, serial number and name,
// read only), with its label, group and colour edited in place. An edit goes straight to the
// labels (and so to the settings); one that cannot be kept is refused with its fault.
#pragma once

#include "LabelCommands.h"

#include <QAbstractTableModel>

#include <functional>
#include <vector>

namespace k7 {

class LabelsTableModel final : public QAbstractTableModel {
public:
    enum Column {
        SlotColumn,
        SerialColumn,
        NameColumn,
        LabelColumn,
        GroupColumn,
        ColourColumn,
        ColumnCount
    };

    explicit LabelsTableModel(LabelCommands& commands, QObject* parent = nullptr);

    // Reads the rack's receivers again (after a rescan, or when the window is shown).
    void Refresh();
    // Told the fault of an edit that was refused.
    void SetFaultListener(std::function<void(const QString&)> listener) {
        faultListener_ = std::move(listener);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    LabelCommands& commands_;
    std::vector<LabelRow> rows_;
    std::function<void(const QString&)> faultListener_;
};

// A colour's name as the window shows it ("Red"; "(none)").
QString LabelColourCaption(LabelColour colour);

} // namespace k7
