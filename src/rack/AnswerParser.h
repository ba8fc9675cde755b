// ParseSerial: turns an accepted answer in the link's RxBuffer into the rack model (identify
// answers during discovery, settings and meter answers while metering) and redraws the
// answering slot's meter at once. Every index it derives from the answer is checked first.
#pragma once

#include <array>
#include <cstdint>

namespace k7 {

struct DeviceTables;
struct RackTables;
class MeterDisplay;
class ReceiverPanelPort;

class AnswerParser {
public:
    using RxBytes = std::array<std::uint8_t, 21>;

    AnswerParser(const DeviceTables& devices, RackTables& rack, const RxBytes& rxBuffer)
        : devices_(devices), rack_(rack), rx_(rxBuffer) {}

    // Either may be left unset: nothing is drawn, no panel is told.
    void setMeterDisplay(MeterDisplay* display) { display_ = display; }
    void setReceiverPanel(ReceiverPanelPort* panel) { panel_ = panel; }

    // Slot of the device's answers, or 0 when the device's bank or position is out of range.
    int SlotOfDevice(int deviceIndex) const;
    void ParseSerial(int deviceIndex);

private:
    void identifyAnswer(int slot);
    void settingsAnswer(int slot);
    void meterAnswer(int slot, int position);
    void redraw(int slot, int position);

    const DeviceTables& devices_;
    RackTables& rack_;
    const RxBytes& rx_;
    MeterDisplay* display_ = nullptr;
    ReceiverPanelPort* panel_ = nullptr;
};

} // namespace k7
