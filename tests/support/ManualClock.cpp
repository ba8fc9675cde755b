#include "ManualClock.h"

#include <algorithm>

namespace k7::test {

class ManualClock::ManualTimer final : public Timer {
public:
    ManualTimer(ManualClock& clock, std::uint64_t sequence) : clock_(clock), sequence_(sequence) {}
    ~ManualTimer() override {
        auto& list = clock_.timers_;
        std::replace(list.begin(), list.end(), this, static_cast<ManualTimer*>(nullptr));
    }
    void setInterval(int ms) override {
        interval_ = ms;
        if (enabled_) {
            restart();
        }
    }
    int interval() const override { return interval_; }
    void setEnabled(bool on) override {
        if (on && !enabled_) {
            enabled_ = true;
            restart();
        } else if (!on) {
            enabled_ = false;
        }
    }
    bool enabled() const override { return enabled_; }

    std::int64_t periodMicros() const { return std::max(interval_, 1) * 1000LL; }
    void restart() {
        due_ = clock_.now_ + periodMicros();
        ++generation_;
    }
    void run() {
        const std::int64_t firedDue = due_;
        const std::uint64_t generation = generation_;
        // The next period is set before the handler runs, so that a nested pump does not see
        // this tick as still due; a handler that restarts the timer replaces it.
        due_ = firedDue + periodMicros();
        fire();
        if (enabled_ && generation == generation_ && due_ <= clock_.now_) {
            // Fell behind: fire once more at the next point of the same phase.
            const std::int64_t behind = clock_.now_ - firedDue;
            due_ = firedDue + (behind / periodMicros() + 1) * periodMicros();
        }
    }

    ManualClock& clock_;
    std::uint64_t sequence_;
    int interval_ = 0;
    bool enabled_ = false;
    std::int64_t due_ = 0;
    std::uint64_t generation_ = 0;
    using Timer::firing;
};

ManualClock::~ManualClock() {
    // Timers may outlive the clock in a test's teardown; they must not reach back into it.
    for (ManualTimer* timer : timers_) {
        if (timer) {
            timer->enabled_ = false;
        }
    }
}

void ManualClock::sleepMicros(std::int64_t micros) {
    if (micros > 0) {
        now_ += micros;
    }
}

std::unique_ptr<Timer> ManualClock::createTimer() {
    auto timer = std::make_unique<ManualTimer>(*this, nextSequence_++);
    timers_.push_back(timer.get());
    return timer;
}

ManualClock::ManualTimer* ManualClock::nextDue(std::int64_t until) const {
    ManualTimer* best = nullptr;
    for (ManualTimer* timer : timers_) {
        if (!timer || !timer->enabled_ || timer->firing() || timer->due_ > until) {
            continue;
        }
        if (!best || timer->due_ < best->due_ ||
            (timer->due_ == best->due_ && timer->sequence_ < best->sequence_)) {
            best = timer;
        }
    }
    return best;
}

void ManualClock::fireTimer(ManualTimer* timer) {
    timer->run();
    timers_.erase(std::remove(timers_.begin(), timers_.end(), nullptr), timers_.end());
}

void ManualClock::advanceMs(double ms) {
    const std::int64_t target = now_ + static_cast<std::int64_t>(ms * 1000.0);
    while (ManualTimer* timer = nextDue(target)) {
        now_ = std::max(now_, timer->due_);
        fireTimer(timer);
    }
    now_ = std::max(now_, target);
}

bool ManualClock::runUntil(const std::function<bool()>& done, double limitMs) {
    const std::int64_t end = now_ + static_cast<std::int64_t>(limitMs * 1000.0);
    while (!done()) {
        ManualTimer* timer = nextDue(end);
        if (!timer) {
            now_ = std::max(now_, end);
            return done();
        }
        now_ = std::max(now_, timer->due_);
        fireTimer(timer);
    }
    return true;
}

void ManualClock::runDue() {
    while (ManualTimer* timer = nextDue(now_)) {
        fireTimer(timer);
    }
}

} // namespace k7::test
