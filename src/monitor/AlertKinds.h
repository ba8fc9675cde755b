// The kinds of alert the station raises on a receiver, with the token the trace and the event
// log write, the caption the Alerts window shows and the colour of the mark on the meter cell.
#pragma once

#include <QColor>
#include <QLatin1StringView>
#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

// Disconnected: the receiver's device was gone when a rescan looked for it.
enum class AlertKind : std::uint8_t { Battery, RfLost, AudioSilent, NotAnswering, Disconnected };
inline constexpr int kAlertKinds = 5;
inline constexpr std::array<AlertKind, kAlertKinds> kAllAlertKinds{
    AlertKind::Battery, AlertKind::RfLost, AlertKind::AudioSilent, AlertKind::NotAnswering,
    AlertKind::Disconnected};

constexpr int Index(AlertKind kind) {
    return static_cast<int>(kind);
}

// "battery", "rf-lost", "audio-silent", "not-answering", "disconnected".
QLatin1StringView AlertToken(AlertKind kind);
// "Battery low", "RF lost", "Audio silent", "Not answering", "Disconnected".
QString AlertCaption(AlertKind kind);
QColor AlertColour(AlertKind kind);
// Which kind a cell's mark shows when several are up at once: the higher, the more urgent.
int AlertUrgency(AlertKind kind);

} // namespace k7
