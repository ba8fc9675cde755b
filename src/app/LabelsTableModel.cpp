#include "LabelsTableModel.h"

#include <QColor>
#include <QPointer>

namespace k7 {

QString LabelColourCaption(LabelColour colour) {
    QString name = LabelColourName(colour);
    if (name.isEmpty()) {
        return QStringLiteral("(none)");
    }
    name[0] = name[0].toUpper();
    return name;
}

LabelsTableModel::LabelsTableModel(LabelCommands& commands, QObject* parent)
    : QAbstractTableModel(parent), commands_(commands) {
    // The labels outlive the window; a change after the model is gone reaches nobody.
    commands_.labels().AddObserver([self = QPointer<LabelsTableModel>(this)] {
        if (self) {
            self->Refresh();
        }
    });
    Refresh();
}

void LabelsTableModel::Refresh() {
    std::vector<LabelRow> rows = commands_.RackRows();
    if (rows.size() != rows_.size()) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
        return;
    }
    rows_ = std::move(rows);
    if (!rows_.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
    }
}

int LabelsTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LabelsTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LabelsTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const LabelRow& row = rows_[static_cast<std::size_t>(index.row())];
    if (role == Qt::DecorationRole && index.column() == ColourColumn &&
        row.label.colour != LabelColour::None) {
        return QColor::fromRgb(LabelColourRgb(row.label.colour));
    }
    if (role != Qt::DisplayRole && role != Qt::EditRole) {
        return {};
    }
    switch (index.column()) {
    case SlotColumn:
        return row.slot;
    case SerialColumn:
        return row.serial;
    case NameColumn:
        return row.name;
    case LabelColumn:
        return row.label.label;
    case GroupColumn:
        return row.label.group;
    case ColourColumn:
        return role == Qt::EditRole ? LabelColourName(row.label.colour)
                                    : LabelColourCaption(row.label.colour);
    default:
        return {};
    }
}

bool LabelsTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (!index.isValid() || index.row() >= rowCount() || role != Qt::EditRole) {
        return false;
    }
    const LabelRow& row = rows_[static_cast<std::size_t>(index.row())];
    ReceiverLabel label = row.label;
    const QString text = value.toString().trimmed();
    switch (index.column()) {
    case LabelColumn:
        label.label = text;
        break;
    case GroupColumn:
        label.group = text;
        break;
    case ColourColumn:
        if (const std::optional<LabelColour> colour = LabelColourFromName(text)) {
            label.colour = *colour;
            break;
        }
        if (faultListener_) {
            faultListener_(QStringLiteral("\"%1\" is not one of the eight colours.").arg(text));
        }
        return false;
    default:
        return false;
    }
    // The labels tell every view of the change, this one too.
    if (const QString fault = commands_.labels().Set(row.serial, label); !fault.isEmpty()) {
        if (faultListener_) {
            faultListener_(QStringLiteral("Slot %1: %2").arg(row.slot).arg(fault));
        }
        return false;
    }
    return true;
}

Qt::ItemFlags LabelsTableModel::flags(const QModelIndex& index) const {
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.column() >= LabelColumn && index.row() < rowCount() &&
        !rows_[static_cast<std::size_t>(index.row())].serial.isEmpty()) {
        flags |= Qt::ItemIsEditable;
    }
    return flags;
}

QVariant LabelsTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    static const char* const kHeaders[ColumnCount] = {"Slot",  "Serial", "Name",
                                                      "Label", "Group",  "Colour"};
    return section >= 0 && section < ColumnCount ? QString::fromLatin1(kHeaders[section])
                                                 : QVariant();
}

} // namespace k7
