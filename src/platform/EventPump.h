// "Let pending messages run": an explicit call at the points the station names, never a
// hidden nested loop. The program runs Qt's events; the manual clock runs timers already due.
#pragma once

namespace k7 {

class EventPump {
public:
    virtual ~EventPump() = default;
    virtual void LetPendingMessagesRun() = 0;
};

class QtEventPump final : public EventPump {
public:
    void LetPendingMessagesRun() override;
};

} // namespace k7
