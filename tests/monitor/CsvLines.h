// Reading the event log back in tests: its lines split into fields by the CSV rules the log
// writes (quoted fields, doubled quotes).
#pragma once

#include <QFile>
#include <QString>
#include <QStringList>

#include <vector>

namespace k7::test {

inline QStringList SplitCsvLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < line.size() &&
                line.at(i + 1) == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

// The records of a log file as a spreadsheet reads them, each split into its fields, the header
// first: line ends taken off, empty lines left out, and a quoted field running on over line
// ends, so that a quote left open swallows the lines after it.
inline std::vector<QStringList> CsvRows(const QString& path) {
    QFile file(path);
    std::vector<QStringList> rows;
    if (!file.open(QIODevice::ReadOnly)) {
        return rows;
    }
    QString record;
    bool quoted = false;
    for (const QChar c : QString::fromUtf8(file.readAll()) + QLatin1Char('\n')) {
        quoted = c == QLatin1Char('"') ? !quoted : quoted;
        if (c != QLatin1Char('\n') || quoted) {
            record += c;
            continue;
        }
        record.chop(record.endsWith(QLatin1Char('\r')) ? 1 : 0);
        if (!record.isEmpty()) {
            rows.push_back(SplitCsvLine(record));
        }
        record.clear();
    }
    if (!record.isEmpty()) {
        rows.push_back(SplitCsvLine(record));
    }
    return rows;
}

// The rows of the log whose event column starts with the given text.
inline std::vector<QStringList> RowsOf(const std::vector<QStringList>& rows, const QString& event) {
    std::vector<QStringList> out;
    for (const QStringList& row : rows) {
        if (row.size() == 5 && row[3].startsWith(event)) {
            out.push_back(row);
        }
    }
    return out;
}

} // namespace k7::test
