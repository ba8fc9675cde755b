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
    // Slots 0..40 (0 is never used); anything else throws std::out_of_range.
    SettingsRow& Current(int slot) { return rack_.CurData.at(index(slot)); }
    SettingsRow& Reported(int slot) { return rack_.RxData.at(index(slot)); }
    void SetCurrentTable(const SettingsTable& table) { rack_.CurData = table; }
    void SetUserMute(int slot, bool on) { rack_.UserMute.at(index(slot)) = on; }
    // A download of preset entries leaves the receiver's mute byte without its high bit.
    void SetMuteHighBit(int slot, bool on) { rack_.MuteHighBit.at(index(slot)) = on; }
    void SelectSlot(int slot) { rack_.SelectedSlot = slot; }
    void SetDecimalSeparatorCode(std::int32_t code) { rack_.DecimalSeparatorCode = code; }

private:
    static std::size_t index(int slot) { return static_cast<std::size_t>(slot); }
    RackTables& rack_;
};

} // namespace k7
