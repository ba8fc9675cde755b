// The rack's and the editor's .frq readers and writers over the codec: the data folder, what a
// read that stops says, and the boxes of its failures.
#include "FrqFile.h"

#include "WholeFile.h"

#include "bands/CheckFrequency.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

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

} // namespace

FrqFile::FrqFile(QString dataFolder, const RackTables& rack, const DeviceTables& devices,
                 FrequencyChecker& checker)
    : dataFolder_(std::move(dataFolder)), rack_(rack), devices_(devices), checker_(checker) {}

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

bool FrqFile::FrqFileExists(const QString& name) const {
    return IsPlainFileName(name) && QFileInfo(pathOf(name)).isFile();
}

// --- Writing -------------------------------------------------------------------------------

FileResult FrqFile::WriteFile(const QString& name, const FrqDocument& document) const {
    if (!IsPlainFileName(name)) {
        return FileResult::Failed(QStringLiteral("\"%1\" is not a file name of the folder %2.")
                                      .arg(name, QDir::toNativeSeparators(dataFolder_)));
    }
    QString error;
    if (!WriteWholeFile(pathOf(name), EncodeFrq(document), error)) {
        return FileResult::Failed(error);
    }
    return FileResult::Done();
}

FileResult FrqFile::SaveEditorFile(const QString& name, const EditorDocument& editor) const {
    FrqDocument document{editor.EntryCount, editor.GlobalMuteLevel, editor.EditData};
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[i].Name = editor.EditNames[i];
    }
    return WriteFile(name, document);
}

// --- Reading -------------------------------------------------------------------------------

FrqReadRules FrqFile::ReadRules(FrqReader reader) const {
    FrqReadRules rules;
    rules.reader = reader;
    rules.model = devices_.ModelVariant;
    rules.separator = rack_.DecimalSeparator();
    // The rack checks entry i against slot i's band; the editor against slot 1's.
    rules.outOfRange = [this, reader](const QString& frequency, int entry) {
        return checker_.CheckFrequency(frequency, true, reader == FrqReader::Rack ? entry : 0)
                   .result == FrequencyResult::Range;
    };
    return rules;
}

FrqLoad FrqFile::read(const QString& name, const FrqReadRules& rules,
                      const FrqDocument& start) const {
    FrqLoad load;
    load.read.document = start;
    const QString path = QDir::toNativeSeparators(pathOf(name));
    QFile file(pathOf(name));
    if (!IsPlainFileName(name) || !QFileInfo(file).isFile() || !file.open(QIODevice::ReadOnly)) {
        load.why = QStringLiteral("%1 could not be opened: %2").arg(path, file.errorString());
        load.code = FileNotFound;
        return load;
    }
    load.read = DecodeFrq(file.read(kMaxFrqBytes + 1), rules, start);
    const QString entry = QString::number(load.read.entry);
    switch (load.read.error) {
    case FrqError::None:
        load.result = FrqResult::Read;
        break;
    case FrqError::TooLarge:
        load.code = TooLarge;
        load.why = QStringLiteral("%1 is too large for a frequency file.").arg(path);
        break;
    case FrqError::EndsEarly:
        load.code = PastEnd;
        load.why = QStringLiteral("%1 ends before its last entry.").arg(path);
        break;
    case FrqError::CountNotNumber:
        load.code = TypeMismatch;
        load.why = QStringLiteral("Line 2 of %1 is not a number.").arg(path);
        break;
    case FrqError::CountOverflow:
        load.code = Overflow;
        load.why = QStringLiteral("Line 2 of %1 is out of range.").arg(path);
        break;
    case FrqError::NoFrequency:
        load.result = FrqResult::Number;
        load.why = QStringLiteral("Entry %1 of %2 has no frequency.").arg(entry, path);
        break;
    case FrqError::OutOfRange:
        load.result = FrqResult::Exit;
        load.why = QStringLiteral("Entry %1 of %2 is out of range.").arg(entry, path);
        break;
    case FrqError::NoSeparator:
        load.result = FrqResult::NoLine;
        load.why =
            QStringLiteral("Entry %1 of %2 is not followed by an empty line.").arg(entry, path);
        break;
    }
    return load;
}

FrqLoad FrqFile::ReadRackFile(const QString& name, RangeRule range,
                              const FrqDocument& start) const {
    if (!FrqFileExists(name)) {
        FrqLoad load;
        load.read.document = start;
        load.result = FrqResult::NoFile;
        load.why = QStringLiteral("%1 does not exist.").arg(QDir::toNativeSeparators(pathOf(name)));
        return load;
    }
    FrqReadRules rules = ReadRules(FrqReader::Rack);
    rules.keepOutOfRange = range == RangeRule::KeepOutOfRange;
    return read(name, rules, start);
}

FrqLoad FrqFile::ReadEditorFile(const QString& name, const EditorDocument& start) const {
    return read(name, ReadRules(FrqReader::Editor),
                FrqDocument{start.EntryCount, start.GlobalMuteLevel, start.EditData});
}

EditorDocument FrqFile::EditorDocumentOf(const FrqLoad& load, const EditorDocument& start) {
    EditorDocument editor = start;
    editor.EntryCount = load.read.document.EntryCount.value_or(start.EntryCount);
    editor.GlobalMuteLevel = load.read.document.GlobalMuteLevel;
    editor.EditData = load.read.document.Entries;
    return editor;
}

void FrqFile::TellReadFailure(Prompter& prompter, FrqReader reader, const QString& name,
                              const FrqLoad& load) {
    MessageBoxSpec box;
    if (load.result == FrqResult::Failed) {
        box.text =
            QStringLiteral("An error occurred reading the file\r\nThe file may be corrupt\r\n") +
            QString::number(load.code);
        box.icon = MsgIcon::Critical;
    } else if (load.result == FrqResult::Exit) {
        box.title = QStringLiteral("Possible file error");
        box.text = OutOfRangeText(reader, load.read.frequencyLine, name);
    } else {
        return;
    }
    prompter.ShowMessage(box);
}

} // namespace k7
