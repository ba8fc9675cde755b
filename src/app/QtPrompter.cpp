#include "QtPrompter.h"

#include "Version.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

#include <vector>

namespace k7 {
namespace {

QMessageBox::Icon BoxIcon(MsgIcon icon) {
    switch (icon) {
    case MsgIcon::Information:
        return QMessageBox::Information;
    case MsgIcon::Exclamation:
        return QMessageBox::Warning;
    case MsgIcon::Critical:
        return QMessageBox::Critical;
    case MsgIcon::Question:
        return QMessageBox::Question;
    case MsgIcon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

MsgAnswer QtPrompter::ShowMessage(const MessageBoxSpec& box) {
    QMessageBox message(parent_);
    message.setIcon(BoxIcon(box.icon));
    message.setWindowTitle(box.title.isEmpty() ? QString::fromUtf8(version::Title) : box.title);
    QString text = box.text;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    message.setText(text);
    std::vector<std::pair<QPushButton*, MsgAnswer>> buttons;
    const auto add = [&](QMessageBox::StandardButton button, MsgAnswer answer) {
        buttons.emplace_back(message.addButton(button), answer);
    };
    switch (box.buttons) {
    case MsgButtons::OK:
        add(QMessageBox::Ok, MsgAnswer::OK);
        break;
    case MsgButtons::OKCancel:
        add(QMessageBox::Ok, MsgAnswer::OK);
        add(QMessageBox::Cancel, MsgAnswer::Cancel);
        break;
    case MsgButtons::YesNo:
        add(QMessageBox::Yes, MsgAnswer::Yes);
        add(QMessageBox::No, MsgAnswer::No);
        break;
    }
    const std::size_t defaultIndex =
        box.defaultButton >= 0 && static_cast<std::size_t>(box.defaultButton) < buttons.size()
            ? static_cast<std::size_t>(box.defaultButton)
            : 0;
    message.setDefaultButton(buttons[defaultIndex].first);
    if (box.foreground) {
        message.setWindowFlag(Qt::WindowStaysOnTopHint);
    }
    message.exec();
    for (const auto& [button, answer] : buttons) {
        if (message.clickedButton() == button) {
            return answer;
        }
    }
    // Closed without a button (Escape on a box without Cancel): the default button.
    return DefaultAnswer(box);
}

std::optional<QString> QtFileChooser::ChooseOpenFile(const FileDialogSpec& request) {
    const QString path =
        QFileDialog::getOpenFileName(parent_, request.title, request.folder, request.filter);
    return path.isEmpty() ? std::nullopt : std::optional<QString>(path);
}

std::optional<QString> QtFileChooser::ChooseSaveFile(const FileDialogSpec& request) {
    QFileDialog dialog(parent_, request.title, request.folder, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().first();
}

} // namespace k7
