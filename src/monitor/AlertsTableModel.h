// The Alerts window's table: every alert of the run, newest first, with the time it began (its
// first bad reading), its slot, the receiver's name (with its label, "VOX_1_ - Anna"), its kind and
// how long it lasted ("active" while it is up). A plain item model over the alert record, so that
// the window is a view and nothing more.
#pragma once

#include "AlertList.h"

#include <QAbstractTableModel>

namespace k7 {

class ReceiverLabels;
class Alarms;

class AlertsTableModel final : public QAbstractTableModel, private AlertEvents {
public:
    enum Column { TimeColumn, SlotColumn, NameColumn, KindColumn, DurationColumn, ColumnCount };

    // labels: the receivers' labels, shown with their names (none: names alone).
    explicit AlertsTableModel(AlertList& alerts, ReceiverLabels* labels = nullptr,
                              QObject* parent = nullptr);
    ~AlertsTableModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // The alert a row shows (row 0 is the newest).
    const Alert& alertAt(int row) const;
    // The alarms not yet acknowledged are named so in the kind column; told when they change.
    void SetAlarms(const Alarms* alarms) { alarms_ = alarms; }
    void AlarmsChanged();

private:
    // AlertEvents
    void AlertStarted(const Alert& alert) override;
    void AlertEnded(const Alert& alert) override;
    void AlertsTrimmed() override;

    AlertList& alerts_;
    const ReceiverLabels* labels_;
    const Alarms* alarms_ = nullptr;
    int rows_ = 0; // the rows the view knows of
};

} // namespace k7
