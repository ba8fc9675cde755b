// The part of the rack tables the layers above the rack may change: the working settings
// (CurData), what a receiver holds once the station has programmed it (RxData), the user-mute
// state and the mute byte's high bit, the selected slot and the user's decimal separator. Meter
// readings, answer counts and the polling counts are the rack engine's alone; the others read them
// as const RackTables.
#pragma once

#include "RackTables.h"

#include <cstddef>

namespace k7 {

class RackSettings {
public:
    explicit RackSettings(RackTables& rack) : rack_(rack) {}

    const RackTables& tables() const { return rack_; }
    // A slot's row (1..40). A slot outside the rack gets a row of no slot: what is written to
    // it is dropped, so a wrong slot can never write another slot's row or end the program.
    SettingsRow& Current(int slot) { return valid(slot) ? rack_.CurData[index(slot)] : none(); }
    SettingsRow& Reported(int slot) { return valid(slot) ? rack_.RxData[index(slot)] : none(); }
    void SetCurrentTable(const SettingsTable& table) { rack_.CurData = table; }
    // Slots outside the rack change nothing.
    void SetUserMute(int slot, bool on) {
        if (valid(slot)) {
            rack_.UserMute[index(slot)] = on;
        }
    }
    // A download of preset entries leaves the receiver's mute byte without its high bit.
    void SetMuteHighBit(int slot, bool on) {
        if (valid(slot)) {
            rack_.MuteHighBit[index(slot)] = on;
        }
    }
    void SelectSlot(int slot) { rack_.SelectedSlot = slot; }
    void SetDecimalSeparatorCode(std::int32_t code) { rack_.DecimalSeparatorCode = code; }

private:
    static bool valid(int slot) { return RackTables::validSlot(slot); }
    static std::size_t index(int slot) { return static_cast<std::size_t>(slot); }
    SettingsRow& none() {
        noSlot_ = SettingsRow{};
        return noSlot_;
    }
    RackTables& rack_;
    SettingsRow noSlot_;
};

} // namespace k7
