#include "StartupDialogController.h"

#include <algorithm>
#include <cmath>

namespace k7 {

QString DialogStateName(const StartupDialogState& state) {
    if (!state.visible) {
        return QStringLiteral("hidden");
    }
    if (state.query) {
        return QStringLiteral("query");
    }
    if (state.close) {
        return QStringLiteral("close");
    }
    if (state.continueButton || state.closeButton) {
        return QStringLiteral("exit");
    }
    return QStringLiteral("startup");
}

QString SecondsText(int seconds) {
    return QString::number(seconds) +
           (seconds == 1 ? QStringLiteral(" Second") : QStringLiteral(" Seconds"));
}

QPoint PlaceStartupDialog(const QRect& mainWindow, const QSize& dialog, int deviceCount,
                          bool activation) {
    if (activation && deviceCount < 5) {
        return mainWindow.topLeft();
    }
    // Halves round to the even neighbour, as the window positions always did.
    const auto centre = [](int start, int length, int inner) {
        return static_cast<int>(std::nearbyint(start + length / 2.0 - inner / 2.0));
    };
    return {centre(mainWindow.left(), mainWindow.width(), dialog.width()),
            centre(mainWindow.top(), mainWindow.height(), dialog.height())};
}

StartupDialogController::StartupDialogController(TimerFactory& timers,
                                                 StartupDialogActions& actions)
    : tmrClose_(timers.createTimer()), actions_(actions) {
    tmrClose_->setEnabled(false);
    tmrClose_->setInterval(kTickMs);
    tmrClose_->setHandler([this] { CountdownTick(); });
}

void StartupDialogController::Load(int major, int minor, int revision) {
    setCountdown(false);
    remaining_ = kCloseSeconds;
    state_.version = QStringLiteral("Ver: %1.%2.%3").arg(major).arg(minor).arg(revision);
    changed();
}

void StartupDialogController::SetReceiverCount(const QString& text) {
    state_.receiverCount = text;
    changed();
}

void StartupDialogController::SetProgressRange(int minimum, int maximum) {
    state_.progressMinimum = minimum;
    state_.progressMaximum = std::max(minimum, maximum);
    state_.progress = std::clamp(state_.progress, minimum, state_.progressMaximum);
    changed();
}

void StartupDialogController::ShowExitConfirmation() {
    setCountdown(false);
    state_.close = false;
    state_.query = false;
    state_.picture = true;
    state_.closeButton = true;
    state_.continueButton = true;
    state_.closeButtonFocused = false;
    state_.rescanButton = false;
    state_.visible = true;
    changed();
}

void StartupDialogController::PressYes() {
    answerQuery(true);
}

void StartupDialogController::PressNo() {
    answerQuery(false);
}

void StartupDialogController::answerQuery(bool yes) {
    setCountdown(false);
    state_.close = false;
    state_.query = false;
    state_.picture = true;
    state_.continueButton = true;
    state_.closeButton = true;
    state_.rescanButton = false;
    changed();
    actions_.QueryAnswered(yes);
}

void StartupDialogController::PressContinue() {
    actions_.ContinuePressed();
}

void StartupDialogController::PressCloseNow() {
    setCountdown(false);
    state_.status.clear();
    changed();
    actions_.CloseNowPressed();
}

void StartupDialogController::PressRescan() {
    if (!state_.rescanButton) {
        return; // only the closing form offers it
    }
    setCountdown(false);
    actions_.RescanPressed();
}

void StartupDialogController::CountdownTick() {
    if (state_.query) {
        ++queryTicks_;
        remaining_ = kQuerySeconds - queryTicks_;
        state_.lblFSec = SecondsText(remaining_);
        changed();
        if (remaining_ <= 0) {
            PressNo();
        }
    } else if (state_.close) {
        --remaining_;
        state_.lblSec = SecondsText(remaining_);
        changed();
        if (remaining_ <= 0) {
            PressCloseNow();
        }
    }
}

void StartupDialogController::StopCountdown() {
    setCountdown(false);
}

void StartupDialogController::SetActivity(const QString& text) {
    if (state_.lblRx != text) {
        state_.lblRx = text;
        changed();
    }
}

void StartupDialogController::SetReceiverNumber(const QString& text) {
    if (state_.lblRxNo != text) {
        state_.lblRxNo = text;
        changed();
    }
}

void StartupDialogController::SetProgress(int value) {
    // A value outside the bar's range is not shown (as a progress bar refuses it).
    if (value < state_.progressMinimum || value > state_.progressMaximum ||
        value == state_.progress) {
        return;
    }
    state_.progress = value;
    changed();
}

void StartupDialogController::ShowProgress() {
    state_.picture = true;
    state_.query = false;
    state_.close = false;
    state_.continueButton = false;
    state_.closeButton = false;
    state_.closeButtonFocused = false;
    state_.rescanButton = false;
    state_.visible = true;
    changed();
}

void StartupDialogController::ShowQuery() {
    state_.picture = false;
    state_.close = false;
    state_.query = true;
    state_.closeButton = false;
    state_.continueButton = false;
    state_.closeButtonFocused = false;
    state_.rescanButton = false;
    state_.visible = true;
    changed();
    setCountdown(true);
}

void StartupDialogController::ShowCloseCountdown() {
    // Each close countdown starts again from 21, also after a question that ran out and left
    // the shared count at 0, so that it always ends.
    remaining_ = kCloseSeconds;
    state_.continueButton = false;
    state_.picture = false;
    state_.query = false;
    state_.close = true;
    state_.closeButton = true;
    state_.closeButtonFocused = true;
    state_.rescanButton = true;
    state_.visible = true;
    changed();
    setCountdown(true);
}

void StartupDialogController::HideDialog() {
    if (state_.visible) {
        state_.visible = false;
        changed();
    }
}

void StartupDialogController::setCountdown(bool on) {
    if (tmrClose_->enabled() == on) {
        return;
    }
    tmrClose_->setEnabled(on);
    if (timerObserver_) {
        timerObserver_(on, tmrClose_->interval());
    }
}

void StartupDialogController::changed() {
    for (const auto& observer : observers_) {
        observer();
    }
}

} // namespace k7
