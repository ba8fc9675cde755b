// How each kind of alert is brought to the operator, kept in the per-user settings store
// (section "Alarms", one key per kind, named by the kind's token): "silent" (recorded, logged and
// listed, no mark on the cell), "frame" (the cell's frame) or "alarm" (the frame flashing, a
// tone and the banner until acknowledged). A missing key is written with its default; a value
// that is none of the three is taken at its default.
#pragma once

#include "AlertKinds.h"

#include <QLatin1StringView>

#include <array>
#include <cstdint>

namespace k7 {

class SettingsStore;

enum class AlarmLevel : std::uint8_t { Silent, Frame, Alarm };

// "silent", "frame", "alarm".
QLatin1StringView AlarmLevelToken(AlarmLevel level);

struct AlarmSettings {
    // Battery low, RF lost and a receiver gone are alarms; quiet audio (often a pause) and a
    // receiver slow to answer are frames.
    std::array<AlarmLevel, kAlertKinds> levels{AlarmLevel::Alarm, AlarmLevel::Alarm,
                                               AlarmLevel::Frame, AlarmLevel::Frame,
                                               AlarmLevel::Alarm};

    AlarmLevel of(AlertKind kind) const { return levels[static_cast<std::size_t>(Index(kind))]; }
    // The kinds that mark a cell (all but the silent ones).
    std::array<bool, kAlertKinds> Marked() const;
};

AlarmSettings ReadAlarmSettings(SettingsStore& store);

} // namespace k7
