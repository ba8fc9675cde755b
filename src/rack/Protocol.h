// The receiver command protocol on the station's side: the 13-byte settings frames built from
// the working settings, the two query frames, and the text form of a wire frequency.
#pragma once

#include "RackTables.h"

#include <QString>

#include <array>
#include <cstdint>
#include <optional>

namespace k7 {

inline constexpr std::uint8_t kFrameStart = 'R';
inline constexpr int kSettingsFrameSize = 13;
inline constexpr int kQuerySize = 3;
inline constexpr int kIdentifyAnswerSize = 19;
inline constexpr int kMeterAnswerSize = 14;
inline constexpr int kMaxFrameMuteLevel = 10;
// Bit 6 of the band/type byte a settings frame carries: the receiver's user mute.
inline constexpr int kBandTypeUserMute = 0x40;

using SettingsFrame = std::array<std::uint8_t, kSettingsFrameSize>;

// "613.575" from 61, 35, 75: F1 unpadded, F2 split around the separator, F3 two digits.
QString FrequencyText(int f1, int f2, int f3, std::int32_t decimalSeparatorCode);

// The three wire bytes of a "ddd?ddd" text (any separator character); nullopt when the text is
// not seven characters with digits around the separator.
std::optional<std::array<std::uint8_t, 3>> FrequencyBytes(const QString& frequency);

// "M": name and mute level. nullopt when the name has a character beyond one byte, the mute
// level is negative or BandType is not a byte in decimal. Slots outside 1..40 give nullopt.
std::optional<SettingsFrame> BuildNameFrame(const RackTables& rack, int slot, int muteLevel);
// "m": mute level only; same conditions on the mute level and BandType.
std::optional<SettingsFrame> BuildMuteFrame(const RackTables& rack, int slot, int muteLevel);
// "I": frequency and mute level of the slot's working settings; the checksum is never "R".
std::optional<SettingsFrame> BuildFrequencyFrame(const RackTables& rack, int slot);

// A whole decimal number 0..255 from a settings text, else nullopt.
std::optional<std::uint8_t> ByteFromText(const QString& text);

} // namespace k7
