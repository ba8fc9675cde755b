// The kinds of alert the station raises on a receiver, with the token the trace and the event
// log write, the caption the Alerts window shows and the colour of the mark on the meter cell.
#pragma once

#include <QColor>
#include <QLatin1StringView>
#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

enum class AlertKind : std::uint8_t { Battery, RfLost, AudioSilent, NotAnswering };
inline constexpr int kAlertKinds = 4;
inline constexpr std::array<AlertKind, kAlertKinds> kAllAlertKinds{
    AlertKind::Battery, AlertKind::RfLost, AlertKind::AudioSilent, AlertKind::NotAnswering};

constexpr int Index(AlertKind kind) {
    return static_cast<int>(kind);
}

// "battery", "rf-lost", "audio-silent", "not-answering".
QLatin1StringView AlertToken(AlertKind kind);
// "Battery low", "RF lost", "Audio silent", "Not answering".
QString AlertCaption(AlertKind kind);
QColor AlertColour(AlertKind kind);
// Which kind a cell's mark shows when several are up at once: the higher, the more urgent.
int AlertUrgency(AlertKind kind);

} // namespace k7
