// The .frq text read line by line with the readers' rules, and written back.
#include "FrqCodec.h"

#include "Windows1252.h"
#include "link/DeviceTables.h"

#include <QStringList>

#include <algorithm>
#include <array>

namespace k7 {

namespace {

const QString kHeader = QStringLiteral("Veltora USB Receiver file");
const QString kCrLf = QStringLiteral("\r\n");

std::optional<int> ParseInteger(QStringView line) {
    bool ok = false;
    const int value = line.trimmed().toInt(&ok);
    return ok ? std::optional<int>(value) : std::nullopt;
}

// The most entries a file may put in use on this interface model; 0 for an unknown model.
int ModelMaximum(int model) {
    switch (model) {
    case ModelK75:
        return 24;
    case ModelK73:
        return 12;
    case ModelJapanese:
        return 6;
    default:
        return 0;
    }
}

// The line's frequency with the user's separator, so that a file written on a PC with the
// other separator still loads.
QString WithSeparator(QString line, QChar sep) {
    const QChar other = sep == QLatin1Char(',') ? QLatin1Char('.') : QLatin1Char(',');
    if (!line.contains(sep)) {
        line.replace(other, sep);
    }
    return line;
}

// Where the two readers differ: the global mute they take from line 3 and the band/type
// lines they keep (the editor keeps the flag bits, the rack the user mute and the old "1").
struct ReaderRules {
    int lowestGlobalMute;
    std::uint8_t defaultGlobalMute;
    std::array<const char*, 4> bandTypes; // null: no further value
};

const ReaderRules& RulesOf(FrqReader reader) {
    static const ReaderRules editor{0, 5, {"0", "64", "128", "192"}};
    static const ReaderRules rack{1, 2, {"0", "1", "64", nullptr}};
    return reader == FrqReader::Editor ? editor : rack;
}

bool Accepted(const ReaderRules& rules, QStringView line) {
    return std::any_of(rules.bandTypes.begin(), rules.bandTypes.end(), [&](const char* value) {
        return value != nullptr && line == QLatin1String(value);
    });
}

// Lines split at LF with one CR before it dropped; a final line end starts no further line.
class LineReader {
public:
    explicit LineReader(QString text) : text_(std::move(text)) {}
    // A view into the text, valid as long as the reader.
    std::optional<QStringView> next() {
        const qsizetype size = text_.size();
        if (pos_ > size || (pos_ == size && size > 0)) {
            return std::nullopt;
        }
        qsizetype end = text_.indexOf(QLatin1Char('\n'), pos_);
        if (end < 0) {
            end = size;
        }
        QStringView line = QStringView(text_).mid(pos_, end - pos_);
        pos_ = end + 1;
        if (line.endsWith(QLatin1Char('\r'))) {
            line.chop(1);
        }
        return line;
    }

private:
    QString text_;
    qsizetype pos_ = 0;
};

// One read in progress: where it is and what it has laid over the start document.
class Reading {
public:
    Reading(QByteArrayView bytes, const FrqReadRules& rules, const FrqDocument& start)
        : rules_(rules),
          lines_(bytes.size() > kMaxFrqBytes ? QString() : DecodeWindows1252(bytes)) {
        read_.document = start;
        if (bytes.size() > kMaxFrqBytes) {
            read_.error = FrqError::TooLarge;
        }
    }

    FrqRead run() {
        if (read_.complete() && readHead()) {
            readEntries();
        }
        return std::move(read_);
    }

private:
    bool stop(FrqError error) {
        read_.error = error;
        return false;
    }
    // The next line, or the stop of a text that ends too early.
    bool next(QStringView& line) {
        const std::optional<QStringView> read = lines_.next();
        if (!read) {
            return stop(FrqError::EndsEarly);
        }
        line = *read;
        return true;
    }

