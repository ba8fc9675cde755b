// The observer port of the rack: what the rack tells those who watch it (the meter display,
// the control panel, and the alerts and the history as they come). The engine tells every
// observer once the exchange that carried an answer has ended, never inside a read. An
// observer reads the rack tables; it never writes to the link, so watching adds no traffic.
#pragma once

#include "link/DeviceTables.h"

#include <QString>

#include <array>
#include <vector>

namespace k7 {

// What the rack engine is doing.
enum class RackActivity {
    Discovery,    // identify sweeps
    LoadQuestion, // the load-last-file question waits for the operator
    Pass,         // a programming pass (or its delayed frequency send) is running
    Monitoring,   // metering; polling timers belong to it
    Settling,     // a USB change: the watchdog waits for the device count to settle, then a
                  // rescan finds the receivers again
    Closing,      // the close countdown runs, or the station stops: the program is ending
};

// Where the receivers of the rack went in a rescan, matched by serial number.
struct RackReseat {
    int before = 0; // receivers before the rescan
    int after = 0;  // receivers found by it
    // By slot before (1..before): the receiver's slot now; 0 when it is no longer attached.
    std::array<int, kMaxSlots + 1> movedTo{};
    // By slot now (1..after): the receiver's slot before; 0 when it was not in the rack.
    std::array<int, kMaxSlots + 1> cameFrom{};
    // By slot before: the receiver's serial number and its name as the rack showed it.
    std::array<SerialNumber, kMaxSlots + 1> serialBefore{};
    std::array<QString, kMaxSlots + 1> nameBefore;
};

// Why a rescan could not bring monitoring back: the close countdown follows.
enum class RescanRefusal { NoDevice, NotFamily, TooMany, DiscoveryFailed };

// A programming pass as it starts: what it sends and where the settings come from.
struct PassStart {
    bool fromFile = false;    // the working settings of a frequency file; else the receivers'
                              // own data, and nothing is sent
    bool changedOnly = false; // only what differs from what the receivers reported
    QString file;             // the current file (when fromFile)
};

class RackEvents {
public:
    virtual ~RackEvents() = default;
    // A meter answer of the slot's receiver (position 1..8 in its bank) is in the tables.
    virtual void MeterAnswered(int /*slot*/, int /*position*/) {}
    // A settings answer (name, frequency, mute level) of the slot's receiver is in the tables.
    virtual void SettingsAnswered(int /*slot*/) {}
    // The answer-rate check found the slot's receiver too slow: its cell is blank until it
    // answers again.
    virtual void ReceiverBlanked(int /*slot*/) {}
    // The answer-rate check found a receiver it had blanked answering at its rate again.
    virtual void ReceiverAnsweringAgain(int /*slot*/) {}
    virtual void ActivityChanged(RackActivity /*activity*/) {}
    // The USB watchdog counted `attached` devices where the rack has `expected`: monitoring
    // ends with the close countdown, which starts once the observers have been told, or (with
    // rescans after a USB change) the watchdog waits for the count to settle. Nothing may be
    // sent to a receiver from now until monitoring starts again.
    virtual void DeviceCountChanged(int /*attached*/, int /*expected*/) {}
    // After a USB change, the device count stayed the same for two watchdog periods.
    virtual void DevicesSettled() {}
    // A rescan starts: every device of the rack (`before` receivers) is about to be closed.
    virtual void RescanStarted(int /*before*/) {}
    // The rescan found and opened its devices: where each receiver went. Told before the
    // first identify sweep.
    virtual void ReceiversReseated(const RackReseat& /*reseat*/) {}
    // Every receiver of the rescan answered: monitoring has started again with `after`.
    virtual void RescanEnded(int /*before*/, int /*after*/) {}
    // The rescan found no rack it can monitor; the close countdown follows.
    virtual void RescanRefused(RescanRefusal /*reason*/, int /*before*/) {}
    // Discovery gave up: the slots listed never answered identification. Told before the
    // operator is, and before the close countdown.
    virtual void DiscoveryFailed(const std::vector<int>& /*silentSlots*/) {}
    // A programming pass starts sending (or opening) on its first tick.
    virtual void ProgrammingPassStarted(const PassStart& /*pass*/) {}
};

} // namespace k7
