#include "FileCommands.h"

#include "control/ReceiverPanel.h"
#include "editor/FileChoice.h"
#include "editor/FrequencyEditor.h"
#include "files/DefaultFiles.h"
#include "files/FrqFile.h"
#include "files/NameSets.h"
#include "files/RackFile.h"
#include "link/DeviceTables.h"
#include "platform/ActionLog.h"
#include "platform/SettingsStore.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");

MessageBoxSpec ReadFailed(const QString& text) {
    MessageBoxSpec box;
    box.text = text;
    box.icon = MsgIcon::Exclamation;
    return box;
}

} // namespace

void FileCommands::mnuOpen() {
    if (!w_.available()) {
        return;
    }
    if (w_.panel.visible()) {
        w_.panel.Hide();
    }
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, w_.engine, w_.frq};
    FileDialogSpec dialog = FrqFileDialog(
        FrqDialog::Main, QStringLiteral("Open an Veltora Frequency file"), w_.frq.dataFolder());
    dialog.hideReadOnly = true;
    const std::optional<QString> name = ChooseFrqFile(choice, dialog, false);
    if (!name || !w_.available()) {
        return;
    }
    // The rack's file would be written by the rack and by the editor at once.
    if (w_.editor.state().visible && w_.frq.SameFile(*name, w_.editor.document().EditFile)) {
        MessageBoxSpec box;
        box.text = *name + QStringLiteral(" is open in the frequency editor.") + kCrLf +
                   QStringLiteral("Press Finish in the editor, then load the file.") + kCrLf;
        box.title = *name + QStringLiteral(" file open ");
        AskWithPollingPaused(w_.prompter, w_.engine, box);
        return;
    }

    TimerPause pause = w_.engine.PauseForFileLoad();
    // A read that fails leaves the rack's file state as it was.
    const FrqLoad load = w_.rackFile.LoadIntoRack(*name);
    if (!load.ok()) {
        FrqFile::TellReadFailure(w_.prompter, FrqReader::Rack, *name, load);
        w_.prompter.ShowMessage(ReadFailed(QStringLiteral("An error occurred reading the file") +
                                           kCrLf + QStringLiteral("Exiting file load") + kCrLf));
        return;
    }
    w_.shell.ShowTitleSuffix(QStringLiteral("FILE: ") +
                             name->left(std::max<qsizetype>(name->size() - 4, 0)));
    // The pass restarts metering when it ends: until then the stopped timers stay stopped.
    pause.Keep();
    if (w_.engine.StartProgrammingPass(PassKind::Full)) {
        w_.actions.Action(0, QString(), QStringLiteral("file-load"),
                          QStringLiteral("%1, every setting to every receiver (%2)")
                              .arg(*name)
                              .arg(std::clamp(w_.devices.DeviceCount, 0, kMaxSlots)));
    }
}

std::optional<QString> FileCommands::chooseEditorFile(const FileDialogSpec& dialog, bool save,
                                                      const QString& refusal, const QString& what) {
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, w_.engine, w_.frq};
    const std::optional<QString> name = ChooseFrqFile(choice, dialog, save);
    if (!name || !w_.available()) {
        return std::nullopt;
    }
    if (*name == DefaultFileName()) {
        AskWithPollingPaused(w_.prompter, w_.engine, DefaultFileRefusal(refusal, what));
        return std::nullopt;
    }
    // The rack's own changes write the file in force: the editor must not write it as well.
    if (w_.rackFile.InForce(*name)) {
        AskWithPollingPaused(w_.prompter, w_.engine, InUseRefusal(*name));
        return std::nullopt;
    }
    return name;
}

void FileCommands::mnuEdit() {
    if (!w_.available()) {
        return;
    }
    FrequencyEditor& editor = w_.editor;
    editor.ClearStatus();
    const std::optional<QString> name = chooseEditorFile(
        FrqFileDialog(FrqDialog::Main, QStringLiteral("Open an K7 series frequency file"),
                      w_.frq.dataFolder()),
        false, QStringLiteral("edit Default.frq "), QStringLiteral("file"));
    if (!name) {
        return;
    }
    TimerPause pause = w_.engine.PausePolling();
    // Read apart from the editor's document: a read that fails halfway leaves the set the
    // editor may be showing untouched.
    const FrqLoad load = w_.frq.ReadEditorFile(*name, editor.document());
    if (!load.ok()) {
        FrqFile::TellReadFailure(w_.prompter, FrqReader::Editor, *name, load);
        w_.prompter.ShowMessage(ReadFailed(QStringLiteral("An error occurred reading the file: ") +
                                           *name + kCrLf + QStringLiteral("Exiting file load") +
                                           kCrLf));
        return;
    }
    EditorDocument document = FrqFile::EditorDocumentOf(load, editor.document());
    document.EditFile = *name;
    editor.Open(document, EditorMode::Edit);
    editor.AdoptPause(std::move(pause));
    SaveLastTransfer(w_.settings, *name);
}

void FileCommands::mnuNew() {
    if (!w_.available()) {
        return;
    }
    FileDialogSpec dialog = FrqFileDialog(
        FrqDialog::Main, QStringLiteral("New Veltora Frequency file"), w_.frq.dataFolder());
    dialog.hideReadOnly = true;
    dialog.confirmOverwrite = false; // the command asks its own question
    // Default.frq is refused whether or not it is there.
    const std::optional<QString> name = chooseEditorFile(
        dialog, true, QStringLiteral("overwrite Default.frq "), QStringLiteral("name"));
    if (!name) {
        return;
    }
    TimerPause pause;
    const bool replaced = w_.frq.FrqFileExists(*name);
    if (replaced) {
        pause = w_.engine.PausePolling();
        if (w_.prompter.ShowMessage(OverwriteQuestion(*name)) != MsgAnswer::Yes) {
            return;
        }
    }
    EditorDocument document;
    document.EditFile = *name;
    w_.defaults.InitEditorDefaults(document);
    if (const FileResult saved = w_.frq.SaveEditorFile(*name, document); !saved) {
        AskWithPollingPaused(w_.prompter, w_.engine, NotSaved(*name, saved.why()));
        return;
    }
    SaveLastTransfer(w_.settings, *name);
    w_.actions.Action(
        0, QString(), QStringLiteral("file-new"),
        QStringLiteral("%1, the band's defaults%2")
            .arg(*name, replaced ? QStringLiteral(" over the previous file") : QString()));
    w_.editor.OpenNewFile(document);
    // After "Yes" the timers stopped for the question stay stopped while the file is edited.
    w_.editor.AdoptPause(std::move(pause));
}

} // namespace k7
