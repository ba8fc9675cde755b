// The rack's and the editor's .frq readers and writers over the codec: the data folder, the
// tables each fills or writes, and the messages of a read that stops.
#include "FrqFile.h"

#include "WholeFile.h"

#include "bands/CheckFrequency.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/FileState.h"
#include "rack/RackSettings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kUserMuteBit = 0x40;

// The numbers the read-failure box shows, so that an operator's report says what went wrong.
enum ReadErrorCode : int {
    TypeMismatch = 13, // line 2 is not a number
    Overflow = 6,      // line 2 does not fit 16 bits
    TooLarge = 7,      // far larger than any frequency file
    FileNotFound = 53,
    PastEnd = 62, // the file ends before entry 40 is complete
};

QString Lines(const QStringList& lines) {
    return lines.join(kCrLf) + kCrLf;
}

QString OutOfRangeText(FrqReader reader, const QString& line, const QString& name) {
    if (reader == FrqReader::Editor) {
        return Lines({line + QStringLiteral(" Frequency is out of range"),
                      QStringLiteral("The Possible reasons may be :"), QString(),
                      QStringLiteral("  1. The frequency file contains data that does not"),
                      QStringLiteral("      match the receiver band"), QString(),
                      QStringLiteral("  2. ") + name + QStringLiteral(" may be corrupt"), QString(),
                      QStringLiteral("  Please check your settings."), QString(),
                      QStringLiteral("  Exiting file load ")});
    }
    return Lines({QStringLiteral("Frequency ") + line + QStringLiteral(" MHz is out of range"),
                  QString(), QStringLiteral("It may be that :"),
                  QStringLiteral("  1. The frequency in the file may not lie inside "),
                  QStringLiteral("     the Band spread for your receivers."), QString(),
                  QStringLiteral("  2. The file ''") + name + QStringLiteral("'' may be corrupt"),
                  QString(), QStringLiteral("  Please check the file."), QString(),
                  QStringLiteral("  Exiting file load ")});
}

void Run(const std::function<void()>& action) {
    if (action) {
        action();
    }
}

} // namespace

FrqFile::FrqFile(QString dataFolder, FileState& files, RackSettings& rack,
                 const DeviceTables& devices, FrequencyChecker& checker, Prompter& prompter)
    : dataFolder_(std::move(dataFolder)), files_(files), rack_(rack), devices_(devices),
      checker_(checker), prompter_(prompter) {}

bool FrqFile::IsPlainFileName(const QString& name) {
    return !name.isEmpty() && !name.contains(QLatin1Char('/')) &&
           !name.contains(QLatin1Char('\\')) && !name.contains(QStringLiteral("..")) &&
           !name.contains(QChar(0));
}

QString FrqFile::pathOf(const QString& name) const {
    return dataFolder_ + QLatin1Char('/') + name;
}

namespace {

// The path with its links resolved, or (for a file not yet made) its clean absolute form.
QString Resolved(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
}

} // namespace

std::optional<QString> FrqFile::NameInDataFolder(const QString& path) const {
    const QFileInfo chosen(path);
    if (!IsPlainFileName(chosen.fileName()) ||
        Resolved(chosen.absolutePath()) != Resolved(dataFolder_)) {
        return std::nullopt;
    }
    return chosen.fileName();
}

bool FrqFile::SameFile(const QString& a, const QString& b) const {
    return IsPlainFileName(a) && IsPlainFileName(b) && Resolved(pathOf(a)) == Resolved(pathOf(b));
}

bool FrqFile::InForce(const QString& name) const {
    return (files_.LoadLastFile || files_.FileInUse) && SameFile(name, files_.CurrentFile);
}

bool FrqFile::FrqFileExists(const QString& name) const {
    return IsPlainFileName(name) && QFileInfo(pathOf(name)).isFile();
}

// --- Writing -------------------------------------------------------------------------------

bool FrqFile::WriteFile(const QString& name, const FrqDocument& document) {
    if (!IsPlainFileName(name)) {
        error_ = QStringLiteral("\"%1\" is not a file name of the folder %2.")
                     .arg(name, QDir::toNativeSeparators(dataFolder_));
        return false;
    }
    return WriteWholeFile(pathOf(name), EncodeFrq(document), error_);
}

bool FrqFile::SaveEditorFile(const QString& name, const EditorDocument& editor) {
    FrqDocument document{editor.EntryCount, editor.GlobalMuteLevel, editor.EditData};
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[i].Name = editor.EditNames[i];
    }
    return WriteFile(name, document);
}

bool FrqFile::SaveCurrentFile(const QString& name) {
    return WriteFile(
        name, FrqDocument{files_.EntryCount, files_.GlobalMuteLevel, rack_.tables().CurData});
}

// --- Reading -------------------------------------------------------------------------------

FrqReadRules FrqFile::ReadRules(FrqReader reader) const {
    const std::int32_t code = rack_.tables().DecimalSeparatorCode;
    FrqReadRules rules;
    rules.reader = reader;
    rules.model = devices_.ModelVariant;
    rules.separator = QChar(code > 0 && code < 0x10000 ? code : '.');
    // The rack checks entry i against slot i's band; the editor against slot 1's.
    rules.outOfRange = [this, reader](const QString& frequency, int entry) {
        return checker_.CheckFrequency(frequency, true, reader == FrqReader::Rack ? entry : 0) ==
               QLatin1String("RANGE");
    };
    return rules;
}

