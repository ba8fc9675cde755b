// The station's way out: the exit request and "Continue", the load-last-file answers, the timer
// guard that keeps polling paused while the exit question is up, and the orderly stop.
#include "Station.h"

#include "LoadFileSetting.h"
#include "SingleInstance.h"
#include "Trace.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"

#include <QJsonValue>

#include <algorithm>

namespace k7 {
namespace {

// The timers an exit request holds: polling, the watchdog and the answer-rate check, and also
// a running pass and its delayed send, so that no pass ends in metering behind the dialog.
constexpr std::array<int, 5> kHeldTimers{PollTimer, WatchdogTimer, PassTimer, AnswerRateTimer,
                                         FrequencySendTimer};
// The order "Continue" restarts them in: as metering starts (4, 2, then 0), then a pass.
constexpr std::array<int, 5> kResumeOrder{AnswerRateTimer, WatchdogTimer, PollTimer, PassTimer,
                                          FrequencySendTimer};

bool Held(int tag) {
    return std::find(kHeldTimers.begin(), kHeldTimers.end(), tag) != kHeldTimers.end();
}

} // namespace

void Station::RequestExit(ExitSource) {
    if (!started_ || stopping_) {
        return;
    }
    if (!exitPending_) {
        exitPending_ = true;
        interrupted_ = engine_.Activity();
        paused_.clear();
        for (int tag : kHeldTimers) {
            if (timers_.enabled(tag)) {
                paused_.push_back(tag);
                timers_.setEnabled(tag, false);
            }
        }
    }
    // A second request while the question is up only shows the same state again.
    dialog_.ShowExitConfirmation();
    updateFileCommands();
}

void Station::timerChanged(int tag, bool enabled, int interval) {
    ports_.trace.Timer(tag, enabled, interval);
    updateMeterNotice();
    // While the exit question is up, whatever tries to start a held timer (the end of an
    // answer-rate check, a sweep that ran when the request came) is kept for "Continue".
    if (exitPending_ && enabled && Held(tag)) {
        if (std::find(paused_.begin(), paused_.end(), tag) == paused_.end()) {
            paused_.push_back(tag);
        }
        timers_.setEnabled(tag, false);
    }
}

void Station::ContinueAfterExitRequest() {
    if (!exitPending_ || stopping_) {
        return;
    }
    exitPending_ = false;
    updateFileCommands();
    const std::vector<int> resume = std::move(paused_);
    paused_.clear();
    const RackActivity now = engine_.Activity();
    if (now == RackActivity::Closing) {
        // The USB system changed (or discovery gave up): the program still has to end.
        dialog_.ShowCloseCountdown();
        return;
    }
    if (now == RackActivity::LoadQuestion) {
        dialog_.ShowQuery();
        return;
    }
    if (now == RackActivity::Monitoring && interrupted_ == RackActivity::Monitoring) {
        timers_.setInterval(PollTimer, std::max<int>(devices_.PollInterval, 1));
    }
    if (now == RackActivity::Pass || now == RackActivity::Discovery) {
        dialog_.ShowProgress(); // the progress goes on where it was
    } else {
        dialog_.HideDialog();
    }
    for (int tag : kResumeOrder) {
        if (std::find(resume.begin(), resume.end(), tag) != resume.end()) {
            timers_.setEnabled(tag, true);
        }
    }
}

void Station::QueryAnswered(bool loadLastFile) {
    if (loadLastFile) {
        if (!defaults_.WriteRackSnapshot()) {
            tell(QStringLiteral("The receivers' settings could not be saved to Rack_Data.frq.\r\n"
                                "%1\r\nThe file is loaded all the same.\r\n")
                     .arg(frq_.errorString()),
                 MsgIcon::Exclamation);
        }
        files_.FileInUse = true;
        defaults_.AcceptLoadedFile();
    } else {
        files_.FileInUse = false;
        defaults_.CurrentFromRack();
    }
}

void Station::CloseNowPressed() {
    window_.SetExitConfirmed(true);
    CloseApplication();
}

void Station::CloseApplication() {
    stop(true);
}

void Station::stop(bool releaseTimers) {
    if (stopping_) {
        return;
    }
    if (handlerDepth_ > 0) {
        // Releasing the timers and the graphics under a running timer handler would pull them
        // from under it: nothing more runs, and the stop follows as soon as it returns.
        stopDeferred_ = true;
        exitPending_ = false;
        engine_.EnterClosing();
        dialog_.StopCountdown();
        timers_.disableAll();
        return;
    }
    stopping_ = true;
    exitPending_ = false;
    engine_.EnterClosing();
    updateFileCommands();
    dialog_.StopCountdown();

    // 1. Slow link settings, every device emptied.
    link_.SetSlowLink();
    // 2. Every timer stopped.
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        timers_.setEnabled(tag, false);
        timers_.setInterval(tag, 5000);
    }
    // 3. Graphics released (a snapshot shows the alerts as the operator last saw them); then
    // the alerts still up end, and the event log records the stop.
    view_->CloseGraphics();
    crew_.Stop();
    core_.monitor.Stop();
    // 4. The load-at-start choice saved, and the window as the operator leaves it.
    SaveLoadLastFile(ports_.settings, files_.LoadLastFile);
    if (const std::optional<WindowPlacement> left = view_->WindowLeft()) {
        SavePanelWindow(ports_.settings, {devices_.DeviceCount, *left});
    }
    // 5. Timers released.
    ports_.pump.LetPendingMessagesRun();
    if (releaseTimers) {
        timers_.Release();
    }
    ports_.pump.LetPendingMessagesRun();
    // 6. Every device closed.
    for (int index = 0; index <= std::min(devices_.LastDeviceIndex, kMaxDevices - 1); ++index) {
        link_.CloseDevice(index);
    }
    // 7. The windows unloaded, the program ends.
    ports_.pump.LetPendingMessagesRun();
    ports_.pump.LetPendingMessagesRun();
    panel_.Unload(window_.ExitConfirmed());
    core_.frequencyEditor.Unload(false); // closed; no timer starts again
    dialog_.HideDialog();
    instance_.reset(); // the next station may start
    stopped_ = true;
    exitCode_ = kExitOk;
    ports_.trace.Exit(exitCode_);
    view_->Stopped(exitCode_);
}

} // namespace k7
