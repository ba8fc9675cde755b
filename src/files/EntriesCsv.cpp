#include "EntriesCsv.h"

#include "Windows1252.h"

#include <QStringDecoder>
#include <QStringList>

namespace k7 {

namespace {

constexpr int kReceiverNameLength = 6;
constexpr int kFields = 3;

} // namespace

QString CsvQuoted(const QString& text) {
    // Spaces at either end are kept only inside quotes: the reader trims a bare field. A
    // leading byte order mark is quoted too, for readers that drop one at a line's start.
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
        !text.startsWith(QChar(QChar::ByteOrderMark)) && text == text.trimmed()) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

namespace {

// One record of the text: its fields, the line it starts on, and whether it is only an empty
// line; or the line it cannot be read from.
struct Record {
    QStringList fields;
    int line = 0;
    bool empty = false;
    int unreadableLine = 0; // a quote not closed, or text after a closing quote
};

// Reads the record that starts at `at` on line `line`, and moves both past it. A quoted field
// holds commas, doubled quotes and line breaks; a bare one is trimmed.
Record ReadRecord(QStringView text, qsizetype& at, int& line) {
    Record record;
    record.line = line;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    bool anyQuoted = false;
    for (; at < text.size(); ++at) {
        const QChar c = text[at];
        if (c == QLatin1Char('\n')) {
            ++line;
        }
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (at + 1 < text.size() && text[at + 1] == QLatin1Char('"')) {
                field += c;
                ++at;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char('\n')) {
            ++at;
            break;
        } else if (c == QLatin1Char(',')) {
            record.fields << (wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            anyQuoted = true;
            field.clear();
        } else if (wasQuoted) {
            if (!c.isSpace()) {
                record.unreadableLine = line;
                return record;
            }
        } else {
            field += c;
        }
    }
    if (quoted) {
        record.unreadableLine = record.line;
        return record;
    }
    record.fields << (wasQuoted ? field : field.trimmed());
    record.empty = !anyQuoted && record.fields.size() == 1 && record.fields.front().isEmpty();
    return record;
}

// The first line of bytes that is not UTF-8 (the text as a whole is known not to be).
int FirstLineNotUtf8(QByteArrayView bytes) {
    int number = 0;
    for (qsizetype start = 0; start < bytes.size();) {
        qsizetype end = bytes.indexOf('\n', start);
        end = end < 0 ? bytes.size() : end;
        ++number;
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        [[maybe_unused]] const QString line = utf8.decode(bytes.sliced(start, end - start));
        if (utf8.hasError()) {
            return number;
        }
        start = end + 1;
    }
    return number;
}

CsvRead Refused(int line, const QString& why) {
    CsvRead read;
    read.errorLine = line;
    read.error = why;
    return read;
}

} // namespace

QByteArray EncodeEntriesCsv(std::span<const CsvEntry> entries) {
    QString text = QStringLiteral("name,frequency,mute\r\n");
    for (const CsvEntry& entry : entries) {
        text += CsvQuoted(entry.name) + QLatin1Char(',') + CsvQuoted(entry.frequency) +
                QLatin1Char(',') + CsvQuoted(entry.mute) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

CsvRecords ReadCsvRecords(QByteArrayView bytes) {
    CsvRecords read;
    // One decoder for the whole text: a byte order mark is dropped at the very start of the
    // file only; anywhere else it is text.
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    QStringDecoder utf8(QStringDecoder::Utf8,
                        QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    const QString text = utf8.decode(bytes);
    if (utf8.hasError()) {
        read.errorLine = FirstLineNotUtf8(bytes);
        read.error = QStringLiteral("Line %1 is not UTF-8 text.").arg(read.errorLine);
        return read;
    }
    int line = 1;
    for (qsizetype at = 0; at < text.size();) {
        const Record record = ReadRecord(text, at, line);
        if (record.unreadableLine > 0) {
            read.records.clear();
            read.errorLine = record.unreadableLine;
            read.error = QStringLiteral("Line %1 has a quote that is not closed, or text after a "
                                        "closing quote.")
                             .arg(record.unreadableLine);
            return read;
        }
        if (!record.empty) {
            read.records.push_back(CsvRecord{record.fields, record.line});
        }
    }
    return read;
}

CsvRead DecodeEntriesCsv(QByteArrayView bytes) {
    if (bytes.size() > kMaxCsvBytes) {
        return Refused(0, QStringLiteral("The file is larger than %1 KiB: it is no set of entries.")
                              .arg(kMaxCsvBytes / 1024));
    }
    const CsvRecords records = ReadCsvRecords(bytes);
    if (!records.ok()) {
        return Refused(records.errorLine, records.error);
    }
    CsvRead read;
    bool header = false;
    for (const CsvRecord& record : records.records) {
        const int number = record.line;
        const QStringList& fields = record.fields;
        if (!header) {
            header = true;
            if (fields.size() != kFields ||
                fields.at(0).compare(QLatin1String("name"), Qt::CaseInsensitive) != 0 ||
                fields.at(1).compare(QLatin1String("frequency"), Qt::CaseInsensitive) != 0 ||
                fields.at(2).compare(QLatin1String("mute"), Qt::CaseInsensitive) != 0) {
                return Refused(number, QStringLiteral("Line %1 is not the header line "
                                                      "\"name,frequency,mute\".")
                                           .arg(number));
            }
            continue;
        }
        if (fields.size() != kFields) {
            return Refused(number, QStringLiteral("Line %1 has %2 fields; each line holds a "
                                                  "name, a frequency and a mute level.")
                                       .arg(number)
                                       .arg(fields.size()));
        }
        read.entries.push_back(CsvEntry{fields.at(0), fields.at(1), fields.at(2), number});
    }
    if (!header) {
        return Refused(0, QStringLiteral("The file is empty: it has no header line "
                                         "\"name,frequency,mute\"."));
    }
    return read;
}

QString ReceiverName(const QString& name) {
    QString shown;
    for (const QChar c : name) {
        if (shown.size() == kReceiverNameLength) {
            break;
        }
        if (c == QLatin1Char(' ')) {
            shown += QLatin1Char('_');
            continue;
        }
        const QByteArray byte = EncodeWindows1252(QStringView(&c, 1));
        const bool singleByte = byte.size() == 1 && (byte[0] != '?' || c == QLatin1Char('?'));
        const auto code = static_cast<unsigned char>(singleByte ? byte[0] : 0);
        // Printable: no control character of either half of the code page.
        if (singleByte && c.isPrint() && code >= 0x20 && code != 0x7F &&
            !(code >= 0x80 && code <= 0x9F && c.unicode() < 0x100)) {
            shown += c;
        }
    }
    return shown;
}

} // namespace k7
