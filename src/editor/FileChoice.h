// Choosing a frequency file, shared by the File menu commands and the editor's "Save": the
// dialogs' set-up, the rule that a file lies in the data folder, the protected files and the
// messages that refuse them. Boxes are shown with polling paused, as every question is.
#pragma once

#include "platform/FileChooser.h"
#include "platform/Prompter.h"

#include <QString>

#include <optional>

namespace k7 {

class FrqFile;
class RackCommands;

inline QString DefaultFileName() {
    return QStringLiteral("Default.frq");
}

// The dialog in the data folder with no file name: the main window's (dlgFile, whose filter's
// description begins with a quote character) or the editor's (FreqDlg).
enum class FrqDialog { Main, Editor };
FileDialogSpec FrqFileDialog(FrqDialog which, const QString& title, const QString& folder);

// A box with the polling timers that run stopped while it is up, restarted after it.
MsgAnswer AskWithPollingPaused(Prompter& prompter, RackCommands& engine, const MessageBoxSpec& box);

struct FileChoiceWiring {
    FileChooser* chooser; // none: the dialog counts as cancelled
    Prompter& prompter;
    RackCommands& engine;
    const FrqFile& frq;
};

// The bare name of the chosen file; none when the dialog was cancelled or the file lies in
// another folder (the operator is told which folder holds the frequency files).
std::optional<QString> ChooseFrqFile(const FileChoiceWiring& wiring, const FileDialogSpec& dialog,
                                     bool save);

// "Default File ": "You cannot <refusal>" + CR LF + "Please choose a different <what>" + CR LF.
MessageBoxSpec DefaultFileRefusal(const QString& refusal, const QString& what);
// The file in force for the rack: its name in the text and the title.
MessageBoxSpec InUseRefusal(const QString& name);
// "File overwrite": whether to replace an existing file (Yes and No).
MessageBoxSpec OverwriteQuestion(const QString& name);
// A file that could not be written, with the reason and what to do.
MessageBoxSpec NotSaved(const QString& name, const QString& reason);

} // namespace k7
