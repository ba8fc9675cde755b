// Measurement scaling: lookup tables that turn a raw RF, audio or voltage byte into the lit
// height of a bar or gauge, and a mute level into the height of the threshold marker. Built
// once at start from built-in calibration points; the renderers only look values up.
#pragma once

#include <QString>

#include <array>
#include <cstdint>

namespace k7 {

// Columns of a scale table row.
enum ScaleColumn : int { RfHeightColumn = 0, AudioHeightColumn = 2, GaugeHeightColumn = 3 };
// Columns of ThresholdTable, one per bar length.
enum BarScale : int { Bar79 = 0, Bar255 = 1, Bar127 = 2 };

using ScaleRow = std::array<std::int16_t, 4>;
using ScaleTable = std::array<ScaleRow, 256>;
using ThresholdRow = std::array<std::int16_t, 3>;

struct Scaling {
    std::array<int, 11> VoltageSteps{};   // entries 1..10
    std::array<int, 11> RfCalPoints{};    // raw RF at the scale marks 0..10
    std::array<int, 11> AudioCalPoints{}; // raw audio at the scale marks 0..10
    ScaleTable ScaleTable79{};
    ScaleTable ScaleTable255{};
    ScaleTable ScaleTable127{};
    // Indexed by mute level; rows 1..10 are filled, every other row holds 0.
    std::array<ThresholdRow, 256> ThresholdTable{};
};

void BuildScaling(Scaling& scaling);

// The voltage step (1..10) a raw voltage byte falls on.
int VoltageStep(const Scaling& scaling, int raw);

// A mute level as text turned into a ThresholdTable row: its whole number when it is one in
// 0..255, else 0 (whose row holds height 0), so a damaged setting never indexes past the table.
int MuteLevelRow(const QString& muteLevel);

} // namespace k7
