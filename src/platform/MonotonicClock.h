// The program's clock: QElapsedTimer started when the clock is made.
#pragma once

#include "Clock.h"

#include <QElapsedTimer>

namespace k7 {

class MonotonicClock final : public Clock {
public:
    MonotonicClock() { timer_.start(); }
    std::int64_t nowMicros() const override { return timer_.nsecsElapsed() / 1000; }
    void sleepMicros(std::int64_t micros) override;

private:
    QElapsedTimer timer_;
};

} // namespace k7
