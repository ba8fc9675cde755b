// The crew view's messages, as JSON text: the snapshot of the whole rack (the first message of
// every viewer, and GET /api/rack) and the changes since a viewer's last message. It reads the
// rack's tables and the alerts as the meters and the Alerts window show them, and keeps the
// little an answer leaves only while it is being told (muted, antenna, when). The format is an
// interface that stays (the README's "The crew view"): fields are added, never changed.
#pragma once

#include "link/DeviceTables.h"
#include "monitor/HistoryScale.h"
#include "rack/RackEvents.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonObject>

#include <array>
#include <cstdint>
#include <functional>

namespace k7 {

class ReceiverLabels;

class AlertList;
class Clock;
struct RackTables;

// What changed for one viewer since its last message.
struct ViewerChanges {
    std::uint64_t changed = 0; // bit s: slot s answered or changed
    // Of each changed slot, the highest raw audio of its answers since the last message.
    std::array<std::uint8_t, kMaxSlots + 1> audioPeak{};
    bool alerts = false;   // the open alerts (or a cell's mark) changed
    bool activity = false; // the rack's activity changed
    bool any() const { return changed != 0 || alerts || activity; }
    bool operator==(const ViewerChanges&) const = default;
};

class CrewModel {
public:
    static constexpr int kFormatVersion = 1;

    struct Sources {
        const RackTables& rack;
        const DeviceTables& devices;
        const AlertList& alerts;
        const Clock& clock;
        // The local time of the clock's origin (the monitor's WallOrigin).
        std::function<QDateTime()> wallOrigin;
        // The receivers' labels (none: no labels are served).
        const ReceiverLabels* labels = nullptr;
    };

    explicit CrewModel(const Sources& sources);

    // A meter answer of the slot is in the tables: what only the answer's moment tells (muted,
    // antenna) is kept with its time.
    void MeterAnswered(int slot);
    // The answer-rate check blanked the slot's receiver (false) or found it answering again.
    void SetAnswering(int slot, bool answering);
    void SetActivity(RackActivity activity) { activity_ = activity; }

    QByteArray Snapshot() const;
    QByteArray Changes(const ViewerChanges& changes) const;
    // Sent when nothing else was for a while, so that a viewer knows the line still holds.
    QByteArray Alive() const;

    // The slot's raw audio of its last answer.
    std::uint8_t Audio(int slot) const;

private:
    struct Moment {
        bool answered = false;
        bool muted = false;
        bool antennaA = false;
        bool blanked = false;
        std::int64_t atMicros = 0;
    };

    QJsonObject head(const char* type) const;
    QJsonObject slotObject(int slot, int peakRaw) const;
    QJsonArray slotsOf(std::uint64_t which, const ViewerChanges* changes) const;
    QJsonArray openAlerts() const;

    const RackTables& rack_;
    const DeviceTables& devices_;
    const AlertList& alerts_;
    const ReceiverLabels* labels_;
    const Clock& clock_;
    std::function<QDateTime()> wallOrigin_;
    HistoryScale scale_;
    Scaling scaling_;
    std::array<Moment, kMaxSlots + 1> moments_{};
    RackActivity activity_ = RackActivity::Discovery;
};

// "discovery", "question", "pass", "monitoring", "settling", "closing".
QLatin1StringView ActivityToken(RackActivity activity);

} // namespace k7
