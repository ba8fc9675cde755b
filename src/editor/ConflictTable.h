// A check's conflicts as a table an engineer works through: one line per carrier hit (its row or
// slot, name, frequency, the kinds that hit it, how many conflicts, the nearest offender and its
// distance), the fixed transmitters hit after them; the model behind the table window (sortable
// by every column) and its CSV export.
#pragma once

#include "ConflictReport.h"

#include <QAbstractTableModel>
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace k7 {

class FileChooser;
class Prompter;

struct ConflictTableLine {
    int number = 0; // the row or slot; 0 for a fixed transmitter
    QString name;
    int kHz = 0;
    QString kinds;
    int conflicts = 0;
    QString nearest; // the nearest offender, with its kind
    std::int64_t distanceKHz = 0;
    QStringList details; // the carrier's conflicts, as its tool tip lists them
};

struct ConflictTable {
    QString place;   // what the first column numbers: "Row" or "Slot"
    QString summary; // the check's count
    std::vector<ConflictTableLine> lines;
    bool empty() const { return lines.empty(); }
};

// The carriers hit in a report made of carriers and fixed (in that order); place: "Row" or
// "Slot".
ConflictTable MakeConflictTable(const ConflictReport& report,
                                std::span<const LabelledCarrier> carriers,
                                std::span<const FixedCarrier> fixed, const QString& place);
// A header line, then one line a carrier: UTF-8, comma-separated, frequencies in MHz with a
// point, lines ending in CR LF.
QByteArray ConflictTableCsv(const ConflictTable& table);
// Asks for a file in folder and writes the table to it whole: the file written, or nothing (the
// operator told why, unless he cancelled).
std::optional<QString> ExportConflictTable(const ConflictTable& table, FileChooser* chooser,
                                           Prompter& prompter, const QString& folder);

class ConflictTableModel final : public QAbstractTableModel {
public:
    enum Column { Place, Name, Frequency, Kinds, Conflicts, Nearest, Distance, ColumnCount };
    // What a column sorts by: numbers as numbers.
    static constexpr int kSortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void showTable(ConflictTable table);
    const ConflictTable& table() const { return table_; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    ConflictTable table_;
};

} // namespace k7
