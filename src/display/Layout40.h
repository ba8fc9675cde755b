// The forty-slot layout for racks of 25 to 40 receivers: five rows of eight cells of 100 x 140
// on the grid Find40Rx reads, slots in reading order. A cell is a compact meter strip: name and
// frequency on top, RF A and B and the audio bar on the 79-pixel scales, and a column with the
// diversity lamps, the user-mute icon and the battery gauge.
#pragma once

#include "display/Layouts.h"

#include <QPoint>

namespace k7 {

inline constexpr int kCell40Width = 100;
inline constexpr int kCell40Height = 140;
inline constexpr int kCell40Columns = 8;
inline constexpr int kCell40Rows = 5;

// Cell-relative geometry shared by the cell background and the renderer.
namespace Cell40 {
inline constexpr int BarBottom = 124; // last row of the bars; a bar is 80 rows (height 0..79)
inline constexpr int BarRows = 80;
inline constexpr int RfLeftA = 4;
inline constexpr int RfLeftB = 12;
inline constexpr int RfWidth = 7;
inline constexpr int AudioLeft = 44;
inline constexpr int AudioWidth = 11;
inline constexpr int LampLeft = 76;
inline constexpr int LampABottom = 50;
inline constexpr int LampBBottom = 67;
inline constexpr int MuteIconLeft = 77;
inline constexpr int MuteIconBottom = 91;
inline constexpr int MuteIconSize = 20;
inline constexpr int GaugeLeft = 79;
inline constexpr int GaugeBottom = 135;
inline constexpr int GaugeWidth = 16;
inline constexpr int GaugeHeight = 42;
// The text box: columns 2..97, rows 2..31 of the cell.
inline constexpr int TextLeft = 2;
inline constexpr int TextBottom = 31;
inline constexpr int TextWidth = 96;
inline constexpr int TextHeight = 30;
} // namespace Cell40

// Top-left corner of a slot's cell (slot 1..40).
QPoint CellOrigin40(int slot);
// Slots 1..40 of the forty-slot layout.
void BuildLayout40(LayoutTable& table);

} // namespace k7
