// A prompter for tests: records every box and answers from a script, or with the box's
// default button once the script is used up.
#pragma once

#include "platform/FileChooser.h"
#include "platform/Prompter.h"

#include <deque>
#include <functional>
#include <optional>
#include <vector>

namespace k7::test {

class ScriptedPrompter final : public Prompter {
public:
    MsgAnswer ShowMessage(const MessageBoxSpec& box) override {
        boxes.push_back(box);
        if (onShow) {
            onShow(box); // what happens while the box is up
        }
        if (!answers.empty()) {
            const MsgAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return DefaultAnswer(box);
    }

    std::vector<MessageBoxSpec> boxes;
    std::deque<MsgAnswer> answers;
    std::function<void(const MessageBoxSpec&)> onShow;
};

class ScriptedFileChooser final : public FileChooser {
public:
    std::optional<QString> ChooseOpenFile(const FileDialogSpec& dialog) override {
        return next(dialog);
    }
    std::optional<QString> ChooseSaveFile(const FileDialogSpec& dialog) override {
        return next(dialog);
    }

    std::vector<FileDialogSpec> dialogs;
    std::deque<QString> choices; // the chosen paths in turn; an empty text is a cancel

private:
    std::optional<QString> next(const FileDialogSpec& dialog) {
        dialogs.push_back(dialog);
        if (choices.empty()) {
            return std::nullopt;
        }
        const QString choice = choices.front();
        choices.pop_front();
        if (choice.isEmpty()) {
            return std::nullopt;
        }
        return choice;
    }
};

} // namespace k7::test
