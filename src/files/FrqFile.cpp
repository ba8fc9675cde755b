// The .frq writers and the shared reader procedure behind ReadEditorFile and LoadRackFile.
#include "FrqFile.h"

#include "Windows1252.h"
#include "bands/CheckFrequency.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/FileState.h"
#include "rack/RackPorts.h"
#include "rack/RackSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace k7 {

namespace {

const QString kHeader = QStringLiteral("Veltora USB Receiver file");
const QString kCrLf = QStringLiteral("\r\n");

// The numbers the read-failure box shows, so that an operator's report says what went wrong.
enum ReadError : int {
    TypeMismatch = 13, // line 2 is not a number
    Overflow = 6,      // line 2 does not fit 16 bits
    TooLarge = 7,      // far larger than any frequency file
    FileNotFound = 53,
    PastEnd = 62, // the file ends before entry 40 is complete
};

std::optional<int> ParseInteger(const QString& line) {
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

// A line break inside a value would shift every line after it.
QString OneLine(QString value) {
    value.replace(QLatin1Char('\r'), QLatin1Char(' '));
    value.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return value;
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

QString Lines(const QStringList& lines) {
    return lines.join(kCrLf) + kCrLf;
}

class LineReader {
public:
    explicit LineReader(const QString& text) {
        lines_ = text.split(QLatin1Char('\n'));
        if (text.endsWith(QLatin1Char('\n'))) {
            lines_.removeLast();
        }
        for (QString& line : lines_) {
            if (line.endsWith(QLatin1Char('\r'))) {
                line.chop(1);
            }
        }
    }
    std::optional<QString> next() {
        if (index_ >= lines_.size()) {
            return std::nullopt;
        }
        return lines_[index_++];
    }

private:
    QStringList lines_;
    qsizetype index_ = 0;
};

} // namespace

FrqFile::FrqFile(QString dataFolder, FileState& files, RackSettings& rack,
                 const DeviceTables& devices, FrequencyChecker& checker, Prompter& prompter,
                 StartupDialogPort* dialog)
    : dataFolder_(std::move(dataFolder)), files_(files), rack_(rack), devices_(devices),
      checker_(checker), prompter_(prompter), dialog_(dialog) {}

bool FrqFile::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QStringLiteral("..")) &&
           !name.contains(QChar(0));
}

QString FrqFile::pathOf(const QString& name) const {
    return dataFolder_ + QLatin1Char('/') + name;
}

bool FrqFile::FrqFileExists(const QString& name) const {
    return IsPlainFileName(name) && QFileInfo(pathOf(name)).isFile();
}

QStringList FrqFile::FileHead(const QString& entryCount, const QString& globalMute) {
    return {kHeader, OneLine(entryCount), OneLine(globalMute)};
}

void FrqFile::AppendEntry(QStringList& lines, const QString& name, const QString& frequency,
                          const QString& muteLevel, const QString& bandType) {
    lines << OneLine(name) << OneLine(frequency) << OneLine(muteLevel) << OneLine(bandType)
          << QString();
}

bool FrqFile::WriteLines(const QString& name, const QStringList& lines) {
    if (!IsPlainFileName(name)) {
        error_ = QStringLiteral("\"%1\" is not a file name of the folder %2.")
                     .arg(name, QDir::toNativeSeparators(dataFolder_));
        return false;
    }
    const QString path = pathOf(name);
    QSaveFile file(path);
    const QByteArray bytes = EncodeWindows1252(Lines(lines));
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count:
    // the buffered path hands it to commit() as a success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes) != bytes.size() || !file.commit()) {
        const QString reason = file.error() == QFileDevice::NoError
                                   ? QStringLiteral("the disk may be full")
                                   : file.errorString();
        error_ = QStringLiteral("%1 could not be written (%2); any previous file of that name "
                                "is unchanged.")
                     .arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    error_.clear();
    return true;
}

