// Stopping timers for a command that needs the link or asks the operator, and restarting
// exactly those it stopped: a command never starts a timer that was not running before it
// (so no command restarts polling in the middle of discovery or a programming pass).
#pragma once

#include "platform/TimerBank.h"

#include <initializer_list>
#include <vector>

namespace k7 {

class TimerPause {
public:
    TimerPause() = default;
    // Stops those of the tags whose timer is running and remembers them.
    TimerPause(TimerBank& timers, std::initializer_list<int> tags) : timers_(&timers) {
        for (int tag : tags) {
            if (timers.enabled(tag)) {
                timers.setEnabled(tag, false);
                stopped_.push_back(tag);
            }
        }
    }
    bool stopped(int tag) const {
        for (int t : stopped_) {
            if (t == tag) {
                return true;
            }
        }
        return false;
    }
    bool empty() const { return stopped_.empty(); }
    // Restarts the stopped timers in the order given (tags not stopped are skipped).
    void Resume(std::initializer_list<int> order) {
        if (!timers_) {
            return;
        }
        for (int tag : order) {
            if (stopped(tag)) {
                timers_->setEnabled(tag, true);
            }
        }
        stopped_.clear();
    }

private:
    TimerBank* timers_ = nullptr;
    std::vector<int> stopped_;
};

} // namespace k7
