// The rack engine: the one handler of the six station timers and the jobs it dispatches to:
// discovery (timer 0 in discovery mode), metering (timer 0), the USB watchdog (timer 2), the
// programming pass (timer 3), the answer-rate check (timer 4) and the delayed frequency send
// (timer 5). It alone writes its state, the link's buffers and the timers; the layers above
// ask through RackCommands, watch through RackEvents, and are driven through RackPorts.h.
#pragma once

#include "AnswerParser.h"
#include "Protocol.h"
#include "RackCommands.h"
#include "RackDisplay.h"
#include "RackEvents.h"
#include "platform/TimerBank.h"

#include <QString>

#include <array>
#include <functional>
#include <optional>
#include <vector>

namespace k7 {

struct DeviceTables;
struct RackTables;
class LinkModule;
class EventPump;
class Prompter;
class MeterDisplay;
class StartupDialogPort;
class ShellPort;
class RackFiles;
class FrequencyGuard;
class Identification;

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

enum PollModeCode : std::int16_t { PollDiscovery = 1, PollMetering = 2 };

// The engine's own state: what discovery, metering and the programming pass are doing. Only
// the engine writes it; everyone else reads it through RackEngine::State().
struct EngineState {
    // Discovery and polling.
    std::int16_t PollMode = 0;
    std::uint8_t ProbeIndex = 0;
    std::int32_t SweepCounter = 1;
    std::int32_t RetryGroups = 0;
    std::int32_t MeterIndex = 0;
    // Programming pass.
    bool PassStart = false;
    std::int32_t PassSlot = 0;
    bool ProgramRack = true;
    bool ChangedOnly = false;
    bool ProgrammingBusy = false;
    std::int32_t FrequencySlot = 0;
};

struct RackEnginePorts {
    StartupDialogPort& dialog;
    ShellPort& shell;
    RackFiles& files;
    const FrequencyGuard& guard;
    Identification& identification; // closes and finds the devices again in a rescan
};

class RackEngine final : public RackCommands, private TimerOwner {
public:
    RackEngine(const DeviceTables& devices, LinkModule& link, RackTables& rack, TimerBank& timers,
               EventPump& pump, Prompter& prompter, const RackEnginePorts& ports);
    RackEngine(const RackEngine&) = delete;
    RackEngine& operator=(const RackEngine&) = delete;

    // The meter panel (or a test's recording one); none: nothing is drawn.
    void AttachDisplay(MeterDisplay* display) { display_.Attach(display); }
    // Observers are told in the order they were added (the meter display first).
    void AddObserver(RackEvents& observer);
    void RemoveObserver(RackEvents& observer);

    // Start-up values of the rack tables, the engine's state and the polling counts derived
    // from the devices.
    void InitialiseRackTables();
    // Makes the six timers (disabled) with TimerIntervalsAtCreation, all notifying this engine's
    // handler; observer: told every change of a timer (the trace), or none.
    void CreateTimers(TimerBank::Observer observer = {});
    // Timer 0 at 120 ms in discovery mode, from the first sweep.
    void StartDiscovery();

    void ICcrpTimerNotifyEx_Timer(int tag);
    void StartMonitoring();
    // An accepted answer of the device is in the link's RxBuffer: into the tables, then told
    // to the observers. The engine calls it once each read has ended.
    void AnswerReceived(int deviceIndex);

    // True only while metering: the one time the shell may restart timers 0, 2 and 4.
    bool PollingMayRun() const { return Activity() == RackActivity::Monitoring; }
    // The station stops: the engine is closing for good (no rescan brings it back).
    void EnterClosing();

    const EngineState& State() const { return state_; }
    const AnswerParser& parser() const { return parser_; }
    static QString NotRespondingText();

