// The watch over each receiver's answers that raises and clears the alerts drawn from its
// readings: battery low, RF lost and audio silent. It reads the rack tables as the meters show
// them, once per meter answer, and keeps only a few times per receiver, so that watching costs
// nothing the poll would notice.
#pragma once

#include "AlertKinds.h"
#include "AlertSettings.h"
#include "link/DeviceTables.h"

#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

struct RackTables;
struct RackReseat;

// Where the watch raises and clears alerts (the monitor).
class AlertSink {
public:
    virtual ~AlertSink() = default;
    virtual bool IsUp(int slot, AlertKind kind) const = 0;
    virtual void Raise(AlertKind kind, int slot, std::int64_t sinceMicros,
                       const QString& detail) = 0;
    virtual void Clear(AlertKind kind, int slot, const QString& detail) = 0;
};

class AlertWatch {
public:
    // Answers further apart than this do not make a run of readings: after a programming pass
    // or a pause the holds start again, so that one reading on each side of a gap raises nothing.
    static constexpr std::int64_t kGapMicros = 1'000'000;

    AlertWatch(const RackTables& rack, AlertSink& sink);

    void SetSettings(const AlertSettings& settings) { settings_ = settings; }
    const AlertSettings& settings() const { return settings_; }

    // A meter answer of the slot is in the tables.
    void MeterAnswered(int slot, std::int64_t nowMicros);
    // The receivers may be on new frequencies: a transmitter has to be seen again before its
    // RF can be lost.
    void ForgetTransmitters();
    // A rescan: what the watch knows of each receiver goes with it to its new slot; a slot's
    // new receiver starts afresh.
    void Reseat(const RackReseat& reseat);

    // The lowest raw RF level at or above a mute level's threshold marker on the meters (0 for a
    // level outside 1..10: nothing is under it).
    int RfThreshold(int muteLevel) const;

private:
    struct Receiver {
        std::int64_t last = -1;       // the previous answer
        std::int64_t lowSince = -1;   // battery: first low reading of the run
        std::int64_t goodSince = -1;  // battery: first good reading while the alert is up
        std::int64_t underSince = -1; // RF: first reading with both antennas under
        std::int64_t silentSince = -1;
        bool transmitterSeen = false;
        QString frequency; // the frequency the transmitter was seen on
    };

    void battery(int slot, Receiver& r, std::int64_t now);
    void rf(int slot, Receiver& r, std::int64_t now);
    void audio(int slot, Receiver& r, std::int64_t now);

    const RackTables& rack_;
    AlertSink& sink_;
    AlertSettings settings_;
    std::array<int, 11> rfThreshold_{}; // by mute level
    std::array<Receiver, kMaxSlots + 1> receivers_{};
};

// "1.0 s", "12.3 s", "2 min 05 s", "1 h 02 min".
QString DurationText(std::int64_t micros);

} // namespace k7