bool FrqFile::SaveEditorFile(const QString& name) {
    QStringList lines =
        FileHead(QString::number(files_.EntryCount), QString::number(files_.GlobalMuteLevel));
    for (int i = 1; i <= kFileEntries; ++i) {
        const SettingsRow& row = files_.EditData[i];
        AppendEntry(lines, files_.EditNames[i], row.Frequency, row.MuteLevel, row.BandType);
    }
    return WriteLines(name, lines);
}

bool FrqFile::SaveCurrentFile(const QString& name) {
    QStringList lines =
        FileHead(QString::number(files_.EntryCount), QString::number(files_.GlobalMuteLevel));
    for (int i = 1; i <= kFileEntries; ++i) {
        const SettingsRow& row = rack_.tables().CurData[i];
        AppendEntry(lines, row.Name, row.Frequency, row.MuteLevel, row.BandType);
    }
    return WriteLines(name, lines);
}

QString FrqFile::ReadEditorFile(const QString& name) {
    return read(name, Reader::Editor, RangeRule::RefuseOutOfRange);
}

QString FrqFile::LoadRackFile(const QString& name, RangeRule range) {
    if (!FrqFileExists(name)) {
        return QStringLiteral("No frq file");
    }
    return read(name, Reader::Rack, range);
}

void FrqFile::hideDialog() {
    if (dialog_ != nullptr && dialog_->IsDialogVisible()) {
        dialog_->HideDialog();
    }
}

QString FrqFile::readFailed(Reader reader, int code, const QString& why) {
    error_ = why;
    if (reader == Reader::Rack) {
        hideDialog();
    }
    MessageBoxSpec box;
    box.text = QStringLiteral("An error occurred reading the file\r\nThe file may be corrupt\r\n") +
               QString::number(code);
    box.icon = MsgIcon::Critical;
    prompter_.ShowMessage(box);
    return QString();
}

