// The station's six tagged timers. Each carries its index as its tag and notifies one target
// with that tag; an observer sees every change of interval or enabled state (the trace).
#pragma once

#include "Timer.h"

#include <array>
#include <functional>
#include <memory>

namespace k7 {

class TimerBank {
public:
    static constexpr int kCount = 6;
    using Target = std::function<void(int tag)>;
    using Observer = std::function<void(int tag, bool enabled, int interval)>;

    explicit TimerBank(TimerFactory& factory) : factory_(factory) {}

    // Makes the six timers (disabled) with their intervals; each notifies the target.
    void Create(const std::array<int, kCount>& intervals, Target target);
    // Disables and drops every timer.
    void Release();
    bool exists() const { return static_cast<bool>(timers_[0]); }

    void setEnabled(int tag, bool on);
    bool enabled(int tag) const;
    void setInterval(int tag, int ms);
    int interval(int tag) const;
    void disableAll();

    void setObserver(Observer observer) { observer_ = std::move(observer); }

private:
    void report(int tag);

    TimerFactory& factory_;
    std::array<std::unique_ptr<Timer>, kCount> timers_;
    Observer observer_;
};

} // namespace k7
