// Open and save file dialogs. The result is the chosen path, or nothing when cancelled.
#pragma once

#include <QString>

#include <optional>

namespace k7 {

struct FileDialogSpec {
    QString title;
    QString folder;
    QString filter;        // e.g. "Frequency Files (*.frq)"
    QString defaultSuffix; // without the dot
    bool hideReadOnly = false;
    // A save dialog asks before it returns an existing file; off where the command asks its
    // own question.
    bool confirmOverwrite = true;

    // A dialog for a CSV file (the editor's entries, the receivers' labels).
    static FileDialogSpec Csv(const QString& title, const QString& folder) {
        FileDialogSpec dialog;
        dialog.title = title;
        dialog.folder = folder;
        dialog.filter = QStringLiteral("CSV files (*.csv)");
        dialog.defaultSuffix = QStringLiteral("csv");
        return dialog;
    }
};

class FileChooser {
public:
    virtual ~FileChooser() = default;
    virtual std::optional<QString> ChooseOpenFile(const FileDialogSpec& dialog) = 0;
    virtual std::optional<QString> ChooseSaveFile(const FileDialogSpec& dialog) = 0;
};

} // namespace k7
