// Timer port adapter on QTimer with Qt::PreciseTimer, for the program.
#pragma once

#include "Timer.h"

namespace k7 {

class QtTimerFactory final : public TimerFactory {
public:
    std::unique_ptr<Timer> createTimer() override;
};

} // namespace k7
