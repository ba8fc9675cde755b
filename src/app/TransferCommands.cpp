// The File menu's transfer commands: "&Dowload file to Rx" opens a file in the editor to send
// it to a receiver, "&Upload file from Rx" opens the editor empty to fetch a receiver's set.
#include "FileCommands.h"

#include "StationCore.h"
#include "editor/FileChoice.h"

namespace k7 {

void FileCommands::mnuTransfer() {
    if (!w_.available()) {
        return;
    }
    StationCore& core = w_.core;
    FrequencyEditor& editor = core.frequencyEditor;
    TimerPause pause = core.engine.PausePolling();
    editor.ClearStatus();
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, core.engine, core.frq};
    const std::optional<QString> name = ChooseFrqFile(
        choice,
        FrqFileDialog(FrqDialog::Main, QStringLiteral("Transfer an K7 series frequency file"),
                      core.frq.dataFolder()),
        false);
    if (!name || !w_.available()) {
        pause.Resume();
        return;
    }
    // Read apart from the editor's document: a read that fails leaves it untouched.
    EditorDocument document = core.editor;
    const QString result = core.frq.ReadEditorFile(*name, document);
    if (result != *name) {
        // The reader has shown its own message, except for an entry without a frequency.
        if (result == QLatin1String("NUMBER")) {
            MessageBoxSpec box;
            box.text = QStringLiteral("An error occurred reading the file: ") + *name +
                       QStringLiteral("\r\n") + core.frq.errorString() + QStringLiteral("\r\n");
            box.icon = MsgIcon::Exclamation;
            w_.prompter.ShowMessage(box);
        }
        pause.Resume();
        return;
    }
    document.EditFile = *name;
    editor.Open(document, EditorMode::Transfer);
    editor.AdoptPause(std::move(pause));
}

void FileCommands::mnuUpload() {
    if (!w_.available()) {
        return;
    }
    // The editor stops polling itself as it becomes active.
    w_.core.frequencyEditor.OpenForUpload();
}

} // namespace k7
