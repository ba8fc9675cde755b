#include "AlertsTableModel.h"

#include "Alarms.h"
#include "AlertWatch.h"

#include "files/ReceiverLabels.h"

#include <QFont>
#include <QPointer>

namespace k7 {

AlertsTableModel::AlertsTableModel(AlertList& alerts, ReceiverLabels* labels, QObject* parent)
    : QAbstractTableModel(parent), alerts_(alerts), labels_(labels),
      rows_(static_cast<int>(alerts.size())) {
    alerts_.AddObserver(*this);
    if (labels) {
        // The labels outlive the windows; a change after the model is gone reaches nobody.
        labels->AddObserver([self = QPointer<AlertsTableModel>(this)] {
            if (self && self->rows_ > 0) {
                emit self->dataChanged(self->index(0, NameColumn),
                                       self->index(self->rows_ - 1, NameColumn));
            }
        });
    }
}

AlertsTableModel::~AlertsTableModel() {
    alerts_.RemoveObserver(*this);
}

int AlertsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : rows_;
}

int AlertsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

const Alert& AlertsTableModel::alertAt(int row) const {
    return alerts_.at(static_cast<std::size_t>(rows_ - 1 - row));
}

QVariant AlertsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() < 0 || index.row() >= rows_) {
        return {};
    }
    const Alert& alert = alertAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case TimeColumn:
            return alert.began.toString(QStringLiteral("HH:mm:ss"));
        case SlotColumn:
            return alert.slot;
        case NameColumn:
            return labels_ && !alert.serial.isEmpty()
                       ? NameWithLabel(alert.name, labels_->LabelOf(alert.serial))
                       : alert.name;
        case KindColumn:
            return alarms_ && alarms_->IsAlarm(alert.id)
                       ? AlertCaption(alert.kind) + QStringLiteral(" - alarm")
                       : AlertCaption(alert.kind);
        case DurationColumn:
            return alert.active() ? QStringLiteral("active")
                                  : DurationText(alert.durationMicros(alert.endMicros));
        default:
            return {};
        }
    case Qt::DecorationRole:
        return index.column() == KindColumn ? QVariant(AlertColour(alert.kind)) : QVariant();
    case Qt::ToolTipRole:
        return alert.active() ? alert.detail
                              : alert.detail + QStringLiteral("\nended: ") + alert.endDetail;
    case Qt::FontRole:
        if (alert.active()) {
            QFont bold;
            bold.setBold(true);
            return bold;
        }
        return {};
    default:
        return {};
    }
}

void AlertsTableModel::AlarmsChanged() {
    if (rows_ > 0) {
        emit dataChanged(index(0, KindColumn), index(rows_ - 1, KindColumn), {Qt::DisplayRole});
    }
}

QVariant AlertsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kHeaders[ColumnCount] = {"Time", "Slot", "Name", "Alert", "Duration"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}

void AlertsTableModel::AlertStarted(const Alert& /*alert*/) {
    beginInsertRows({}, 0, 0);
    ++rows_;
    endInsertRows();
}

void AlertsTableModel::AlertEnded(const Alert& alert) {
    for (int row = 0; row < rows_; ++row) {
        if (alertAt(row).id == alert.id) {
            emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
            return;
        }
    }
}

void AlertsTableModel::AlertsTrimmed() {
    beginResetModel();
    rows_ = static_cast<int>(alerts_.size());
    endResetModel();
}

} // namespace k7
