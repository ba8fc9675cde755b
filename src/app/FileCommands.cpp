#include "FileCommands.h"

#include "MainWindowController.h"
#include "StationCore.h"
#include "editor/FileChoice.h"
#include "files/NameSets.h"
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
    StationCore& core = w_.core;
    if (core.panel.visible()) {
        core.panel.Hide();
    }
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, core.engine, core.frq};
    FileDialogSpec dialog = FrqFileDialog(
        FrqDialog::Main, QStringLiteral("Open an Veltora Frequency file"), core.frq.dataFolder());
    dialog.hideReadOnly = true;
    const std::optional<QString> name = ChooseFrqFile(choice, dialog, false);
    if (!name || !w_.available()) {
        return;
    }
    // The rack's file would be written by the rack and by the editor at once.
    const FrequencyEditor& editor = core.frequencyEditor;
    if (editor.state().visible && core.frq.SameFile(*name, editor.document().EditFile)) {
        MessageBoxSpec box;
        box.text = *name + QStringLiteral(" is open in the frequency editor.") + kCrLf +
                   QStringLiteral("Press Finish in the editor, then load the file.") + kCrLf;
        box.title = *name + QStringLiteral(" file open ");
        AskWithPollingPaused(w_.prompter, core.engine, box);
        return;
    }

    TimerPause pause = core.engine.PauseForFileLoad();
    // A read that fails leaves the rack's file state and user mutes as they were.
    const FileState files = core.files;
    const auto userMute = core.rack.UserMute;
    const QString result = core.frq.LoadRackFile(*name, RangeRule::RefuseOutOfRange);
    if (result != *name) {
        core.files.EntryCount = files.EntryCount;
        core.files.GlobalMuteLevel = files.GlobalMuteLevel;
        core.files.LoadData = files.LoadData;
        for (int slot = 1; slot <= kMaxSlots; ++slot) {
            core.settings.SetUserMute(slot, userMute[static_cast<std::size_t>(slot)]);
        }
        w_.prompter.ShowMessage(ReadFailed(QStringLiteral("An error occurred reading the file") +
                                           kCrLf + QStringLiteral("Exiting file load") + kCrLf));
        pause.Resume();
        return;
    }
    core.defaults->CopyLoadToCurrent();
    core.files.CurrentFile = *name;
    SaveLastSet(w_.settings, *name);
    core.files.FileInUse = true;
    w_.window.ShowTitleSuffix(QStringLiteral("FILE: ") +
                              name->left(std::max<qsizetype>(name->size() - 4, 0)));
    // The pass restarts metering when it ends: until then the stopped timers stay stopped.
    if (core.engine.StartProgrammingPass(PassKind::Full)) {
        core.monitor.actions().Action(0, QString(), QStringLiteral("file-load"),
                                      QStringLiteral("%1, every setting to every receiver (%2)")
                                          .arg(*name)
                                          .arg(std::clamp(core.devices.DeviceCount, 0, kMaxSlots)));
    }
}

std::optional<QString> FileCommands::chooseEditorFile(const FileDialogSpec& dialog, bool save,
                                                      const QString& refusal, const QString& what) {
    StationCore& core = w_.core;
    const FileChoiceWiring choice{&w_.chooser, w_.prompter, core.engine, core.frq};
    const std::optional<QString> name = ChooseFrqFile(choice, dialog, save);
    if (!name || !w_.available()) {
        return std::nullopt;
    }
    if (*name == DefaultFileName()) {
        AskWithPollingPaused(w_.prompter, core.engine, DefaultFileRefusal(refusal, what));
        return std::nullopt;
    }
    // The rack's own changes write the file in force: the editor must not write it as well.
    if (core.frq.InForce(*name)) {
        AskWithPollingPaused(w_.prompter, core.engine, InUseRefusal(*name));
        return std::nullopt;
    }
    return name;
}

void FileCommands::mnuEdit() {
    if (!w_.available()) {
        return;
    }
    StationCore& core = w_.core;
    FrequencyEditor& editor = core.frequencyEditor;
    editor.ClearStatus();
    const std::optional<QString> name = chooseEditorFile(
        FrqFileDialog(FrqDialog::Main, QStringLiteral("Open an K7 series frequency file"),
                      core.frq.dataFolder()),
        false, QStringLiteral("edit Default.frq "), QStringLiteral("file"));
    if (!name) {
        return;
    }
    TimerPause pause = core.engine.PausePolling();
    // Read apart from the editor's document: a read that fails halfway leaves the set the
    // editor may be showing untouched.
    EditorDocument document = core.editor;
    if (core.frq.ReadEditorFile(*name, document) != *name) {
        w_.prompter.ShowMessage(ReadFailed(QStringLiteral("An error occurred reading the file: ") +
                                           *name + kCrLf + QStringLiteral("Exiting file load") +
                                           kCrLf));
        pause.Resume();
        return;
    }
    document.EditFile = *name;
    editor.Open(document, EditorMode::Edit);
    editor.AdoptPause(std::move(pause));
    SaveLastTransfer(w_.settings, *name);
}

void FileCommands::mnuNew() {
    if (!w_.available()) {
        return;
    }
    StationCore& core = w_.core;
    FileDialogSpec dialog = FrqFileDialog(
        FrqDialog::Main, QStringLiteral("New Veltora Frequency file"), core.frq.dataFolder());
    dialog.hideReadOnly = true;
    dialog.confirmOverwrite = false; // the command asks its own question
    // Default.frq is refused whether or not it is there.
    const std::optional<QString> name = chooseEditorFile(
        dialog, true, QStringLiteral("overwrite Default.frq "), QStringLiteral("name"));
    if (!name) {
        return;
    }
    TimerPause pause;
    const bool replaced = core.frq.FrqFileExists(*name);
    if (replaced) {
        pause = core.engine.PausePolling();
        MessageBoxSpec box;
        box.text = QStringLiteral("You have chosen to overwrite ") + *name + kCrLf +
                   QStringLiteral("All data will be lost") + kCrLf +
                   QStringLiteral("Do you wish to continue? ") + kCrLf;
        box.title = QStringLiteral("File overwrite");
        box.buttons = MsgButtons::YesNo;
        if (w_.prompter.ShowMessage(box) != MsgAnswer::Yes) {
            pause.Resume();
            return;
        }
    }
    EditorDocument document;
    document.EditFile = *name;
    core.defaults->InitEditorDefaults(document);
    if (!core.frq.SaveEditorFile(*name, document)) {
        AskWithPollingPaused(w_.prompter, core.engine, NotSaved(*name, core.frq.errorString()));
        pause.Resume();
        return;
    }
    SaveLastTransfer(w_.settings, *name);
    core.monitor.actions().Action(
        0, QString(), QStringLiteral("file-new"),
        QStringLiteral("%1, the band's defaults%2")
            .arg(*name, replaced ? QStringLiteral(" over the previous file") : QString()));
    core.frequencyEditor.OpenNewFile(document);
    // After "Yes" the timers stopped for the question stay stopped while the file is edited.
    core.frequencyEditor.AdoptPause(std::move(pause));
}

} // namespace k7
