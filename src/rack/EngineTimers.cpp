// The engine's six timers: made here, notified through one counted handler, stopped and
// restarted only here. The pauses commands take, fast polling while a control is held, the
// hold while the exit question is up, and the orderly stop's timer sequence.
#include "RackEngine.h"

#include "link/DeviceTables.h"

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
constexpr int kStoppedIntervalMs = 5000;

bool Contains(const auto& tags, int tag) {
    return std::find(tags.begin(), tags.end(), tag) != tags.end();
}

} // namespace

void RackEngine::CreateTimers(TimerBank::Observer observer) {
    timers_.setObserver(std::move(observer));
    timers_.Create(TimerIntervalsAtCreation(devices_.PollInterval),
                   [this](int tag) { notifyTimer(tag); });
}

void RackEngine::notifyTimer(int tag) {
    ++handlerDepth_;
    ICcrpTimerNotifyEx_Timer(tag);
    --handlerDepth_;
    if (handlerDepth_ == 0 && afterHandler_) {
        // Still inside the timer's own notification: what runs now must not release it.
        const std::function<void()> action = std::exchange(afterHandler_, {});
        finishingHandler_ = true;
        action();
        finishingHandler_ = false;
    }
}

void RackEngine::WhenHandlerReturns(std::function<void()> action) {
    if (handlerDepth_ > 0) {
        afterHandler_ = std::move(action);
    } else if (action) {
        action();
    }
}

void RackEngine::start(int tag) {
    if (exitHold_ && Contains(kHeldTimers, tag)) {
        // Whatever asks while the question is up (the end of an answer-rate check, a sweep
        // that ran when the request came) gets its timer at "Continue".
        if (!Contains(exitHold_->held, tag)) {
            exitHold_->held.push_back(tag);
        }
        return;
    }
    timers_.setEnabled(tag, true);
}

// --- Pauses ---------------------------------------------------------------------------------

bool RackEngine::TimerRunning(int tag) const {
    return timers_.enabled(tag);
}

void RackEngine::StopTimer(int tag) {
    timers_.setEnabled(tag, false);
}

void RackEngine::RestartTimer(int tag) {
    if (closing_ || settle_) {
        return; // the program is ending, or the devices are settling: nothing starts again
    }
    if (state_.PollMode == PollDiscovery && tag != PollTimer) {
        return; // a pause taken while metering ended inside a rescan's discovery
    }
    start(tag);
}

void RackEngine::KeepWatching(TimerPause& pause) {
    pause.ResumeEarly(WatchdogTimer);
}

bool RackEngine::PollTimerRunning() const {
    return timers_.enabled(PollTimer);
}

TimerPause RackEngine::PausePolling() {
    return TimerPause(*this, {PollTimer, WatchdogTimer, AnswerRateTimer});
}

TimerPause RackEngine::PauseQueries() {
    return TimerPause(*this, {PollTimer});
}

TimerPause RackEngine::PauseForFileLoad() {
    return TimerPause(*this, {PollTimer, AnswerRateTimer, SpareTimer});
}

void RackEngine::BeginFastPolling(int intervalMs) {
    if (fastPolling_) {
        return;
    }
    fastPolling_.emplace(static_cast<TimerOwner&>(*this),
                         std::initializer_list<int>{AnswerRateTimer, PollTimer});
    if (fastPolling_->stopped(PollTimer)) {
        timers_.setInterval(PollTimer, intervalMs);
        start(PollTimer);
    }
}

void RackEngine::EndFastPolling() {
    if (!fastPolling_) {
        return;
    }
    TimerPause hold = std::move(*fastPolling_);
    fastPolling_.reset();
    if (!hold.stopped(PollTimer)) {
        return; // polling was not running: only what was stopped comes back
    }
    const bool stillPolling = timers_.enabled(PollTimer);
    timers_.setEnabled(PollTimer, false);
    timers_.setInterval(PollTimer, devices_.PollInterval);
    if (!stillPolling) {
        hold.Keep(); // whoever stopped the fast polling has the last word
    }
}

// --- The way out ----------------------------------------------------------------------------

void RackEngine::HoldForExit() {
    if (exitHold_) {
        return;
    }
    // Assigned whole: clang does not take the nested struct as default-constructible here.
    exitHold_ = ExitHold{Activity(), {}};
    for (int tag : kHeldTimers) {
        if (timers_.enabled(tag)) {
            exitHold_->held.push_back(tag);
            timers_.setEnabled(tag, false);
        }
    }
}

void RackEngine::EndExitHold(const std::function<void()>& beforeRestart) {
    if (!exitHold_) {
        return;
    }
    const ExitHold hold = std::move(*exitHold_);
    exitHold_.reset();
    const RackActivity now = Activity();
    // The USB system changed, discovery gave up, or the load question waits: nothing restarts.
    const bool restart = now != RackActivity::Closing && now != RackActivity::LoadQuestion;
    if (restart && now == RackActivity::Monitoring &&
        hold.interrupted == RackActivity::Monitoring) {
        timers_.setInterval(PollTimer, std::max<int>(devices_.PollInterval, 1));
    }
    if (beforeRestart) {
        beforeRestart();
    }
    if (!restart) {
        return;
    }
    for (int tag : kResumeOrder) {
        if (Contains(hold.held, tag)) {
            timers_.setEnabled(tag, true);
        }
    }
}

void RackEngine::HaltTimers() {
    exitHold_.reset();
    timers_.disableAll();
}

void RackEngine::StopTimers() {
    exitHold_.reset();
    for (int tag = 0; tag < TimerBank::kCount; ++tag) {
        timers_.setEnabled(tag, false);
        timers_.setInterval(tag, kStoppedIntervalMs);
    }
}

void RackEngine::ReleaseTimers() {
    if (!finishingHandler_) {
        timers_.Release();
    }
}

} // namespace k7
