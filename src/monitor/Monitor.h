// The monitor: watches the rack through its observer port and keeps the record of what happened
// when. It raises and ends the alerts of each receiver (battery low, RF lost, audio silent from
// the answers; not answering from the answer-rate check), notes the rack's own events, writes
// both, with the operator's actions, to the event log, and keeps the last hour of every
// receiver's meter readings with its alerts (the meter history). It adds no traffic on the wire
// and does its work after each exchange, never inside a read.
#pragma once

#include "AlertList.h"
#include "AlertSettings.h"
#include "AlertWatch.h"
#include "EventLog.h"
#include "HistoryExport.h"
#include "MeterHistory.h"
#include "rack/RackEvents.h"

#include <QDateTime>
#include <QLatin1StringView>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace k7 {

struct DeviceTables;
struct RackTables;
class Clock;
class Prompter;
class ReceiverLabels;
class SettingsStore;
class Timer;
class TimerFactory;

// A rack event as the log and the trace tell it.
struct RackNote {
    enum Kind {
        MonitoringStarted,
        ProgrammingPass,
        DevicesChanged,
        DiscoveryFailed,
        Stopped,
        RescanStarted, // the trace only
        RescanEnded,
        RescanRefused,
        Unplugged, // a receiver gone at a rescan (the log only)
        PluggedIn, // a receiver come at a rescan, back or new (the log only)
    };
    Kind kind = MonitoringStarted;
    QString detail;               // the log's words for it
    int receivers = 0;            // MonitoringStarted; the rescans: after
    PassStart pass;               // ProgrammingPass
    int attached = 0;             // DevicesChanged
    int expected = 0;             // DevicesChanged
    std::vector<int> silentSlots; // DiscoveryFailed: the slots that never answered
    int before = 0;               // the rescans: the receivers before
    RescanRefusal refusal = RescanRefusal::NoDevice; // RescanRefused
    int slot = 0; // Unplugged (the slot it had), PluggedIn (the slot it has)
    QString name; // Unplugged, PluggedIn: the receiver's name as shown
};

// "monitoring-started", "programming-pass", "devices-changed", "discovery-failed", "stopped",
// "rescan" (its start, end and refusal), "unplugged", "plugged in".
QLatin1StringView RackNoteToken(RackNote::Kind kind);
// "no-device", "not-family", "too-many", "discovery-failed".
QLatin1StringView RescanRefusalToken(RescanRefusal refusal);

class Monitor final : public RackEvents, private AlertSink {
public:
    struct Wiring {
        const RackTables& rack;
        const DeviceTables& devices;
        const Clock& clock;
        SettingsStore& settings;    // the alert thresholds
        TimerFactory& timerFactory; // tells a log failure once the running handler is done
        Prompter& prompter;
        QString dataFolder; // "USB Files": the log goes to its folder "Logs"
        std::function<QDateTime()> wallClock;
        // What the crew calls each receiver (none: no receiver has a label).
        ReceiverLabels* labels = nullptr;
    };

    explicit Monitor(const Wiring& wiring);
    ~Monitor() override;
    Monitor(const Monitor&) = delete;
    Monitor& operator=(const Monitor&) = delete;

    AlertList& alerts() { return alerts_; }
    const AlertList& alerts() const { return alerts_; }
    EventLog& log() { return log_; }
    // Where the operator's actions are logged (the control panel, File menu, editor, transfers).
    ActionLog& actions() { return log_; }
    MeterHistory& history() { return history_; }
    const MeterHistory& history() const { return history_; }
    // Writes spans of the history to CSV files in the data folder.
    HistoryExport& historyExport() { return export_; }
    const AlertSettings& settings() const { return watch_.settings(); }
    void SetSettings(const AlertSettings& settings) { watch_.SetSettings(settings); }
    std::int64_t NowMicros() const;
    // The local time at the clock's origin, to the millisecond: a time of the clock is this
    // plus its milliseconds.
    QDateTime WallOrigin() const;
    // The receivers of the rack: slots 1..receivers().
    int receivers() const;
    // The slot's receiver name as shown (empty outside 1..40).
    QString nameOf(int slot) const;
    // The serial number of the slot's receiver (empty outside 1..40 or when not known).
    QString serialOf(int slot) const;
    // The label of the slot's receiver, and its group (empty when it has none).
    QString labelOf(int slot) const;
    QString groupOf(int slot) const;
    // The labels of every receiver, by serial number (none when the station keeps none).
    ReceiverLabels* labels() const { return labels_; }

    void AddRackObserver(std::function<void(const RackNote&)> observer) {
        rackObservers_.push_back(std::move(observer));
    }

    // The orderly stop: every alert still up is recorded as ended now, and the log says the
    // station stopped. Nothing is watched after it.
    void Stop();

    // RackEvents
    void MeterAnswered(int slot, int position) override;
    void ReceiverBlanked(int slot) override;
    void ReceiverAnsweringAgain(int slot) override;
    void ActivityChanged(RackActivity activity) override;
    void DeviceCountChanged(int attached, int expected) override;
    void DiscoveryFailed(const std::vector<int>& silentSlots) override;
    void ProgrammingPassStarted(const PassStart& pass) override;
    void RescanStarted(int before) override;
    void ReceiversReseated(const RackReseat& reseat) override;
    void RescanEnded(int before, int after) override;
    void RescanRefused(RescanRefusal reason, int before) override;

private:
    // AlertSink
    bool IsUp(int slot, AlertKind kind) const override { return alerts_.IsOpen(slot, kind); }
    void Raise(AlertKind kind, int slot, std::int64_t sinceMicros, const QString& detail) override;
    void Clear(AlertKind kind, int slot, const QString& detail) override;

    void note(RackNote note);
    // An alert line's detail with the receiver's label and group after it, when it has them.
    QString withLabel(const QString& serial, const QString& detail) const;
    // The alert, with the name it is to carry (an unplugged receiver's name as it was shown).
    void raise(AlertKind kind, int slot, const QString& name, std::int64_t sinceMicros,
               const QString& detail);
    void logFailed(const QString& file, const QString& reason);

    const RackTables& rack_;
    const DeviceTables& devices_;
    const Clock& clock_;
    TimerFactory& timerFactory_;
    Prompter& prompter_;
    std::function<QDateTime()> wallClock_;
    ReceiverLabels* labels_;
    AlertList alerts_;
    EventLog log_;
    AlertWatch watch_;
    MeterHistory history_;
    HistoryExport export_;
    std::vector<std::function<void(const RackNote&)>> rackObservers_;
    std::unique_ptr<Timer> tellTimer_;
    QString failureText_;
    bool monitoringSeen_ = false;
    bool stopped_ = false;
    RackActivity activity_ = RackActivity::Discovery;
    std::int64_t usbChangeMicros_ = -1; // the last USB change the watchdog saw
    // The slots of a rescan's receivers that were not in the rack before (back or new).
    std::vector<int> comeAtRescan_;
};

} // namespace k7