QString FrqFile::read(const QString& name, Reader reader, RangeRule range) {
    const QString path = QDir::toNativeSeparators(pathOf(name));
    QFile file(pathOf(name));
    if (!IsPlainFileName(name) || !QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        return readFailed(
            reader, FileNotFound,
            QStringLiteral("%1 could not be opened: %2").arg(path, file.errorString()));
    }
    const QByteArray bytes = file.read(kMaxFileBytes + 1);
    file.close();
    if (bytes.size() > kMaxFileBytes) {
        return readFailed(reader, TooLarge,
                          QStringLiteral("%1 is too large for a frequency file.").arg(path));
    }
    LineReader lines(DecodeWindows1252(bytes));
    const auto pastEnd = [&] {
        return readFailed(reader, PastEnd,
                          QStringLiteral("%1 ends before its last entry.").arg(path));
    };

    if (!lines.next()) { // the header, whatever it says
        return pastEnd();
    }
    std::optional<QString> line = lines.next();
    if (!line) {
        return pastEnd();
    }
    const int maximum = ModelMaximum(devices_.ModelVariant);
    if (*line == QLatin1String("Global Mute")) {
        if (maximum > 0) {
            files_.EntryCount = maximum;
        }
    } else {
        const QString count =
            (reader == Reader::Editor && line->isEmpty()) ? QStringLiteral("24") : *line;
        const std::optional<int> value = ParseInteger(count);
        if (!value) {
            return readFailed(reader, TypeMismatch,
                              QStringLiteral("Line 2 of %1 is not a number.").arg(path));
        }
        if (*value < -32768 || *value > 32767) {
            return readFailed(reader, Overflow,
                              QStringLiteral("Line 2 of %1 is out of range.").arg(path));
        }
        // The tables hold 40 entries; no count may point outside them.
        files_.EntryCount = std::clamp(*value, 0, maximum > 0 ? maximum : kFileEntries);
    }

    if (!(line = lines.next())) {
        return pastEnd();
    }
    {
        const int low = reader == Reader::Editor ? 0 : 1;
        const std::optional<int> mute = ParseInteger(*line);
        files_.GlobalMuteLevel = (mute && *mute >= low && *mute <= 10)
                                     ? static_cast<std::uint8_t>(*mute)
                                     : (reader == Reader::Editor ? 5 : 2);
    }

    SettingsTable& table = reader == Reader::Editor ? files_.EditData : files_.LoadData;
    const std::int32_t code = rack_.tables().DecimalSeparatorCode;
    const QChar sep = QChar(code > 0 && code < 0x10000 ? code : '.');
    for (int n = 1; n <= kFileEntries; ++n) {
        SettingsRow& row = table[n];

        if (!(line = lines.next())) {
            return pastEnd();
        }
        QString entryName = line->size() <= 5 ? line->leftJustified(6, QLatin1Char('_')) : *line;
        row.Name = entryName.replace(QLatin1Char(' '), QLatin1Char('_'));

        if (!(line = lines.next())) {
            return pastEnd();
        }
        const QString frequency = WithSeparator(*line, sep);
        const QString checked =
            checker_.CheckFrequency(frequency, true, reader == Reader::Rack ? n : 0);
        if (checked.isEmpty()) {
            return QStringLiteral("NUMBER");
        }
        if (checked == QLatin1String("RANGE")) {
            if (reader == Reader::Rack && range == RangeRule::KeepOutOfRange) {
                row.Frequency = frequency;
            } else {
                MessageBoxSpec box;
                box.title = QStringLiteral("Possible file error");
                if (reader == Reader::Editor) {
                    box.text =
                        Lines({*line + QStringLiteral(" Frequency is out of range"),
                               QStringLiteral("The Possible reasons may be :"), QString(),
                               QStringLiteral("  1. The frequency file contains data that "
                                              "does not"),
                               QStringLiteral("      match the receiver band"), QString(),
                               QStringLiteral("  2. ") + name + QStringLiteral(" may be corrupt"),
                               QString(), QStringLiteral("  Please check your settings."),
                               QString(), QStringLiteral("  Exiting file load ")});
                } else {
                    hideDialog();
                    box.text = Lines(
                        {QStringLiteral("Frequency ") + *line +
                             QStringLiteral(" MHz is out of range"),
                         QString(), QStringLiteral("It may be that :"),
                         QStringLiteral("  1. The frequency in the file may not lie inside "),
                         QStringLiteral("     the Band spread for your receivers."), QString(),
                         QStringLiteral("  2. The file ''") + name +
                             QStringLiteral("'' may be corrupt"),
                         QString(), QStringLiteral("  Please check the file."), QString(),
                         QStringLiteral("  Exiting file load ")});
                }
                prompter_.ShowMessage(box);
                error_ = QStringLiteral("Entry %1 of %2 is out of range.").arg(n).arg(path);
                return QStringLiteral("EXIT");
            }
        } else {
            row.Frequency = frequency;
        }

        if (!(line = lines.next())) {
            return pastEnd();
        }
        const std::optional<int> mute = ParseInteger(*line);
        row.MuteLevel = (mute && *mute >= 0 && *mute <= 10) ? *line : QStringLiteral("5");

        if (!(line = lines.next())) {
            return pastEnd();
        }
        const bool numeric = ParseInteger(*line).has_value();
        const QStringList accepted =
            reader == Reader::Editor
                ? QStringList{QStringLiteral("0"), QStringLiteral("64"), QStringLiteral("128"),
                              QStringLiteral("192")}
                : QStringList{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("64")};
        row.BandType = (numeric && accepted.contains(*line)) ? *line : QStringLiteral("0");
        if (reader == Reader::Rack) {
            // The receiver still holds the set in force until the pass programs it.
            const std::optional<int> inForce = ParseInteger(rack_.tables().CurData[n].BandType);
            rack_.SetUserMute(n, numeric && inForce && (*inForce & 64) != 0);
        }

        if (!(line = lines.next())) {
            return pastEnd();
        }
        if (!line->isEmpty()) {
            error_ =
                QStringLiteral("Entry %1 of %2 is not followed by an empty line.").arg(n).arg(path);
            return QStringLiteral("NOLINE");
        }
    }
    error_.clear();
    return name;
}

} // namespace k7
