// The File menu's transfer commands: "&Dowload file to Rx" opens a file in the editor to send
// it to a receiver, "&Upload file from Rx" opens the editor empty to fetch a receiver's set.
#include "FileCommands.h"

#include "editor/FileChoice.h"
#include "editor/FrequencyEditor.h"
#include "files/FrqFile.h"
#include "rack/RackCommands.h"

namespace k7 {

void FileCommands::mnuTransfer() {
    if (!w_.available()) {
        return;
    }
    FrequencyEditor& editor = w_.editor;
    TimerPause pause = w_.engine.PausePolling();
    editor.ClearStatus();
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, w_.engine, w_.frq};
    const std::optional<QString> name = ChooseFrqFile(
        choice,
        FrqFileDialog(FrqDialog::Main, QStringLiteral("Transfer an K7 series frequency file"),
                      w_.frq.dataFolder()),
        false);
    if (!name || !w_.available()) {
        return;
    }
    // Read apart from the editor's document: a read that fails leaves it untouched.
    const FrqLoad load = w_.frq.ReadEditorFile(*name, editor.document());
    if (!load.ok()) {
        // The read's own message, and for an entry without a frequency which one it is.
        FrqFile::TellReadFailure(w_.prompter, FrqReader::Editor, *name, load);
        if (load.result == FrqResult::Number) {
            MessageBoxSpec box;
            box.text = QStringLiteral("An error occurred reading the file: ") + *name +
                       QStringLiteral("\r\n") + load.why + QStringLiteral("\r\n");
            box.icon = MsgIcon::Exclamation;
            w_.prompter.ShowMessage(box);
        }
        return;
    }
    EditorDocument document = FrqFile::EditorDocumentOf(load, editor.document());
    document.EditFile = *name;
    editor.Open(document, EditorMode::Transfer);
    editor.AdoptPause(std::move(pause));
}

void FileCommands::mnuUpload() {
    if (!w_.available()) {
        return;
    }
    // The editor stops polling itself as it becomes active.
    w_.editor.OpenForUpload();
}

} // namespace k7
