#include "MainWindowController.h"

namespace k7 {

void MainWindowController::SetTitleBase(const QString& titleBase) {
    titleBase_ = titleBase;
    setCaption(titleBase_);
}

void MainWindowController::HideFileCommands() {
    if (state_.fileCommandsVisible) {
        state_.fileCommandsVisible = false;
        changed();
    }
}

void MainWindowController::SetFileCommandsEnabled(bool enabled) {
    if (state_.fileCommandsEnabled != enabled) {
        state_.fileCommandsEnabled = enabled;
        changed();
    }
}

void MainWindowController::SetMeterNotice(const QString& text) {
    if (state_.meterNotice != text) {
        state_.meterNotice = text;
        changed();
    }
}

void MainWindowController::SetActiveAlerts(int count) {
    const QString caption =
        count > 0 ? QStringLiteral("Alerts (%1)").arg(count) : QStringLiteral("Alerts");
    if (state_.alertsCaption != caption) {
        state_.alertsCaption = caption;
        changed();
    }
}

void MainWindowController::SetAlarmBanner(const QString& text) {
    if (state_.alarmBanner != text) {
        state_.alarmBanner = text;
        changed();
    }
}

void MainWindowController::SetArrangement(PanelArrangement arrangement) {
    if (state_.arrangement != arrangement) {
        state_.arrangement = arrangement;
        changed();
    }
}

void MainWindowController::SetLoadLastFileChecked(bool checked) {
    if (state_.loadLastFileChecked != checked) {
        state_.loadLastFileChecked = checked;
        changed();
    }
}

void MainWindowController::SetRescanAfterUsbChangeChecked(bool checked) {
    if (state_.rescanAfterUsbChangeChecked != checked) {
        state_.rescanAfterUsbChangeChecked = checked;
        changed();
    }
}

void MainWindowController::KeyPressed(int key) {
    if (key == kEscapeKey) {
        actions_.ExitRequested(ExitSource::EscapeKey);
    } else if (key == kAcknowledgeKey) {
        actions_.AcknowledgeAlarmChosen();
    }
}

bool MainWindowController::CloseRequested() {
    if (exitConfirmed_) {
        return true;
    }
    actions_.ExitRequested(ExitSource::CloseBox);
    return false;
}

void MainWindowController::ShowTitleSuffix(const QString& suffix) {
    setCaption(titleBase_ + suffix);
}

void MainWindowController::FocusMeterPanel() {
    ++state_.meterPanelFocusRequests;
    changed();
}

void MainWindowController::setCaption(const QString& caption) {
    if (state_.caption != caption) {
        state_.caption = caption;
        changed();
    }
}

void MainWindowController::changed() {
    for (const auto& observer : observers_) {
        observer();
    }
}

} // namespace k7
