// ParseSerial: turns an accepted answer in the link's RxBuffer into the rack model (identify
// answers during discovery, settings and meter answers while metering) and says what it
// parsed, for the engine to tell the rack's observers. Every index it derives from the answer
// is checked first.
#pragma once

#include "link/DeviceTables.h"

#include <array>
#include <cstdint>

namespace k7 {

struct RackTables;
class RackEvents;

// What one answer was, once it is in the tables.
struct RackAnswer {
    enum Kind { None, Identify, Settings, Meter };
    Kind kind = None; // None: not an answer of a slot in the rack, or of no known type
    int slot = 0;
    int position = 0; // 1..8 in the slot's bank
};

// Tells an observer what the answer was (an identify answer is discovery's own business).
void TellAnswer(const RackAnswer& answer, RackEvents& observer);

class AnswerParser {
public:
    using RxBytes = std::array<std::uint8_t, 21>;
    using ProbeTable = std::array<std::uint8_t, kMaxSlots + 1>;

    AnswerParser(const DeviceTables& devices, RackTables& rack, const RxBytes& rxBuffer)
        : devices_(devices), rack_(rack), rx_(rxBuffer) {}

    // Slot of the device's answers, or 0 when the device's bank or position is out of range.
    int SlotOfDevice(int deviceIndex) const;
    RackAnswer ParseSerial(int deviceIndex);

    // Discovery's record of identify answers: entry s holds s once slot s has answered.
    const ProbeTable& ProbeAnswered() const { return probeAnswered_; }
    // Every entry 0, except slot 1's, which starts at a value no slot stores (slot 1 must
    // answer to count even in a rack of one).
    void ResetProbes();

private:
    void identifyAnswer(int slot);
    void settingsAnswer(int slot);
    void meterAnswer(int slot);

    const DeviceTables& devices_;
    RackTables& rack_;
    const RxBytes& rx_;
    ProbeTable probeAnswered_{};
};

} // namespace k7
