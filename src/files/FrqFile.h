// The .frq files in the data folder "USB Files": reading a file into a document for the rack or
// the editor, and writing documents, each a policy over the pure codec (FrqCodec.h). A read
// returns what it read and how it ended (FrqLoad); the command that asked tells the operator
// (TellReadFailure shows the read's own box). Files are Windows-1252 text with CR LF line ends;
// every write goes through QSaveFile, so a failed write leaves the previous file intact.
#pragma once

#include "EditorDocument.h"
#include "FileResult.h"
#include "FrqCodec.h"
#include "rack/RackPorts.h"

#include <QString>

#include <optional>

namespace k7 {

struct DeviceTables;
struct RackTables;
class FrequencyChecker;
class Prompter;

// What the rack's reader does with a frequency outside the receivers' band: keep it as read (at
// discovery's completion, where the pass's band guard keeps it off the air) or refuse the file
// with a message.
enum class RangeRule { KeepOutOfRange, RefuseOutOfRange };

struct FrqLoad {
    FrqResult result = FrqResult::Failed;
    // The start document with what was read laid over it.
    FrqRead read;
    // What failed, naming the file (empty once read).
    QString why;
    // Failed: the number the read-failure box shows.
    int code = 0;
    bool ok() const { return result == FrqResult::Read; }
};

class FrqFile {
public:
    // dataFolder: the "USB Files" folder itself. The rack's tables give the user's decimal
    // separator; the devices and the checker the band each entry is read against.
    FrqFile(QString dataFolder, const RackTables& rack, const DeviceTables& devices,
            FrequencyChecker& checker);

    const QString& dataFolder() const { return dataFolder_; }
    bool FrqFileExists(const QString& name) const;

    // Any document; the editor's document (its names, EditNames, with the rest of EditData).
    // A failure leaves any previous file untouched.
    FileResult WriteFile(const QString& name, const FrqDocument& document) const;
    FileResult SaveEditorFile(const QString& name, const EditorDocument& editor) const;

    // The rack's reader: entry i against slot i's band, over the start document.
    FrqLoad ReadRackFile(const QString& name, RangeRule range, const FrqDocument& start = {}) const;
    // The editor's reader, over the editor's document (names in the six-character form).
    // EditFile and EditNames are the editor's to set.
    FrqLoad ReadEditorFile(const QString& name, const EditorDocument& start) const;
    // The document a read of the editor's file gives, laid over the start.
    static EditorDocument EditorDocumentOf(const FrqLoad& load, const EditorDocument& start);

    // The read's own box, if its result has one: the read-failure box with its number, or the
    // out-of-range box. Nothing for a read that ended well, found no file, no frequency or no
    // empty line (the command says more itself).
    static void TellReadFailure(Prompter& prompter, FrqReader reader, const QString& name,
                                const FrqLoad& load);
    static bool HasReadFailureBox(const FrqLoad& load) {
        return load.result == FrqResult::Failed || load.result == FrqResult::Exit;
    }

    // A bare file name: not empty, no folder, no "..".
    static bool IsPlainFileName(const QString& name);
    // The bare name of a chosen path that lies in the data folder (links resolved); none for a
    // path elsewhere, so that a file of another folder is never mistaken for one of ours.
    std::optional<QString> NameInDataFolder(const QString& path) const;
    // True when the two names are one file of the data folder (links resolved).
    bool SameFile(const QString& a, const QString& b) const;
    // The rules a reader applies here: the interface's model, the user's separator, the band of
    // the entry's slot (the rack's reader) or of slot 1 (the editor's); out-of-range refused.
    FrqReadRules ReadRules(FrqReader reader) const;

private:
    QString pathOf(const QString& name) const;
    FrqLoad read(const QString& name, const FrqReadRules& rules, const FrqDocument& start) const;

    QString dataFolder_;
    const RackTables& rack_;
    const DeviceTables& devices_;
    FrequencyChecker& checker_;
};

} // namespace k7
