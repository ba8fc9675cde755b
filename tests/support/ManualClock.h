// Virtual time for tests: one object is the clock, the timer factory and the event pump.
// Time moves only when a test advances it (due timers fire in time order, ties in creation
// order) or when a blocking read sleeps (time moves, nothing fires). Letting pending messages
// run fires the timers already due.
#pragma once

#include "platform/Clock.h"
#include "platform/EventPump.h"
#include "platform/Timer.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace k7::test {

class ManualClock final : public Clock, public TimerFactory, public EventPump {
public:
    ManualClock() = default;
    ~ManualClock() override;
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    std::int64_t nowMicros() const override { return now_; }
    void sleepMicros(std::int64_t micros) override;
    std::unique_ptr<Timer> createTimer() override;
    void LetPendingMessagesRun() override { runDue(); }

    double nowMs() const { return static_cast<double>(now_) / 1000.0; }
    // Moves time forward by ms, firing every timer that falls due on the way.
    void advanceMs(double ms);
    // Advances in steps until the predicate holds or limitMs have passed; true if it held.
    bool runUntil(const std::function<bool()>& done, double limitMs);
    // Fires the timers that are due now.
    void runDue();

    class ManualTimer;

private:
    friend class ManualTimer;
    ManualTimer* nextDue(std::int64_t until) const;
    void fireTimer(ManualTimer* timer);

    std::int64_t now_ = 0;
    std::uint64_t nextSequence_ = 0;
    std::vector<ManualTimer*> timers_;
};

} // namespace k7::test
