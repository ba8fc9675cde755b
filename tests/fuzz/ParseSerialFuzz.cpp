// Fuzz target for ParseSerial: the input sets up the device and rack tables of the station's
// core (device index, bank, position, layout, hold state, separator), then feeds one answer
// after another into the link's RxBuffer for the engine to take in and tell its observers. Any
// read outside a table, a redraw of a cell that does not exist, a settings answer of no slot or
// a mute level outside 1..10 stops the run.
#include "FuzzRequire.h"
#include "support/RackHarness.h"

#include <cstddef>
#include <cstdint>

namespace {

using namespace k7;

class CheckingDisplay final : public MeterDisplay {
public:
    void Display8VU(int receiver, int position) override {
        Require(receiver == position && position >= 1 && position <= 8);
    }
    void Display16VU(int receiver, int position) override { check(receiver, position); }
    void Display24VU(int receiver, int position) override { check(receiver, position); }
    void Display40VU(int receiver, int position) override { check(receiver, position); }
    void ResetPeaks() override {}
    void PrepareCells8() override {}
    void PrepareCells16() override {}
    void PrepareCells24() override {}
    void PrepareCells40() override {}
    void ClearPanel() override {}
    void ShowPanel() override {}

private:
    static void check(int receiver, int position) {
        Require(receiver >= 1 && receiver <= kMaxSlots && position >= 1 && position <= 8);
        Require((receiver - 1) % 8 + 1 == position);
    }
};

class CheckingPanel final : public RackEvents {
public:
    void SettingsAnswered(int slot) override { Require(RackTables::validSlot(slot)); }
    void MeterAnswered(int slot, int position) override {
        Require(RackTables::validSlot(slot) && position >= 1 && position <= 8);
    }
};

// The core over a rack of no receivers, its display and observer the checking ones.
struct Rig {
    Rig() {
        harness.core.AttachDisplay(display);
        harness.engine.AddObserver(panel);
    }
    // The harness's recording doubles keep every event; an input's are let go before the next,
    // so that what grows from input to input is the station's own.
    void Forget() {
        harness.events.events.clear();
        harness.events.answeredSlots.clear();
        harness.events.activities.clear();
        harness.display.calls.clear();
        harness.display.draws.clear();
        harness.dialog.numbers.clear();
        harness.shell.titles.clear();
    }
    test::RackHarness harness;
    CheckingDisplay display;
    CheckingPanel panel;
};

constexpr std::size_t kSetup = 8;

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kSetup) {
        return 0;
    }
    static Rig rig;
    rig.Forget();
    DeviceTables& devices = rig.harness.devices;
    RackTables& rack = rig.harness.rack;
    devices = DeviceTables{};
    rack = RackTables{};
    auto& rx = rig.harness.link.RxBuffer;

    const int device = static_cast<int>(data[0]) - 8; // -8..247: in and out of range
    for (int d = 0; d < kMaxDevices; ++d) {
        devices.DeviceGroup[static_cast<std::size_t>(d)] =
            static_cast<std::int8_t>(data[1]) + d / 8;
        devices.DeviceGroupPos[static_cast<std::size_t>(d)] =
            static_cast<std::uint8_t>(data[2] + d % 8);
    }
    devices.RackLayout = data[3] % 5;
    rack.HoldAnswers = data[4];
    rack.DecimalSeparatorCode = data[6] ? data[6] : '.';
    for (int s = 1; s <= kMaxSlots; ++s) {
        rack.HoldCount[static_cast<std::size_t>(s)] = data[5];
        rack.VoltageKnown[static_cast<std::size_t>(s)] = (data[7] & 1) != 0;
    }
    rack.SelectedSlot = data[7] >> 2;

    for (std::size_t at = kSetup; at < size; at += rx.size()) {
        rx.fill(0);
        for (std::size_t i = 0; i < rx.size() && at + i < size; ++i) {
            rx[i] = data[at + i];
        }
        rig.harness.engine.AnswerReceived(device);
        rig.harness.engine.AnswerReceived(device + static_cast<int>(rx[1] % 48)); // another one
    }

    for (int s = 1; s <= kMaxSlots; ++s) {
        const QString& level = rack.RxData[static_cast<std::size_t>(s)].MuteLevel;
        if (!level.isNull()) {
            const int value = level.toInt();
            Require(value >= 1 && value <= 10);
        }
        Require(rack.RxData[static_cast<std::size_t>(s)].Name.isNull() ||
                rack.RxData[static_cast<std::size_t>(s)].Name.size() == 6);
    }
    return 0;
}
