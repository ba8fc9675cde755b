#include "EntriesCsv.h"

#include "Windows1252.h"

#include <QStringDecoder>
#include <QStringList>

#include <optional>

namespace k7 {

namespace {

constexpr int kReceiverNameLength = 6;
constexpr int kFields = 3;

QString Field(const QString& text) {
    // Spaces at either end are kept only inside quotes: the reader trims a bare field.
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')) && !text.contains(QLatin1Char('\r')) &&
        text == text.trimmed()) {
        return text;
    }
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

// One line's fields; none when a quote is not closed or text follows a closing quote.
std::optional<QStringList> SplitLine(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    bool wasQuoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != QLatin1Char('"')) {
                field += c;
            } else if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else {
                quoted = false;
            }
        } else if (c == QLatin1Char(',')) {
            fields << (wasQuoted ? field : field.trimmed());
            field.clear();
            wasQuoted = false;
        } else if (c == QLatin1Char('"') && field.trimmed().isEmpty() && !wasQuoted) {
            quoted = true;
            wasQuoted = true;
            field.clear();
        } else if (wasQuoted) {
            if (!c.isSpace()) {
                return std::nullopt;
            }
        } else {
            field += c;
        }
    }
    if (quoted) {
        return std::nullopt;
    }
    fields << (wasQuoted ? field : field.trimmed());
    return fields;
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
        text += Field(entry.name) + QLatin1Char(',') + Field(entry.frequency) + QLatin1Char(',') +
                Field(entry.mute) + QStringLiteral("\r\n");
    }
    return text.toUtf8();
}

CsvRead DecodeEntriesCsv(QByteArrayView bytes) {
    if (bytes.size() > kMaxCsvBytes) {
        return Refused(0, QStringLiteral("The file is larger than %1 KiB: it is no set of entries.")
                              .arg(kMaxCsvBytes / 1024));
    }
    if (bytes.startsWith("\xEF\xBB\xBF")) {
        bytes = bytes.sliced(3);
    }
    CsvRead read;
    int number = 0;
    bool header = false;
    qsizetype start = 0;
    while (start < bytes.size()) {
        qsizetype end = bytes.indexOf('\n', start);
        if (end < 0) {
            end = bytes.size();
        }
        QByteArrayView raw = bytes.sliced(start, end - start);
        start = end + 1;
        ++number;
        if (raw.endsWith('\r')) {
            raw.chop(1);
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString line = utf8.decode(raw);
        if (utf8.hasError()) {
            return Refused(number, QStringLiteral("Line %1 is not UTF-8 text.").arg(number));
        }
        if (line.trimmed().isEmpty()) {
            continue;
        }
        const std::optional<QStringList> fields = SplitLine(line);
        if (!fields) {
            return Refused(number, QStringLiteral("Line %1 has a quote that is not closed, or "
                                                  "text after a closing quote.")
                                       .arg(number));
        }
        if (!header) {
            header = true;
            if (fields->size() != kFields ||
                fields->at(0).compare(QLatin1String("name"), Qt::CaseInsensitive) != 0 ||
                fields->at(1).compare(QLatin1String("frequency"), Qt::CaseInsensitive) != 0 ||
                fields->at(2).compare(QLatin1String("mute"), Qt::CaseInsensitive) != 0) {
                return Refused(number, QStringLiteral("Line %1 is not the header line "
                                                      "\"name,frequency,mute\".")
                                           .arg(number));
            }
            continue;
        }
        if (fields->size() != kFields) {
            return Refused(number, QStringLiteral("Line %1 has %2 fields; each line holds a "
                                                  "name, a frequency and a mute level.")
                                       .arg(number)
                                       .arg(fields->size()));
        }
        read.entries.push_back(CsvEntry{fields->at(0), fields->at(1), fields->at(2), number});
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
