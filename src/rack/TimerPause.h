// Stopping timers for a command that needs the link or asks the operator, and restarting
// exactly those it stopped: a command never starts a timer that was not running before it
// (so no command restarts polling in the middle of discovery or a programming pass). Only the
// rack engine makes them (RackCommands); the layers above never name a timer.
#pragma once

#include "platform/TimerBank.h"

#include <algorithm>
#include <initializer_list>
#include <vector>

namespace k7 {

class TimerPause {
public:
    TimerPause() = default;
    // Stops those of the tags whose timer is running, in the order given, and remembers them.
    TimerPause(TimerBank& timers, std::initializer_list<int> tags) : timers_(&timers) {
        for (int tag : tags) {
            if (timers.enabled(tag)) {
                timers.setEnabled(tag, false);
                stopped_.push_back(tag);
            }
        }
    }
    bool stopped(int tag) const {
        return std::find(stopped_.begin(), stopped_.end(), tag) != stopped_.end();
    }
    bool empty() const { return stopped_.empty(); }
    // Restarts the stopped timers, the last stopped first (polling stops its queries first and
    // starts them last, as metering starts), and forgets them.
    void Resume() {
        if (timers_) {
            for (auto tag = stopped_.rbegin(); tag != stopped_.rend(); ++tag) {
                timers_->setEnabled(*tag, true);
            }
        }
        stopped_.clear();
    }

private:
    TimerBank* timers_ = nullptr;
    std::vector<int> stopped_;
};

} // namespace k7
