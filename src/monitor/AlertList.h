// The record of the alerts of this run: every alert with the time it started and, once over,
// the time it ended, oldest first. An alert that has ended stays marked on its cell until the
// operator acknowledges it, so that a dropout nobody saw is still seen afterwards. The record
// keeps the latest alerts only (kKept of those that have ended; open ones are always kept).
// Alerts belong to a receiver (its serial number), not to a slot: a rescan moves them with it.
#pragma once

#include "AlertKinds.h"
#include "link/DeviceTables.h"

#include <QDateTime>
#include <QString>

#include <array>
#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

namespace k7 {

struct RackReseat;

struct Alert {
    std::uint64_t id = 0;
    AlertKind kind = AlertKind::Battery;
    int slot = 0;                 // where the receiver sits (sat last, once it is gone)
    QString serial;               // the receiver's serial number (empty when not known)
    QString name;                 // the receiver's name when the alert started
    std::int64_t sinceMicros = 0; // when the reading first went bad: the alert's start
    std::int64_t startMicros = 0; // when the alert was raised (after its hold)
    std::int64_t endMicros = -1;  // -1 while the alert is up
    QDateTime began;              // the wall-clock time of sinceMicros, for the window
    QDateTime ended;
    QString detail;    // what raised it
    QString endDetail; // what ended it
    bool acknowledged = false;

    bool active() const { return endMicros < 0; }
    // From the first bad reading to the end, or to now while the alert is up.
    std::int64_t durationMicros(std::int64_t nowMicros) const {
        return (active() ? nowMicros : endMicros) - sinceMicros;
    }
};

// What a cell shows: the most urgent alert up, and the most urgent one that ended unseen.
struct CellAlerts {
    std::optional<AlertKind> active;
    std::optional<AlertKind> ended;
    bool operator==(const CellAlerts&) const = default;
};

class AlertEvents {
public:
    virtual ~AlertEvents() = default;
    virtual void AlertStarted(const Alert& /*alert*/) {}
    virtual void AlertEnded(const Alert& /*alert*/) {}
    // The ended alerts were acknowledged: the marks of their cells changed.
    virtual void AlertsAcknowledged() {}
    // Old alerts were let go, or a rescan moved them with their receivers: the list (and the
    // cells' marks) are to be read afresh.
    virtual void AlertsTrimmed() {}
};

class AlertList {
public:
    static constexpr std::size_t kKept = 5000;

    // Starts an alert of the slot (1..40) and returns it; null when one of the kind is up. now is
    // the wall-clock time of nowMicros.
    const Alert* Start(AlertKind kind, int slot, const QString& name, std::int64_t sinceMicros,
                       std::int64_t nowMicros, const QDateTime& now, const QString& detail);
    // Ends the slot's open alert of this kind and returns it; null when there was none.
    const Alert* End(AlertKind kind, int slot, std::int64_t nowMicros, const QDateTime& now,
                     const QString& detail);
    bool IsOpen(int slot, AlertKind kind) const;
    // Ends the open alerts of the receivers no longer attached (at the stop) and returns them.
    std::vector<const Alert*> EndAway(std::int64_t nowMicros, const QDateTime& now,
                                      const QString& detail);
    // The serial number of the receiver in each slot, stamped on its alerts as they start.
    void SetSeats(const std::array<SerialNumber, kMaxSlots + 1>& serials) { seats_ = serials; }
    // The serial number an alert of the slot is raised for (empty outside 1..40).
    QString SerialAt(int slot) const {
        return slot >= 1 && slot <= kMaxSlots
                   ? QString::fromLatin1(seats_[static_cast<std::size_t>(slot)].data())
                   : QString();
    }
    // A rescan: the open alerts and the unacknowledged ended ones go with their receivers to
    // their new slots; those of a receiver that is gone wait for it (by its serial number) and
    // come back with it; every alert of a receiver takes the slot it sits in now.
    void Reseat(const RackReseat& reseat, const std::array<SerialNumber, kMaxSlots + 1>& serials);
    CellAlerts CellOf(int slot) const;
    // The same of the kinds that are marked on the cells (marked[Index(kind)]).
    CellAlerts CellOf(int slot, const std::array<bool, kAlertKinds>& marked) const;
    void AcknowledgeEnded();

    std::size_t size() const { return alerts_.size(); }
    const Alert& at(std::size_t index) const { return alerts_[index]; } // 0 is the oldest
    int ActiveCount() const { return activeCount_; }

    void AddObserver(AlertEvents& observer);
    // Told after every other observer (the alarms: what they log and trace follows the alert).
    void AddLateObserver(AlertEvents& observer);
    void RemoveObserver(AlertEvents& observer);

private:
    Alert* find(std::uint64_t id);
    // The count of ended alerts not acknowledged that the alert counts in, wherever its
    // receiver is now (nullptr when it is nowhere).
    int* unseenOf(const Alert& alert);
    void trim();
    template <typename Event>
    void tell(Event event);

    std::deque<Alert> alerts_;
    std::uint64_t nextId_ = 1;
    int activeCount_ = 0;
    std::size_t ended_ = 0;
    // By slot and kind: the open alert's id (0: none), and the ended alerts not acknowledged.
    using OpenIds = std::array<std::uint64_t, kAlertKinds>;
    using Unseen = std::array<int, kAlertKinds>;
    std::array<OpenIds, kMaxSlots + 1> open_{};
    std::array<Unseen, kMaxSlots + 1> unseen_{};
    std::array<SerialNumber, kMaxSlots + 1> seats_{};
    // The same of receivers no longer attached, by serial number.
    struct Away {
        QString serial;
        OpenIds open{};
        Unseen unseen{};
    };
    std::vector<Away> away_;
    std::vector<AlertEvents*> observers_;
    std::vector<AlertEvents*> late_;
};

} // namespace k7
