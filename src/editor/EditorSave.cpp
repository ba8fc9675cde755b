// "Save" of the editor's File menu: the set under a new name, after which the editor edits that
// file.
#include "FrequencyEditor.h"

#include "FileChoice.h"
#include "files/FrqFile.h"
#include "files/NameSets.h"
#include "files/RackFile.h"

namespace k7 {

void FrequencyEditor::mnuSave() {
    if (state_.rows.empty()) {
        return;
    }
    const std::optional<QString> name = SaveEditorAs();
    // Without a valid new name the editor stays as it was: a set without a file name stays
    // read-only, so nothing is ever written without one.
    if (!name) {
        notify();
        return;
    }
    if (mode_ == EditorMode::Upload) {
        reopenSavedUpload(*name);
        return;
    }
    document_.EditFile = *name;
    state_.caption = CaptionFor(*name);
    EnterMode(EditorMode::Edit);
}

std::optional<QString> FrequencyEditor::SaveEditorAs() {
    const FileChoiceWiring choice{w_.chooser, w_.prompter, w_.engine, w_.frq};
    FileDialogSpec dialog = FrqFileDialog(
        FrqDialog::Editor, QStringLiteral("Save the Frequency file"), w_.frq.dataFolder());
    // The protected files are refused before any question: only a file that may be replaced is
    // asked about (below).
    dialog.confirmOverwrite = false;
    const std::optional<QString> name = ChooseFrqFile(choice, dialog, true);
    if (!name) {
        return std::nullopt;
    }
    if (*name == DefaultFileName()) {
        AskWithPollingPaused(
            w_.prompter, w_.engine,
            DefaultFileRefusal(QStringLiteral("save as Default.frq "), QStringLiteral("filename")));
        return std::nullopt;
    }
    // The rack's file in force is written by the rack's own changes: a second writer would
    // undo them.
    if (w_.rackFile.InForce(*name)) {
        AskWithPollingPaused(w_.prompter, w_.engine, InUseRefusal(*name));
        return std::nullopt;
    }
    if (w_.frq.FrqFileExists(*name) &&
        AskWithPollingPaused(w_.prompter, w_.engine, OverwriteQuestion(*name)) != MsgAnswer::Yes) {
        return std::nullopt;
    }
    if (const FileResult saved = w_.frq.SaveEditorFile(*name, document_); !saved) {
        AskWithPollingPaused(w_.prompter, w_.engine, NotSaved(*name, saved.why()));
        return std::nullopt;
    }
    SaveLastTransfer(w_.settings, *name);
    logSave(*name,
            QStringLiteral("the editor's %1 entries under a new name").arg(document_.EntryCount));
    state_.mnuFileEnabled = false;
    return *name;
}

} // namespace k7
