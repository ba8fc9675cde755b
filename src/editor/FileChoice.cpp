#include "FileChoice.h"

#include "files/FrqFile.h"
#include "rack/RackCommands.h"

#include <QDir>

namespace k7 {

FileDialogSpec FrqFileDialog(FrqDialog which, const QString& title, const QString& folder) {
    FileDialogSpec dialog;
    dialog.title = title;
    dialog.folder = folder;
    dialog.filter = which == FrqDialog::Main ? QStringLiteral("\"Frequency Files (*.frq)")
                                             : QStringLiteral("Frequency Files (*.frq)");
    dialog.defaultSuffix = QStringLiteral("frq");
    return dialog;
}

MsgAnswer AskWithPollingPaused(Prompter& prompter, RackCommands& engine,
                               const MessageBoxSpec& box) {
    const TimerPause pause = engine.PausePolling();
    return prompter.ShowMessage(box);
}

std::optional<QString> ChooseFrqFile(const FileChoiceWiring& wiring, const FileDialogSpec& dialog,
                                     bool save) {
    if (wiring.chooser == nullptr) {
        return std::nullopt;
    }
    const std::optional<QString> path =
        save ? wiring.chooser->ChooseSaveFile(dialog) : wiring.chooser->ChooseOpenFile(dialog);
    if (!path) {
        return std::nullopt;
    }
    if (const std::optional<QString> name = wiring.frq.NameInDataFolder(*path)) {
        return name;
    }
    // A file of the same name in the data folder is never read or overwritten in its place.
    MessageBoxSpec box;
    box.text = QStringLiteral("%1 is not in the folder of the frequency files.\r\nFrequency "
                              "files are kept in %2\r\nPlease choose a file in that folder\r\n")
                   .arg(QDir::toNativeSeparators(*path),
                        QDir::toNativeSeparators(wiring.frq.dataFolder()));
    box.title = QStringLiteral("File location");
    box.icon = MsgIcon::Exclamation;
    AskWithPollingPaused(wiring.prompter, wiring.engine, box);
    return std::nullopt;
}

MessageBoxSpec DefaultFileRefusal(const QString& refusal, const QString& what) {
    MessageBoxSpec box;
    box.text = QStringLiteral("You cannot ") + refusal +
               QStringLiteral("\r\nPlease choose a different ") + what + QStringLiteral("\r\n");
    box.title = QStringLiteral("Default File ");
    return box;
}

MessageBoxSpec InUseRefusal(const QString& name) {
    MessageBoxSpec box;
    box.text = name + QStringLiteral(" in use \r\nPlease choose a different file\r\n");
    box.title = name + QStringLiteral(" file open ");
    return box;
}

MessageBoxSpec OverwriteQuestion(const QString& name) {
    MessageBoxSpec box;
    box.text = QStringLiteral("You have chosen to overwrite ") + name +
               QStringLiteral("\r\nAll data will be lost\r\nDo you wish to continue? \r\n");
    box.title = QStringLiteral("File overwrite");
    box.buttons = MsgButtons::YesNo;
    return box;
}

MessageBoxSpec NotSaved(const QString& name, const QString& reason) {
    MessageBoxSpec box;
    box.text = QStringLiteral("The file %1 could not be written.\r\n%2\r\nCheck the folder \"USB "
                              "Files\" or choose another name, and try again.")
                   .arg(name, reason);
    box.title = QStringLiteral("File not saved");
    box.icon = MsgIcon::Exclamation;
    return box;
}

} // namespace k7
