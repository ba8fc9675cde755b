// What the layers above the rack may ask of the rack engine: the only way the file layer, the
// control panel and the station's commands change what the rack does. They never write the
// engine's state, the link's buffers or a timer themselves.
#pragma once

#include "RackEvents.h"
#include "TimerPause.h"
#include "link/Ftd2xx.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace k7 {

enum class PassKind {
    Full,        // every slot's name, mute level and frequency
    ChangedOnly, // only what differs from what the receivers reported
    OpenOnly,    // nothing sent: the receivers' own settings are taken as they are
};

// How a rescan began: identification's result (the device count, or the refusal's code of
// ConnectUSB), and whether discovery runs.
struct RescanStart {
    bool started = false;
    int connect = 0;
};

struct WriteResult {
    FT_STATUS status = FT_INVALID_PARAMETER;
    std::uint32_t bytesWritten = 0;
    std::size_t size = 0; // bytes asked to be written
    bool complete() const { return size > 0 && bytesWritten == size; }
};

class RackCommands {
public:
    virtual ~RackCommands() = default;

    virtual RackActivity Activity() const = 0;
    // A programming pass from the next tick of the pass timer, over the working settings. False
    // (nothing starts) once the program is ending.
    virtual bool StartProgrammingPass(PassKind kind) = 0;
    // The largest block a command writes: a download of 40 preset entries.
    static constexpr std::size_t kMaxBlockSize = 405;
    // Writes the bytes to the device of a slot in use, in one driver write. A slot outside the
    // rack, or no bytes or more than kMaxBlockSize, writes nothing (FT_INVALID_PARAMETER).
    virtual WriteResult WriteBlock(int slot, std::span<const std::uint8_t> bytes) = 0;

    // --- Bulk transfer with a slot's receiver, while polling is paused ---
    // The driver's status of each call on the device of a slot in use; FT_INVALID_PARAMETER
    // (nothing done) for a slot outside the rack. Once any of them has been used on a device,
    // its receive queue is emptied before the next query the engine sends it, so that a reply
    // still on its way is never read as a meter answer.
    virtual FT_STATUS PurgeReceive(int slot) = 0;
    // A transfer's block, written as WriteBlock writes it.
    virtual WriteResult WriteTransferBlock(int slot, std::span<const std::uint8_t> bytes) = 0;
    virtual FT_STATUS SetLinkTimeouts(int slot, std::uint32_t readMs, std::uint32_t writeMs) = 0;
    virtual FT_STATUS SetLinkLatency(int slot, std::uint8_t latencyMs) = 0;
    // One read into the caller's buffer (up to its size); got: the bytes that came.
    virtual FT_STATUS ReadBlock(int slot, std::span<std::uint8_t> into, std::uint32_t* got) = 0;

    // True while the meter queries run.
    virtual bool PollTimerRunning() const = 0;
    // Stops the queries, the USB watchdog and the answer-rate check that are running, for a
    // command that needs the link or asks the operator; the pause's end restarts exactly those.
    [[nodiscard]] virtual TimerPause PausePolling() = 0;
    // Stops only the meter queries while a command writes to a receiver.
    [[nodiscard]] virtual TimerPause PauseQueries() = 0;
    // Stops the meter queries and the answer-rate check (and the spare timer) while a file is
    // read into the rack: the USB watchdog watches on until the programming pass that follows
    // a good read takes over, and a failed read restarts exactly what was stopped.
    [[nodiscard]] virtual TimerPause PauseForFileLoad() = 0;
    // Polls every intervalMs while the operator holds a control (the answer-rate check rests:
    // the fast answers would count as a rate). Polling that was not running is not started.
    virtual void BeginFastPolling(int intervalMs) = 0;
    // Back to the rack's poll interval. Whoever stopped the fast polling in between (the USB
    // watchdog, the exit request) has the last word: then nothing is started.
    virtual void EndFastPolling() = 0;

    // The USB watchdog goes on under a long pause (the editor's): a USB change is seen while
    // the meters stand still. Nothing when the pause did not stop it.
    virtual void KeepWatching(TimerPause& pause) = 0;

    // --- A USB change ---
    // On: a change in the number of attached devices waits for the count to settle (it stays
    // the same for two watchdog periods), then DevicesSettled is told. Off: the close countdown.
    virtual void SetRescanAfterUsbChange(bool on) = 0;
    // Every device closed, then found, ordered, classified, opened and identified again as at
    // start; discovery follows, and monitoring resumes with the receivers' own settings. No
    // device, one outside the family or more than the station holds: nothing is open and the
    // engine is closing (the caller tells the operator and starts the close countdown). Not
    // started once the station stops.
    virtual RescanStart Rescan() = 0;

    // --- The way out ---
    // The exit question: polling, the watchdog, the answer-rate check, a running pass and its
    // delayed send stop, and none of them starts (whoever asks) until the hold ends.
    virtual void HoldForExit() = 0;
    virtual bool ExitHeld() const = 0;
    // "Continue": beforeRestart runs (the dialog goes back to what it showed), then the held
    // timers restart as metering starts them, then a pass's; nothing restarts when the program
    // is ending or the load question waits. Polling interrupted while metering comes back at
    // the rack's poll interval.
    virtual void EndExitHold(const std::function<void()>& beforeRestart) = 0;
    // True inside a timer's handler (also while it lets pending messages run).
    virtual bool InTimerHandler() const = 0;
    // Runs the action once the outermost timer handler has returned (at once outside one).
    virtual void WhenHandlerReturns(std::function<void()> action) = 0;
    // Every timer stopped where it stands (a stop asked for inside a handler).
    virtual void HaltTimers() = 0;
    // The orderly stop: every timer stopped and set to 5000 ms; then released (not while a
    // handler is still finishing: the timers go with the station then).
    virtual void StopTimers() = 0;
    virtual void ReleaseTimers() = 0;
};

} // namespace k7
