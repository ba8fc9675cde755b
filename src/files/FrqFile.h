// The .frq files in the data folder "USB Files": the rack's loader and current-file writer and
// the editor's reader and writer, each a policy over the pure codec (FrqCodec.h): which tables
// a read fills, what the operator is told and how. Files are Windows-1252 text with CR LF line
// ends; every write goes through QSaveFile, so a failed write leaves the previous file intact.
#pragma once

#include "EditorDocument.h"
#include "FrqCodec.h"

#include <QString>

#include <functional>

namespace k7 {

struct DeviceTables;
struct FileState;
class FrequencyChecker;
class Prompter;
class RackSettings;

// What the rack loader does with a frequency outside the receivers' band: keep it as read (at
// discovery's completion, where the pass's band guard keeps it off the air) or refuse the file
// with a message.
enum class RangeRule { KeepOutOfRange, RefuseOutOfRange };

class FrqFile {
public:
    // dataFolder: the "USB Files" folder itself. The rack's side reads and writes the rack's
    // file state and sets the user mute of the settings in force (RackSettings).
    FrqFile(QString dataFolder, FileState& files, RackSettings& rack, const DeviceTables& devices,
            FrequencyChecker& checker, Prompter& prompter);

    const QString& dataFolder() const { return dataFolder_; }
    bool FrqFileExists(const QString& name) const;

    // The writers return false (and leave any previous file untouched) when the file cannot be
    // written; errorString() then says why.
    // The rack's file: CurData with the rack's EntryCount and GlobalMuteLevel.
    bool SaveCurrentFile(const QString& name);
    // The editor's file: its names (EditNames) with the rest of EditData, its count and mute.
    bool SaveEditorFile(const QString& name, const EditorDocument& editor);
    // Any document.
    bool WriteFile(const QString& name, const FrqDocument& document);

    // The readers return the file name on success, else "No frq file", "NUMBER", "EXIT",
    // "NOLINE" or "". What was read before a failure stays in the tables.
    // Into LoadData and the rack's EntryCount and GlobalMuteLevel. beforeMessage runs before
    // any box the load shows (discovery hides the start-up dialog there).
    QString LoadRackFile(const QString& name, RangeRule range,
                         const std::function<void()>& beforeMessage = {});
    // Into the editor's EditData (names in the six-character form), EntryCount and
    // GlobalMuteLevel; EditFile and EditNames are the editor's to set.
    QString ReadEditorFile(const QString& name, EditorDocument& editor);

    QString errorString() const { return error_; }
    // A bare file name: not empty, no folder, no "..".
    static bool IsPlainFileName(const QString& name);
    // The bare name of a chosen path that lies in the data folder (links resolved); none for a
    // path elsewhere, so that a file of another folder is never mistaken for one of ours.
    std::optional<QString> NameInDataFolder(const QString& path) const;
    // True when the two names are one file of the data folder (links resolved).
    bool SameFile(const QString& a, const QString& b) const;
    // True when the name is the file in force for the rack: CurrentFile while a file is in use
    // or loaded at start.
    bool InForce(const QString& name) const;
    // The rules a reader applies here: the interface's model, the user's separator, the band of
    // the entry's slot (the rack's reader) or of slot 1 (the editor's); out-of-range refused.
    FrqReadRules ReadRules(FrqReader reader) const;

private:
    QString pathOf(const QString& name) const;
    // The file's bytes (at most one more than a frequency file may hold); none when it cannot
    // be opened.
    std::optional<QByteArray> readBytes(const QString& name);
    // The result text of a read that ran, and what the operator is told about it.
    QString finish(FrqReader reader, const QString& name, const FrqRead& read,
                   const std::function<void()>& beforeMessage);
    QString readFailed(int code, const QString& why, const std::function<void()>& beforeMessage);

    QString dataFolder_;
    FileState& files_;
    RackSettings& rack_;
    const DeviceTables& devices_;
    FrequencyChecker& checker_;
    Prompter& prompter_;
    QString error_;
};

} // namespace k7
