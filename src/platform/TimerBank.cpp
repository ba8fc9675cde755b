#include "TimerBank.h"

namespace k7 {

void TimerBank::Create(const std::array<int, kCount>& intervals, Target target) {
    for (int tag = 0; tag < kCount; ++tag) {
        auto timer = factory_.createTimer();
        timer->setEnabled(false);
        timer->setInterval(intervals[tag]);
        timer->setHandler([target, tag] { target(tag); });
        timers_[tag] = std::move(timer);
        report(tag);
    }
}

void TimerBank::Release() {
    for (auto& timer : timers_) {
        if (timer) {
            timer->setEnabled(false);
        }
        timer.reset();
    }
}

void TimerBank::setEnabled(int tag, bool on) {
    if (tag < 0 || tag >= kCount || !timers_[tag] || timers_[tag]->enabled() == on) {
        return;
    }
    timers_[tag]->setEnabled(on);
    report(tag);
}

bool TimerBank::enabled(int tag) const {
    return tag >= 0 && tag < kCount && timers_[tag] && timers_[tag]->enabled();
}

void TimerBank::setInterval(int tag, int ms) {
    if (tag < 0 || tag >= kCount || !timers_[tag]) {
        return;
    }
    const bool changed = timers_[tag]->interval() != ms;
    timers_[tag]->setInterval(ms);
    if (changed) {
        report(tag);
    }
}

int TimerBank::interval(int tag) const {
    return (tag >= 0 && tag < kCount && timers_[tag]) ? timers_[tag]->interval() : 0;
}

void TimerBank::disableAll() {
    for (int tag = 0; tag < kCount; ++tag) {
        setEnabled(tag, false);
    }
}

void TimerBank::report(int tag) {
    if (observer_ && timers_[tag]) {
        observer_(tag, timers_[tag]->enabled(), timers_[tag]->interval());
    }
}

} // namespace k7
