// The start-up dialog without its window: which areas and buttons are shown, its labels, the
// progress bar and the one-second countdown of the load-last-file question and the close
// countdown. The QDialog is a thin view over this state; the rack drives it through
// StartupDialogPort and the station through the operations below.
#pragma once

#include "platform/Timer.h"
#include "rack/RackPorts.h"

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

namespace k7 {

struct StartupDialogState {
    bool visible = false;
    bool picture = true;
    bool query = false;          // frQuery
    bool close = false;          // frClose
    bool continueButton = false; // cmdContinue
    bool closeButton = false;    // cmdClose
    bool closeButtonFocused = false;
    bool rescanButton = false; // cmdRescan, beside "Close now" in the closing form
    QString version;           // lblV
    QString receiverCount;     // the receiver-count label beside "USB Connections:"
    QString lblRx = QStringLiteral("Checking Rx:");
    QString lblRxNo = QStringLiteral("1");
    int progressMinimum = 1;
    int progressMaximum = 1;
    int progress = 1;
    QString lblFSec;    // seconds left of the question
    QString lblSec;     // seconds left of the close countdown
    QStringList status; // lstStatus
    bool operator==(const StartupDialogState&) const = default;
};

// "startup", "exit", "query", "close" or "hidden": what the dialog shows.
QString DialogStateName(const StartupDialogState& state);
// "10 Seconds", "1 Second".
QString SecondsText(int seconds);

// Where the dialog goes over the main window (both in pixels, screen coordinates). At load, and
// at activation with five or more devices, it is centred on the main window; at activation with
// fewer, its top-left corner is the main window's.
QPoint PlaceStartupDialog(const QRect& mainWindow, const QSize& dialog, int deviceCount,
                          bool activation);

// What the dialog's buttons set off in the station.
class StartupDialogActions {
public:
    virtual ~StartupDialogActions() = default;
    // After "Yes" (true: load the last file after all) or "No" (use the receivers' data).
    virtual void QueryAnswered(bool loadLastFile) = 0;
    virtual void ContinuePressed() = 0;
    virtual void CloseNowPressed() = 0;
    // "Rescan" in the closing form (its countdown already stopped).
    virtual void RescanPressed() = 0;
};

class StartupDialogController final : public StartupDialogPort {
public:
    static constexpr int kCloseSeconds = 21;
    static constexpr int kQuerySeconds = 11;
    static constexpr int kTickMs = 1000;

    StartupDialogController(TimerFactory& timers, StartupDialogActions& actions);

    // The dialog's load: countdown stopped, 21 seconds, version label.
    void Load(int major, int minor, int revision);
    void SetReceiverCount(const QString& text);
    void SetProgressRange(int minimum, int maximum);
    // The exit confirmation: picture, "Continue" and "Close now", both frames hidden.
    void ShowExitConfirmation();

    // The buttons.
    void PressYes();
    void PressNo();
    void PressContinue();
    void PressCloseNow();
    void PressRescan();
    // One tick of tmrClose (the timer calls it; tests may too).
    void CountdownTick();

    bool CountdownRunning() const { return tmrClose_->enabled(); }
    void StopCountdown();
    int RemainingSeconds() const { return remaining_; }

    const StartupDialogState& state() const { return state_; }
    // Called after every change of the state.
    void AddObserver(std::function<void()> observer) { observers_.push_back(std::move(observer)); }
    // Called at every change of tmrClose (enabled, interval).
    void SetTimerObserver(std::function<void(bool enabled, int interval)> observer) {
        timerObserver_ = std::move(observer);
    }

    // StartupDialogPort
    void SetActivity(const QString& text) override;
    void SetReceiverNumber(const QString& text) override;
    QString ReceiverNumber() const override { return state_.lblRxNo; }
    void SetProgress(int value) override;
    void ShowProgress() override;
    void ShowQuery() override;
    void ShowCloseCountdown() override;
    void HideDialog() override;
    bool IsDialogVisible() const override { return state_.visible; }

private:
    void answerQuery(bool yes);
    void setCountdown(bool on);
    void changed();

    std::unique_ptr<Timer> tmrClose_;
    StartupDialogActions& actions_;
    StartupDialogState state_;
    int remaining_ = kCloseSeconds;
    int queryTicks_ = 0;
    std::vector<std::function<void()>> observers_;
    std::function<void(bool, int)> timerObserver_;
};

} // namespace k7
