#include "MonotonicClock.h"

#include <thread>

namespace k7 {

void MonotonicClock::sleepMicros(std::int64_t micros) {
    if (micros > 0) {
        std::this_thread::sleep_for(std::chrono::microseconds(micros));
    }
}

} // namespace k7
