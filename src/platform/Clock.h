// The one monotonic time base of the station: timers, the simulated rack, the wire log and
// the trace all read it. Tests swap in a manual clock that only moves when told to.
#pragma once

#include <cstdint>

namespace k7 {

class Clock {
public:
    virtual ~Clock() = default;
    // Microseconds since the clock's origin (program start).
    virtual std::int64_t nowMicros() const = 0;
    // Waits the given time. A blocking read uses it; on the manual clock it advances
    // virtual time without firing timers.
    virtual void sleepMicros(std::int64_t micros) = 0;
};

} // namespace k7
