// Where the cells and their elements lie on the panel for the 8-, 16- and 24-slot layouts (the
// forty-slot one has a file of its own), and the hit tests that map a pointer position back to a
// slot. Positions are lower-left pixels.
#pragma once

#include "link/DeviceTables.h"

#include <QPoint>

#include <array>

namespace k7 {

// The element positions of one cell of the 16-, 24- or 40-slot layout.
struct CellPositions {
    QPoint rfA, rfB, audio, gauge, textBox, lampA, lampB, muteIcon;
    bool hasLamps = false;
};
using LayoutTable = std::array<CellPositions, kMaxSlots + 1>;

// Slots 1..16 of the 16-slot layout (four columns of 200, four rows of 175).
void BuildLayout16(LayoutTable& table);
// Slots 1..24 of the 24-slot layout (six columns of 133, four rows of 175).
void BuildLayout24(LayoutTable& table);

// Top-left corner of the cell of position 1..8 in the 8-slot layout.
QPoint CellOrigin8(int position);

// Hit tests: the slot under the pointer. A value on a boundary belongs to the higher column or
// row.
int FindMedRx(float x, float y); // 8-slot layout
int Find16Rx(float x, float y);  // 16-slot layout
int Find24Rx(float x, float y);  // 24-slot layout
int Find40Rx(float x, float y);  // 40-slot layout: eight columns by five rows of 100 x 140
// The hit test of a RackLayout value.
int FindRx(int rackLayout, float x, float y);

} // namespace k7
