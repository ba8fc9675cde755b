// Stopping timers for a command that needs the link or asks the operator, and restarting
// exactly those it stopped when the pause ends: when it goes out of scope, unless it was kept
// (someone else restarts them: the pass that follows a file load) or handed on (moved to whoever
// holds the link next: the editor). A command never starts a timer that was not running before
// it, so no command restarts polling in the middle of discovery or a programming pass. Only the
// rack engine makes pauses (RackCommands); the layers above never name a timer.
#pragma once

#include <algorithm>
#include <initializer_list>
#include <utility>
#include <vector>

namespace k7 {

// The owner of the timers a pause stops and restarts: the rack engine. A restart goes through
// the owner, which may keep the timer stopped (the exit question is up, the program is ending).
class TimerOwner {
public:
    virtual bool TimerRunning(int tag) const = 0;
    virtual void StopTimer(int tag) = 0;
    virtual void RestartTimer(int tag) = 0;

protected:
    ~TimerOwner() = default;
};

class TimerPause {
public:
    TimerPause() = default;
    // Stops those of the tags whose timer is running, in the order given, and remembers them.
    TimerPause(TimerOwner& owner, std::initializer_list<int> tags) : owner_(&owner) {
        for (int tag : tags) {
            if (owner.TimerRunning(tag)) {
                owner.StopTimer(tag);
                stopped_.push_back(tag);
            }
        }
    }
    // Handed on: the pause moved from is left empty and restarts nothing.
    TimerPause(TimerPause&& other) noexcept
        : owner_(std::exchange(other.owner_, nullptr)), stopped_(std::move(other.stopped_)) {
        other.stopped_.clear();
    }
    TimerPause& operator=(TimerPause&& other) noexcept {
        if (this != &other) {
            Resume();
            owner_ = std::exchange(other.owner_, nullptr);
            stopped_ = std::move(other.stopped_);
            other.stopped_.clear();
        }
        return *this;
    }
    TimerPause(const TimerPause&) = delete;
    TimerPause& operator=(const TimerPause&) = delete;
    ~TimerPause() { Resume(); }

    bool stopped(int tag) const {
        return std::find(stopped_.begin(), stopped_.end(), tag) != stopped_.end();
    }
    bool empty() const { return stopped_.empty(); }

    // The stopped timers stay stopped when this pause ends: whoever runs next starts them.
    void Keep() { stopped_.clear(); }
    // One of the stopped timers restarts now instead of at the pause's end.
    void ResumeEarly(int tag) {
        if (stopped(tag)) {
            std::erase(stopped_, tag);
            if (owner_ != nullptr) {
                owner_->RestartTimer(tag);
            }
        }
    }
    // Takes over another pause's timers: they restart with these, before them (the pause taken
    // last ends first).
    void Absorb(TimerPause&& other) {
        if (other.empty()) {
            return;
        }
        if (owner_ == nullptr) {
            owner_ = other.owner_;
        }
        stopped_.insert(stopped_.end(), other.stopped_.begin(), other.stopped_.end());
        other.Keep();
    }

private:
    // Restarts the stopped timers, the last stopped first (polling stops its queries first and
    // starts them last, as metering starts), and forgets them.
    void Resume() {
        const std::vector<int> restart = std::exchange(stopped_, {});
        if (owner_ != nullptr) {
            for (auto tag = restart.rbegin(); tag != restart.rend(); ++tag) {
                owner_->RestartTimer(*tag);
            }
        }
    }

    TimerOwner* owner_ = nullptr;
    std::vector<int> stopped_;
};

} // namespace k7
