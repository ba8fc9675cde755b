// The .frq frequency file: two writers (the editor's table, the rack's working settings) and
// two readers (the editor reader, the rack loader) with their checks and messages. Files are
// Windows-1252 text with CR LF line ends in the data folder "USB Files"; every write goes
// through QSaveFile, so a failed write leaves the previous file intact.
#pragma once

#include <QString>
#include <QStringList>

namespace k7 {

struct DeviceTables;
struct FileState;
class FrequencyChecker;
class Prompter;
class RackSettings;
class StartupDialogPort;

// What the rack loader does with a frequency outside the receivers' band: keep it as read (at
// discovery's completion, where the pass's band guard keeps it off the air) or refuse the file
// with a message.
enum class RangeRule { KeepOutOfRange, RefuseOutOfRange };

class FrqFile {
public:
    // dataFolder: the "USB Files" folder itself. The rack loader sets the user mute of the
    // settings in force (RackSettings); everything else it reads.
    FrqFile(QString dataFolder, FileState& files, RackSettings& rack, const DeviceTables& devices,
            FrequencyChecker& checker, Prompter& prompter, StartupDialogPort* dialog);

    const QString& dataFolder() const { return dataFolder_; }
    bool FrqFileExists(const QString& name) const;
    // The writers return false (and leave any previous file untouched) when the file cannot be
    // written; errorString() then says why.
    bool SaveEditorFile(const QString& name);
    bool SaveCurrentFile(const QString& name);
    // The file name on success, else "No frq file", "NUMBER", "EXIT", "NOLINE" or "".
    QString ReadEditorFile(const QString& name);
    QString LoadRackFile(const QString& name, RangeRule range);
    QString errorString() const { return error_; }

    // The layout every writer shares: the header and file-level values, then five lines per
    // entry. WriteLines writes them with CR LF line ends, all or nothing.
    static QStringList FileHead(const QString& entryCount, const QString& globalMute);
    static void AppendEntry(QStringList& lines, const QString& name, const QString& frequency,
                            const QString& muteLevel, const QString& bandType);
    bool WriteLines(const QString& name, const QStringList& lines);
    // A bare file name: not empty, no folder, no "..".
    static bool IsPlainFileName(const QString& name);
    // Files larger than this are not frequency files; the readers refuse them.
    static constexpr qint64 kMaxFileBytes = 64 * 1024;

private:
    enum class Reader { Editor, Rack };
    QString read(const QString& name, Reader reader, RangeRule range);
    QString readFailed(Reader reader, int code, const QString& why);
    void hideDialog();
    QString pathOf(const QString& name) const;
    QString dataFolder_;
    FileState& files_;
    RackSettings& rack_;
    const DeviceTables& devices_;
    FrequencyChecker& checker_;
    Prompter& prompter_;
    StartupDialogPort* dialog_;
    QString error_;
};

} // namespace k7