    bool readHead() {
        QStringView line;
        if (!next(line) || !next(line)) { // the header, whatever it says, then the count
            return false;
        }
        FrqDocument& doc = read_.document;
        const int maximum = ModelMaximum(rules_.model);
        if (line == QLatin1String("Global Mute")) {
            if (maximum > 0) {
                doc.EntryCount = maximum;
            }
        } else {
            // The editor takes an empty count line as "24".
            const std::optional<int> value =
                (rules_.reader == FrqReader::Editor && line.isEmpty()) ? 24 : ParseInteger(line);
            if (!value) {
                return stop(FrqError::CountNotNumber);
            }
            if (*value < -32768 || *value > 32767) {
                return stop(FrqError::CountOverflow);
            }
            // The tables hold 40 entries; no count may point outside them.
            doc.EntryCount = std::clamp(*value, 0, maximum > 0 ? maximum : kFileEntries);
        }

        if (!next(line)) {
            return false;
        }
        const ReaderRules& reader = RulesOf(rules_.reader);
        const std::optional<int> mute = ParseInteger(line);
        doc.GlobalMuteLevel = (mute && *mute >= reader.lowestGlobalMute && *mute <= 10)
                                  ? static_cast<std::uint8_t>(*mute)
                                  : reader.defaultGlobalMute;
        return true;
    }

    bool readEntries() {
        const ReaderRules& reader = RulesOf(rules_.reader);
        QStringView line;
        for (int n = 1; n <= kFileEntries; ++n) {
            read_.entry = n;
            SettingsRow& row = read_.document.Entries[n];

            if (!next(line)) {
                return false;
            }
            QString name = line.toString();
            if (name.size() <= 5) {
                name = name.leftJustified(6, QLatin1Char('_'));
            }
            row.Name = name.replace(QLatin1Char(' '), QLatin1Char('_'));

            if (!next(line)) {
                return false;
            }
            if (line.isEmpty()) {
                return stop(FrqError::NoFrequency);
            }
            QString frequency = WithSeparator(line.toString(), rules_.separator);
            if (!rules_.keepOutOfRange && rules_.outOfRange && rules_.outOfRange(frequency, n)) {
                read_.frequencyLine = line.toString();
                return stop(FrqError::OutOfRange);
            }
            row.Frequency = std::move(frequency);

            if (!next(line)) {
                return false;
            }
            const std::optional<int> mute = ParseInteger(line);
            row.MuteLevel =
                (mute && *mute >= 0 && *mute <= 10) ? line.toString() : QStringLiteral("5");

            if (!next(line)) {
                return false;
            }
            const bool numeric = ParseInteger(line).has_value();
            row.BandType =
                (numeric && Accepted(reader, line)) ? line.toString() : QStringLiteral("0");
            read_.bandTypesRead = n;
            read_.bandTypeIsNumber[static_cast<std::size_t>(n)] = numeric;

            if (!next(line)) {
                return false;
            }
            if (!line.isEmpty()) {
                return stop(FrqError::NoSeparator);
            }
        }
        return true;
    }

    const FrqReadRules& rules_;
    LineReader lines_;
    FrqRead read_;
};

// A line break inside a value would shift every line after it.
QString OneLine(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
}

} // namespace

FrqRead DecodeFrq(QByteArrayView bytes, const FrqReadRules& rules, const FrqDocument& start) {
    return Reading(bytes, rules, start).run();
}

QByteArray EncodeFrq(const FrqDocument& document) {
    QStringList lines;
    lines.reserve(3 + kFileEntries * 5);
    lines << kHeader << (document.EntryCount ? QString::number(*document.EntryCount) : QString())
          << QString::number(document.GlobalMuteLevel);
    for (int i = 1; i <= kFileEntries; ++i) {
        const SettingsRow& row = document.Entries[i];
        lines << OneLine(row.Name) << OneLine(row.Frequency) << OneLine(row.MuteLevel)
              << OneLine(row.BandType) << QString();
    }
    return EncodeWindows1252(lines.join(kCrLf) + kCrLf);
}

} // namespace k7