    // RackCommands
    RackActivity Activity() const override;
    bool StartProgrammingPass(PassKind kind) override;
    WriteResult WriteBlock(int slot, std::span<const std::uint8_t> bytes) override;
    FT_STATUS PurgeReceive(int slot) override;
    WriteResult WriteTransferBlock(int slot, std::span<const std::uint8_t> bytes) override;
    FT_STATUS SetLinkTimeouts(int slot, std::uint32_t readMs, std::uint32_t writeMs) override;
    FT_STATUS SetLinkLatency(int slot, std::uint8_t latencyMs) override;
    FT_STATUS ReadBlock(int slot, std::span<std::uint8_t> into, std::uint32_t* got) override;
    bool PollTimerRunning() const override;
    TimerPause PausePolling() override;
    TimerPause PauseQueries() override;
    TimerPause PauseForFileLoad() override;
    void BeginFastPolling(int intervalMs) override;
    void EndFastPolling() override;
    void KeepWatching(TimerPause& pause) override;
    void SetRescanAfterUsbChange(bool on) override { rescanAfterUsbChange_ = on; }
    RescanStart Rescan() override;
    void HoldForExit() override;
    bool ExitHeld() const override { return exitHold_.has_value(); }
    void EndExitHold(const std::function<void()>& beforeRestart) override;
    bool InTimerHandler() const override { return handlerDepth_ > 0; }
    void WhenHandlerReturns(std::function<void()> action) override;
    void HaltTimers() override;
    void StopTimers() override;
    void ReleaseTimers() override;

private:
    // TimerOwner: the pauses stop and restart through the engine.
    bool TimerRunning(int tag) const override;
    void StopTimer(int tag) override;
    void RestartTimer(int tag) override;
    // Every start of a timer: held back while the exit question is up.
    void start(int tag);
    void notifyTimer(int tag);

    void discoveryTick();
    void evaluateSweep();
    void completeDiscovery();
    void failDiscovery();
    void meteringTick();
    void answerRateCheck();
    void usbWatchdog();
    // A watchdog tick while the devices settle after a USB change.
    void settleTick(std::uint32_t attached);
    // The answers' state of every slot and the polling counts of the devices found, as at
    // start; the working settings are InitialiseRackTables' or, in a rescan, stay (they are
    // what the rack found again is compared with).
    void resetAnswers();
    void resetForRescan();
    RackReseat reseatFrom(int before, const std::array<SerialNumber, kMaxSlots + 1>& serials,
                          const std::array<QString, kMaxSlots + 1>& names) const;
    void finishRescan();
    void refuseRescan(RescanRefusal reason, int before);
    // The title after the receivers' settings were chosen: the file's name, or the receivers'
    // data (whose snapshot is kept when no file is loaded at start).
    void showRackTitle(bool fromFile);
    void passTick();
    void startPass();
    void programSlot(int slot);
    void endPass();
    void sendPendingFrequency();
    void closeCountdown();
    void sendQuery(int slot, char letter, int answerSize);
    bool writeFrame(int slot, const std::optional<SettingsFrame>& frame);
    bool armFrequencyFrame(int slot);
    // The device of a slot in use, or -1; a device used for a transfer is purged before its
    // next query.
    int transferDevice(int slot);
    // Tells the observers when Activity() is no longer what they were last told.
    void noteActivity();
    template <typename Event>
    void tell(Event event);

    const DeviceTables& devices_;
    LinkModule& link_;
    RackTables& rack_;
    TimerBank& timers_;
    EventPump& pump_;
    Prompter& prompter_;
    RackEnginePorts ports_;
    AnswerParser parser_;
    RackDisplay display_;
    std::vector<RackEvents*> observers_;
    int telling_ = 0; // events being told (an observer's reaction may set off another)
    EngineState state_;
    SettingsFrame pendingFrequency_{};
    std::optional<TimerPause> fastPolling_;
    int answeredDevice_ = -1; // the device whose answer the last read accepted
    std::array<bool, kMaxDevices> purgeBeforeQuery_{};
    bool queryOpen_ = false;
    bool closing_ = false;
    bool stopping_ = false; // the station stops: closing for good
    // A USB change: the count the watchdog saw last, and for how many periods since.
    struct Settle {
        std::uint32_t count = 0;
        int steady = 0;
    };
    std::optional<Settle> settle_;
    bool rescanAfterUsbChange_ = false;
    bool rescanning_ = false; // discovery of a rescan: its end resumes monitoring
    int rescanBefore_ = 0;
    std::optional<RackActivity> toldActivity_;
    // The exit question is up: the timers it stopped, and those that asked to start since.
    struct ExitHold {
        RackActivity interrupted = RackActivity::Discovery;
        std::vector<int> held;
    };
    std::optional<ExitHold> exitHold_;
    int handlerDepth_ = 0;          // timer handlers running (nested through the event pump)
    bool finishingHandler_ = false; // running what waited for the handler to return
    std::function<void()> afterHandler_;
};

template <typename Event>
void RackEngine::tell(Event event) {
    // By index: an observer may add observers (they hear this event too) or remove some.
    ++telling_;
    for (std::size_t i = 0; i < observers_.size(); ++i) {
        if (RackEvents* observer = observers_[i]) {
            event(*observer);
        }
    }
    if (--telling_ == 0) {
        std::erase(observers_, nullptr);
    }
}

} // namespace k7
