// The CSV form of a set of entries, for the spreadsheets and planning tools of the field: a
// header line "name,frequency,mute", then one entry a line, comma-separated, UTF-8, the
// frequency in MHz with a point. This is the text alone; which frequencies a set may hold is
// the importing side's to check.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <span>
#include <vector>

namespace k7 {

struct CsvEntry {
    QString name;
    QString frequency; // MHz with a point, as written or read
    QString mute;
    int line = 0; // the line it starts on (1 is the header)
};

// Larger inputs are no set of entries; the reader refuses them unread.
inline constexpr qsizetype kMaxCsvBytes = 256 * 1024;

struct CsvRead {
    std::vector<CsvEntry> entries;
    int errorLine = 0; // 0: the file as a whole
    QString error;     // empty when the text was read
    bool ok() const { return error.isEmpty(); }
};

// One record of a CSV text: its fields and the line it starts on (1 is the first).
struct CsvRecord {
    QStringList fields;
    int line = 0;
};

struct CsvRecords {
    std::vector<CsvRecord> records; // empty lines left out
    int errorLine = 0;
    QString error; // empty when the text was read
    bool ok() const { return error.isEmpty(); }
};

// UTF-8 text as records, with the same rules as the entries' reader below (byte order mark,
// line ends, quoted fields, trimming, empty lines); stops at the first line it cannot read and
// says why. The caller caps the size.
CsvRecords ReadCsvRecords(QByteArrayView bytes);

// A field as the writer puts it: quoted when it holds a comma, a quote, a line break, spaces at
// either end or a leading byte order mark (quotes doubled), so that a reader gives it back.
QString CsvQuoted(const QString& text);

// The header, then the entries; a field holding a comma, a quote, a line break, spaces at
// either end or a leading byte order mark is quoted, so that the reader gives it back as it was.
// Lines end in CR LF.
QByteArray EncodeEntriesCsv(std::span<const CsvEntry> entries);
// Accepts a UTF-8 byte order mark at the start of the file, LF or CR LF line ends, quoted
// fields (line breaks in them too), spaces around fields and empty lines; stops at the first
// line it cannot read and says why.
CsvRead DecodeEntriesCsv(QByteArrayView bytes);

// A name as a receiver shows it: spaces as "_", then only printable characters of the
// single-byte code page the files use, at most six.
QString ReceiverName(const QString& name);

} // namespace k7
