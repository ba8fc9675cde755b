#include "ShowSheetCommand.h"

#include "ShowSheetPage.h"
#include "Trace.h"
#include "editor/FileChoice.h"
#include "files/WholeFile.h"
#include "platform/FileChooser.h"
#include "platform/Prompter.h"

#include <QDir>

namespace k7 {

namespace {

const QString kTitle = QStringLiteral("Print show sheet");

} // namespace

ShowSheet ShowSheetCommand::Sheet() const {
    return MakeShowSheet(w_.sources, QDateTime::currentDateTime());
}

std::optional<QString> ShowSheetCommand::Print() {
    FileDialogSpec dialog;
    dialog.title = kTitle;
    // The dialog proposes a name of the moment, in the data folder.
    dialog.folder =
        QDir(w_.dataFolder)
            .filePath(
                QStringLiteral("Show sheet %1.pdf")
                    .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HHmm"))));
    dialog.filter = QStringLiteral("PDF files (*.pdf)");
    dialog.defaultSuffix = QStringLiteral("pdf");
    const std::optional<QString> path = w_.chooser.ChooseSaveFile(dialog);
    if (!path) {
        return std::nullopt;
    }
    MessageBoxSpec box;
    box.title = kTitle;
    box.icon = MsgIcon::Exclamation;
    if (w_.available && !w_.available()) {
        box.text = QStringLiteral("The rack stopped metering while the file was chosen; no sheet "
                                  "was written.\r\nPrint the sheet again once metering runs.");
        AskWithPollingPaused(w_.prompter, w_.engine, box);
        return std::nullopt;
    }
    // The rack as it stands once the file is chosen, not as it stood when the dialog opened.
    int pages = 0;
    const QByteArray pdf = ShowSheetPdf(Sheet(), pages);
    QString error;
    if (pages == 0) {
        error = QStringLiteral("The sheet could not be laid out on a page.");
    } else if (WriteWholeFile(*path, pdf, error)) {
        w_.trace.Sheet(*path, pages);
        return path;
    }
    box.text = QStringLiteral("The show sheet could not be written to ") +
               QDir::toNativeSeparators(*path) + QStringLiteral(".\r\n") + error +
               QStringLiteral("\r\nChoose another folder, or free some space, and print the "
                              "sheet again.");
    AskWithPollingPaused(w_.prompter, w_.engine, box);
    return std::nullopt;
}

} // namespace k7
