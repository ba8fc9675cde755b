// Test doubles for what the shell's controllers call: the main window's and the start-up
// dialog's actions, recording every call.
#pragma once

#include "app/MainWindowController.h"
#include "app/StartupDialogController.h"

#include <vector>

namespace k7::test {

class RecordingWindowActions final : public MainWindowActions {
public:
    void ExitRequested(ExitSource source) override { exits.push_back(source); }
    void LoadLastFileToggled() override { ++toggles; }
    void RescanSettingToggled() override { ++rescanToggles; }
    void FileCommandChosen(FileCommand command) override { commands.push_back(command); }
    void WindowCommandChosen(WindowCommand command) override { windows.push_back(command); }
    void AboutChosen() override {}
    void ArrangementChosen(PanelArrangement arrangement) override {
        arrangements.push_back(arrangement);
    }
    void AcknowledgeAlarmChosen() override {}
    std::vector<ExitSource> exits;
    std::vector<PanelArrangement> arrangements;
    std::vector<FileCommand> commands;
    std::vector<WindowCommand> windows;
    int toggles = 0;
    int rescanToggles = 0;
};

class RecordingDialogActions final : public StartupDialogActions {
public:
    void QueryAnswered(bool loadLastFile) override { answers.push_back(loadLastFile); }
    void ContinuePressed() override { ++continues; }
    void CloseNowPressed() override { ++closes; }
    void RescanPressed() override { ++rescans; }
    std::vector<bool> answers;
    int continues = 0;
    int closes = 0;
    int rescans = 0;
};

} // namespace k7::test
