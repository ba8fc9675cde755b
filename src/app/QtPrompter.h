// The Prompter and FileChooser ports on QMessageBox and QFileDialog, for the program.
#pragma once

#include "platform/FileChooser.h"
#include "platform/Prompter.h"

#include <QPointer>
#include <QWidget>

namespace k7 {

class QtPrompter final : public Prompter {
public:
    // parent: the window the boxes belong to (may change once the main window exists). Guarded:
    // a box asked for after the window is gone (during the orderly stop) has no parent.
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parent() const { return parent_; }
    MsgAnswer ShowMessage(const MessageBoxSpec& box) override;

private:
    QPointer<QWidget> parent_;
};

class QtFileChooser final : public FileChooser {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    QWidget* parent() const { return parent_; }
    std::optional<QString> ChooseOpenFile(const FileDialogSpec& dialog) override;
    std::optional<QString> ChooseSaveFile(const FileDialogSpec& dialog) override;

private:
    QPointer<QWidget> parent_;
};

} // namespace k7