std::optional<QByteArray> FrqFile::readBytes(const QString& name) {
    QFile file(pathOf(name));
    if (!IsPlainFileName(name) || !QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        error_ = QStringLiteral("%1 could not be opened: %2")
                     .arg(QDir::toNativeSeparators(pathOf(name)), file.errorString());
        return std::nullopt;
    }
    return file.read(kMaxFrqBytes + 1);
}

QString FrqFile::readFailed(int code, const QString& why,
                            const std::function<void()>& beforeMessage) {
    error_ = why;
    Run(beforeMessage);
    MessageBoxSpec box;
    box.text = QStringLiteral("An error occurred reading the file\r\nThe file may be corrupt\r\n") +
               QString::number(code);
    box.icon = MsgIcon::Critical;
    prompter_.ShowMessage(box);
    return QString();
}

QString FrqFile::finish(FrqReader reader, const QString& name, const FrqRead& read,
                        const std::function<void()>& beforeMessage) {
    const QString path = QDir::toNativeSeparators(pathOf(name));
    const QString entry = QString::number(read.entry);
    switch (read.error) {
    case FrqError::None:
        error_.clear();
        return name;
    case FrqError::TooLarge:
        return readFailed(TooLarge,
                          QStringLiteral("%1 is too large for a frequency file.").arg(path),
                          beforeMessage);
    case FrqError::EndsEarly:
        return readFailed(PastEnd, QStringLiteral("%1 ends before its last entry.").arg(path),
                          beforeMessage);
    case FrqError::CountNotNumber:
        return readFailed(TypeMismatch, QStringLiteral("Line 2 of %1 is not a number.").arg(path),
                          beforeMessage);
    case FrqError::CountOverflow:
        return readFailed(Overflow, QStringLiteral("Line 2 of %1 is out of range.").arg(path),
                          beforeMessage);
    case FrqError::NoFrequency:
        error_ = QStringLiteral("Entry %1 of %2 has no frequency.").arg(entry, path);
        return QStringLiteral("NUMBER");
    case FrqError::OutOfRange: {
        Run(beforeMessage);
        MessageBoxSpec box;
        box.title = QStringLiteral("Possible file error");
        box.text = OutOfRangeText(reader, read.frequencyLine, name);
        prompter_.ShowMessage(box);
        error_ = QStringLiteral("Entry %1 of %2 is out of range.").arg(entry, path);
        return QStringLiteral("EXIT");
    }
    case FrqError::NoSeparator:
        error_ =
            QStringLiteral("Entry %1 of %2 is not followed by an empty line.").arg(entry, path);
        return QStringLiteral("NOLINE");
    }
    return QString();
}

QString FrqFile::LoadRackFile(const QString& name, RangeRule range,
                              const std::function<void()>& beforeMessage) {
    if (!FrqFileExists(name)) {
        return QStringLiteral("No frq file");
    }
    const std::optional<QByteArray> bytes = readBytes(name);
    if (!bytes) {
        return readFailed(FileNotFound, error_, beforeMessage);
    }
    FrqReadRules rules = ReadRules(FrqReader::Rack);
    rules.keepOutOfRange = range == RangeRule::KeepOutOfRange;
    const FrqRead read =
        DecodeFrq(*bytes, rules, {files_.EntryCount, files_.GlobalMuteLevel, files_.LoadData});
    files_.EntryCount = read.document.EntryCount.value_or(files_.EntryCount);
    files_.GlobalMuteLevel = read.document.GlobalMuteLevel;
    files_.LoadData = read.document.Entries;
    // The receiver still holds the set in force until the pass programs it: the user mute
    // follows that set's bit, for every entry whose band/type line is a number.
    for (int n = 1; n <= read.bandTypesRead; ++n) {
        bool inForce = false;
        const int bandType = rack_.tables().CurData[n].BandType.trimmed().toInt(&inForce);
        rack_.SetUserMute(n, read.bandTypeIsNumber[static_cast<std::size_t>(n)] && inForce &&
                                 (bandType & kUserMuteBit) != 0);
    }
    return finish(FrqReader::Rack, name, read, beforeMessage);
}

QString FrqFile::ReadEditorFile(const QString& name, EditorDocument& editor) {
    const std::optional<QByteArray> bytes = readBytes(name);
    if (!bytes) {
        return readFailed(FileNotFound, error_, {});
    }
    const FrqRead read = DecodeFrq(*bytes, ReadRules(FrqReader::Editor),
                                   {editor.EntryCount, editor.GlobalMuteLevel, editor.EditData});
    editor.EntryCount = read.document.EntryCount.value_or(editor.EntryCount);
    editor.GlobalMuteLevel = read.document.GlobalMuteLevel;
    editor.EditData = read.document.Entries;
    return finish(FrqReader::Editor, name, read, {});
}

} // namespace k7
