// The alarms: the alerts of the kinds set to "alarm" that the operator has not yet confirmed.
// While one is unacknowledged a tone is asked for at once and every 10 s, the frames of the
// alarmed cells flash at 2 Hz and the banner above the panel names the newest. An alarm stays
// after its alert ends (a dropout nobody saw is still called) until it is acknowledged: one at a
// time (the banner, the key A, the Alerts window's selection) or all. Acknowledging an alarm
// stops its tone and its flashing; its cell keeps the steady mark of its alert (solid while the
// alert is up, dashed once it has ended) until "Acknowledge ended alerts" takes the ended marks
// off, which acknowledges the alarms of those ended alerts as well. "Silence for 5 minutes"
// mutes every tone, the frames and the banner stay. Fed by the alert list's events; the timers
// (flash, tone, silence) come from the timer port, never the rack's six.
#pragma once

#include "AlarmSettings.h"
#include "AlertList.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace k7 {

class ActionLog;
class Clock;
class SettingsStore;
class Timer;
class TimerFactory;
class TonePort;

struct Alarm {
    std::uint64_t alertId = 0;
    AlertKind kind = AlertKind::Battery;
    int slot = 0; // where the receiver sits now
    QString name; // the receiver's name as shown when the alert started
    std::int64_t raisedMicros = 0;
    bool alertEnded = false;
};

// A change the trace tells: "raised", "tone", "acknowledged", "silenced".
struct AlarmNote {
    enum Change { Raised, Tone, Acknowledged, Silenced };
    Change change = Raised;
    Alarm alarm;            // Raised, Acknowledged
    int unacknowledged = 0; // after the change
    bool audible = false;   // Tone: a sound output played it
    int silenceMs = 0;      // Silenced
};

class AlarmEvents {
public:
    virtual ~AlarmEvents() = default;
    virtual void AlarmChanged(const AlarmNote& /*note*/) {}
    // The flash turned on or off: the alarmed cells' frames are to be drawn again.
    virtual void AlarmsFlashed() {}
};

// What a cell's frame shows: the kind whose colour it takes (none: no frame), dashed for an
// ended alert, and whether it is drawn at this moment (off on the flash's dark ticks).
struct CellMark {
    std::optional<AlertKind> kind;
    bool dashed = false;
    bool flashing = false;
    bool drawn = false;
    bool operator==(const CellMark&) const = default;
};

class Alarms final : private AlertEvents {
public:
    static constexpr int kToneRepeatMs = 10'000;
    static constexpr int kFlashMs = 250; // on 250 ms, off 250 ms: 2 Hz
    static constexpr int kSilenceMs = 5 * 60'000;

    struct Wiring {
        AlertList& alerts;
        ActionLog& log;
        TimerFactory& timerFactory;
        const Clock& clock;
        SettingsStore& settings;
        TonePort* tones; // none: no sound in this run (tests, benchmarks)
    };
    explicit Alarms(const Wiring& wiring);
    ~Alarms() override;
    Alarms(const Alarms&) = delete;
    Alarms& operator=(const Alarms&) = delete;

    const AlarmSettings& settings() const { return settings_; }
    void SetSettings(const AlarmSettings& settings) { settings_ = settings; }

    // Oldest first.
    const std::vector<Alarm>& unacknowledged() const { return alarms_; }
    bool IsAlarmed(int slot) const;
    bool IsAlarm(std::uint64_t alertId) const;
    CellMark MarkOf(int slot) const;
    bool flashOn() const { return flashOn_; }
    bool silenced() const { return silenced_; }
    // "Battery low: VOX_1_ (slot 1)", with "and 2 more alarms" when there are others; empty
    // when none is unacknowledged.
    QString BannerText() const;
    // Whether a sound output exists (false without an audio port).
    bool AudioDevice() const;

    void Acknowledge(std::uint64_t alertId);
    void AcknowledgeNewest();
    void AcknowledgeAll();
    void Silence();
    // The orderly stop: no tone or flash after it.
    void Stop();

    void AddObserver(AlarmEvents& observer);
    void RemoveObserver(AlarmEvents& observer);

private:
    // AlertEvents
    void AlertStarted(const Alert& alert) override;
    void AlertEnded(const Alert& alert) override;
    void AlertsAcknowledged() override;
    void AlertsTrimmed() override;

    void acknowledge(std::size_t index);
    void tone();
    // The flash and the tone's repeat run while an alarm is unacknowledged.
    void updateTimers();
    void tell(const AlarmNote& note);

    AlertList& alerts_;
    ActionLog& log_;
    const Clock& clock_;
    TonePort* tones_;
    AlarmSettings settings_;
    std::vector<Alarm> alarms_;
    std::unique_ptr<Timer> flash_;
    std::unique_ptr<Timer> repeat_;
    std::unique_ptr<Timer> silence_;
    std::vector<AlarmEvents*> observers_;
    bool flashOn_ = true;
    bool silenced_ = false;
    bool stopped_ = false;
};

} // namespace k7
