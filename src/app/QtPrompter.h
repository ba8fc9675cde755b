// The Prompter and FileChooser ports on QMessageBox and QFileDialog, for the program.
#pragma once

#include "platform/FileChooser.h"
#include "platform/Prompter.h"

class QWidget;

namespace k7 {

class QtPrompter final : public Prompter {
public:
    // parent: the window the boxes belong to (may change once the main window exists).
    void setParent(QWidget* parent) { parent_ = parent; }
    MsgAnswer ShowMessage(const MessageBoxSpec& box) override;

private:
    QWidget* parent_ = nullptr;
};

class QtFileChooser final : public FileChooser {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<QString> ChooseOpenFile(const FileDialogSpec& dialog) override;
    std::optional<QString> ChooseSaveFile(const FileDialogSpec& dialog) override;

private:
    QWidget* parent_ = nullptr;
};

} // namespace k7
