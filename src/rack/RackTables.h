// The rack model: what each receiver last reported (RxData), the working settings (CurData),
// and the per-slot meter and answer state. Slot-indexed tables use entries 1..40; entry 0 is
// never used. The rack engine and its answer parser write them; the layers above read them as
// const RackTables and change only what RackSettings lets them.
#pragma once

#include "link/DeviceTables.h"

#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

// One row of receiver settings, all as text: name (six characters), frequency ("606.600" with
// the user's decimal separator), mute level "1".."10", band/type byte in decimal (bit 6 is the
// user mute).
struct SettingsRow {
    QString Name;
    QString Frequency;
    QString MuteLevel;
    QString BandType;
    bool operator==(const SettingsRow&) const = default;
};
using SettingsTable = std::array<SettingsRow, kMaxSlots + 1>;

// Entries of a slot's MeterData row (raw bytes as the receiver sends them).
enum MeterEntry : int { RfA = 1, RfB = 2, AudioLevel = 4, Voltage = 5 };
inline constexpr int kMeterEntries = 10;

struct RackTables {
    static constexpr std::array<std::int32_t, 5> BankBase{0, 8, 16, 24, 32};
    // Entry g * 8 + s holds s (banks g 0..4, positions s 0..7).
    std::array<std::int32_t, kMaxSlots> PositionInBank{};

    std::int32_t AnswersPerSecond = 0;
    std::int32_t HoldAnswers = 0;
    std::int32_t SelectedSlot = 0;
    // The character code of the user's decimal separator.
    std::int32_t DecimalSeparatorCode = '.';
    // That separator as a character ("." when the code is none).
    QChar DecimalSeparator() const {
        return DecimalSeparatorCode > 0 && DecimalSeparatorCode < 0x10000
                   ? QChar(DecimalSeparatorCode)
                   : QLatin1Char('.');
    }

    SettingsTable RxData;
    SettingsTable CurData;

    std::array<std::int32_t, kMaxSlots + 1> SlotState{}; // 0 no answer yet, 2 answered
    std::array<bool, kMaxSlots + 1> MuteHighBit{};
    std::array<bool, kMaxSlots + 1> UserMute{};
    std::array<std::array<std::uint8_t, kMeterEntries + 1>, kMaxSlots + 1> MeterData{};
    std::array<bool, kMaxSlots + 1> VoltageKnown{};
    std::array<std::int32_t, kMaxSlots + 1> HoldCount{};
    std::array<std::int32_t, kMaxSlots + 1> HoldStart{};
    std::array<std::int32_t, kMaxSlots + 1> AnswerCount{};
    std::array<bool, kMaxSlots + 1> SlowFlag{};
    // Of the meter answer just parsed, for the redraw that follows it.
    std::uint8_t LastMuted = 0;
    std::uint8_t LastAntenna = 0;

    static bool validSlot(int slot) { return slot >= 1 && slot <= kMaxSlots; }
};

} // namespace k7
