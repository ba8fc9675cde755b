// The rack engine: the one handler of the six station timers and the jobs it dispatches to:
// discovery (timer 0 in discovery mode), metering (timer 0), the USB watchdog (timer 2), the
// programming pass (timer 3), the answer-rate check (timer 4) and the delayed frequency send
// (timer 5). It talks to the receivers only through the link and to the windows only through
// the ports it declares in RackPorts.h.
#pragma once

#include "AnswerParser.h"
#include "Protocol.h"

#include <QString>

#include <array>

namespace k7 {

struct DeviceTables;
struct RackTables;
struct FileState;
class LinkModule;
class TimerBank;
class EventPump;
class Prompter;
class MeterDisplay;
class StartupDialogPort;
class ShellPort;
class ReceiverPanelPort;
class RackFiles;
class FrequencyGuard;

enum TimerTag : int {
    PollTimer = 0,
    SpareTimer = 1,
    WatchdogTimer = 2,
    PassTimer = 3,
    AnswerRateTimer = 4,
    FrequencySendTimer = 5,
};

// The six timers' intervals, in ms, by tag; timer 0's entry is its discovery interval.
inline constexpr std::array<int, 6> kTimerIntervals{120, 240, 2000, 120, 5000, 90};
// The intervals the timers are created with: timer 0 at the rack's poll interval (at least
// 1 ms); starting discovery sets it to the discovery interval.
constexpr std::array<int, 6> TimerIntervalsAtCreation(int pollIntervalMs) {
    std::array<int, 6> intervals = kTimerIntervals;
    intervals[0] = pollIntervalMs > 0 ? pollIntervalMs : 1;
    return intervals;
}
inline constexpr int kDiscoveryIntervalMs = 120;

// What the rack is doing, for the shell's exit request and "Continue".
enum class RackActivity {
    Discovery,    // identify sweeps
    LoadQuestion, // the load-last-file question waits for the operator
    Pass,         // a programming pass (or its delayed frequency send) is running
    Monitoring,   // metering; polling timers belong to it
    Closing,      // the close countdown runs: the program is ending
};

struct RackEnginePorts {
    MeterDisplay& display;
    StartupDialogPort& dialog;
    ShellPort& shell;
    RackFiles& files;
    const FrequencyGuard& guard;
    ReceiverPanelPort* panel = nullptr;
};

class RackEngine {
public:
    RackEngine(DeviceTables& devices, LinkModule& link, RackTables& rack, FileState& files,
               TimerBank& timers, EventPump& pump, Prompter& prompter,
               const RackEnginePorts& ports);
    RackEngine(const RackEngine&) = delete;
    RackEngine& operator=(const RackEngine&) = delete;

    // Start-up values of the rack tables and the polling counts derived from the devices.
    void InitialiseRackTables();
    // Makes the six timers (disabled) with TimerIntervalsAtCreation, all notifying this engine.
    void CreateTimers();
    // Timer 0 at 120 ms in discovery mode.
    void StartDiscovery();

    void ICcrpTimerNotifyEx_Timer(int tag);
    void StartMonitoring();

    RackActivity Activity() const;
    // True only while metering: the one time the shell may restart timers 0, 2 and 4.
    bool PollingMayRun() const { return Activity() == RackActivity::Monitoring; }
    // The shell's close countdown (exit path) counts as closing too.
    void EnterClosing() { closing_ = true; }

    AnswerParser& parser() { return parser_; }
    // The "I" frame waiting for timer 5 (valid while timer 5 runs).
    const SettingsFrame& PendingFrequencyFrame() const { return pendingFrequency_; }

    static QString NotRespondingText();

private:
    void discoveryTick();
    void evaluateSweep();
    void completeDiscovery();
    void failDiscovery();
    void meteringTick();
    void answerRateCheck();
    void usbWatchdog();
    void passTick();
    void startPass();
    void programSlot(int slot);
    void endPass();
    void sendPendingFrequency();
    void prepareCells();
    void closeCountdown();
    void sendQuery(int slot, char letter, int answerSize);
    bool writeFrame(int slot, const std::optional<SettingsFrame>& frame);
    bool armFrequencyFrame(int slot);

    DeviceTables& devices_;
    LinkModule& link_;
    RackTables& rack_;
    FileState& files_;
    TimerBank& timers_;
    EventPump& pump_;
    Prompter& prompter_;
    RackEnginePorts ports_;
    AnswerParser parser_;
    SettingsFrame pendingFrequency_{};
    bool queryOpen_ = false;
    bool closing_ = false;
};

} // namespace k7
