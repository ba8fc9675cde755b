// The timer port: periodic timers with an interval, an enabled switch and one handler.
// Both adapters (QTimer, manual clock) share these rules: a timer never fires inside its own
// handler; enabling a disabled timer or setting a running timer's interval starts a new period
// from now; enabling an enabled timer changes nothing; a timer that falls behind fires once.
#pragma once

#include <functional>
#include <memory>

namespace k7 {

class Timer {
public:
    virtual ~Timer() = default;
    virtual void setInterval(int ms) = 0;
    virtual int interval() const = 0;
    virtual void setEnabled(bool on) = 0;
    virtual bool enabled() const = 0;

    void setHandler(std::function<void()> handler) { handler_ = std::move(handler); }

protected:
    // Runs the handler unless this timer's handler is already running.
    void fire() {
        if (firing_ || !handler_) {
            return;
        }
        firing_ = true;
        handler_();
        firing_ = false;
    }
    bool firing() const { return firing_; }

private:
    std::function<void()> handler_;
    bool firing_ = false;
};

class TimerFactory {
public:
    virtual ~TimerFactory() = default;
    // A new timer, disabled, interval 0.
    virtual std::unique_ptr<Timer> createTimer() = 0;
};

} // namespace k7
