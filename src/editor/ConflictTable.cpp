#include "ConflictTable.h"

#include "files/EntriesCsv.h"
#include "files/WholeFile.h"
#include "platform/FileChooser.h"
#include "platform/Prompter.h"

#include <QDir>

namespace k7 {

namespace {

// Fixed transmitters sort after every row or slot.
constexpr int kFixedOrder = 1000;

ConflictTableLine LineOf(const ConflictReport& report, int carrier, int number, const QString& name,
                         int kHz) {
    const CarrierHits& hits = report.count.carriers[static_cast<std::size_t>(carrier)];
    ConflictTableLine line;
    line.number = number;
    line.name = name;
    line.kHz = kHz;
    line.kinds = KindNames(hits.kinds);
    line.conflicts = hits.conflicts;
    if (hits.nearest) {
        line.nearest = OffenderText(*hits.nearest, carrier, report.labels) + QStringLiteral(" (") +
                       ConflictKindName(hits.nearest->kind) + QLatin1Char(')');
        line.distanceKHz = hits.nearest->distanceKHz;
    }
    line.details = report.lines[static_cast<std::size_t>(carrier)];
    return line;
}

QString PlaceText(const ConflictTableLine& line) {
    return line.number > 0 ? QString::number(line.number) : QStringLiteral("fixed");
}

} // namespace

ConflictTable MakeConflictTable(const ConflictReport& report,
                                std::span<const LabelledCarrier> carriers,
                                std::span<const FixedCarrier> fixed, const QString& place) {
    ConflictTable table;
    table.place = place;
    table.summary = report.summary;
    const auto own = static_cast<int>(carriers.size());
    for (int i = 0; i < own; ++i) {
        const LabelledCarrier& carrier = carriers[static_cast<std::size_t>(i)];
        if (report.count.carriers[static_cast<std::size_t>(i)].hit()) {
            table.lines.push_back(LineOf(report, i, carrier.number, carrier.name, carrier.kHz));
        }
    }
    for (int f = 0; f < static_cast<int>(fixed.size()); ++f) {
        const FixedCarrier& carrier = fixed[static_cast<std::size_t>(f)];
        if (report.count.carriers[static_cast<std::size_t>(own + f)].hit()) {
            table.lines.push_back(
                LineOf(report, own + f, 0, QString::fromStdString(carrier.label), carrier.kHz));
        }
    }
    return table;
}

QByteArray ConflictTableCsv(const ConflictTable& table) {
    QString text =
        table.place.toLower() + QStringLiteral(",name,frequency,hit_by,conflicts,nearest_offender,"
                                               "distance_khz\r\n");
    for (const ConflictTableLine& line : table.lines) {
        const QStringList fields{PlaceText(line),
                                 CsvQuoted(line.name),
                                 FrequencyText(line.kHz, QLatin1Char('.')),
                                 CsvQuoted(line.kinds),
                                 QString::number(line.conflicts),
                                 CsvQuoted(line.nearest),
                                 QString::number(line.distanceKHz)};
        text += fields.join(QLatin1Char(',')) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

std::optional<QString> ExportConflictTable(const ConflictTable& table, FileChooser* chooser,
                                           Prompter& prompter, const QString& folder) {
    if (chooser == nullptr) {
        return std::nullopt;
    }
    FileDialogSpec dialog;
    dialog.title = QStringLiteral("Export the conflicts as CSV");
    dialog.folder = folder;
    dialog.filter = QStringLiteral("CSV files (*.csv)");
    dialog.defaultSuffix = QStringLiteral("csv");
    const std::optional<QString> path = chooser->ChooseSaveFile(dialog);
    if (!path) {
        return std::nullopt;
    }
    QString error;
    if (WriteWholeFile(*path, ConflictTableCsv(table), error)) {
        return path;
    }
    MessageBoxSpec box;
    box.title = QStringLiteral("Export failed");
    box.icon = MsgIcon::Exclamation;
    box.text = QStringLiteral("The conflicts could not be exported to ") +
               QDir::toNativeSeparators(*path) + QStringLiteral(".\r\n") + error +
               QStringLiteral("\r\nChoose another folder, or free some space, and export again.");
    prompter.ShowMessage(box);
    return std::nullopt;
}

void ConflictTableModel::showTable(ConflictTable table) {
    beginResetModel();
    table_ = std::move(table);
    endResetModel();
}

int ConflictTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(table_.lines.size());
}

int ConflictTableModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant ConflictTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ConflictTableLine& line = table_.lines[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole) {
        return line.details.join(QLatin1Char('\n'));
    }
    if (role == kSortRole) {
        switch (index.column()) {
        case Place:
            return line.number > 0 ? line.number : kFixedOrder + index.row();
        case Frequency:
            return line.kHz;
        case Conflicts:
            return line.conflicts;
        case Distance:
            return static_cast<qlonglong>(line.distanceKHz);
        default:
            break;
        }
        role = Qt::DisplayRole;
    }
    if (role == Qt::TextAlignmentRole) {
        const bool number = index.column() == Place || index.column() == Frequency ||
                            index.column() == Conflicts || index.column() == Distance;
        const Qt::Alignment alignment =
            Qt::AlignVCenter | (number ? Qt::AlignRight : Qt::AlignLeft);
        return alignment.toInt();
    }
    if (role != Qt::DisplayRole) {
        return {};
    }
    switch (index.column()) {
    case Place:
        return PlaceText(line);
    case Name:
        return line.name;
    case Frequency:
        return FrequencyText(line.kHz, QLatin1Char('.'));
    case Kinds:
        return line.kinds;
    case Conflicts:
        return line.conflicts;
    case Nearest:
        return line.nearest;
    case Distance:
        return QStringLiteral("%1 kHz").arg(line.distanceKHz);
    default:
        return {};
    }
}

QVariant ConflictTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return QAbstractTableModel::headerData(section, orientation, role);
    }
    switch (section) {
    case Place:
        return table_.place.isEmpty() ? QStringLiteral("Row") : table_.place;
    case Name:
        return QStringLiteral("Name");
    case Frequency:
        return QStringLiteral("MHz");
    case Kinds:
        return QStringLiteral("Hit by");
    case Conflicts:
        return QStringLiteral("Conflicts");
    case Nearest:
        return QStringLiteral("Nearest offender");
    case Distance:
        return QStringLiteral("Distance");
    default:
        return {};
    }
}

} // namespace k7
