// Where the elements of a cell lie within it, for the 8-, 16- and 24-slot layouts (the
// forty-slot one has a file of its own): lower-left pixels from the cell's top-left corner. The
// cells themselves are placed by the layout's profile (rack/LayoutProfiles.h) or by the panel's
// arrangement.
#pragma once

#include <QPoint>

namespace k7 {

// The element positions of one cell, from its top-left corner.
struct CellPositions {
    QPoint rfA, rfB, audio, gauge, textBox, lampA, lampB, muteIcon;
    bool hasLamps = false;
};

// The full cell of the 8-slot layout (200 x 350).
inline constexpr CellPositions kCell8Positions{.rfA = {15, 320},
                                               .rfB = {66, 320},
                                               .audio = {105, 320},
                                               .gauge = {165, 320},
                                               .textBox = {5, 50},
                                               .lampA = {167, 145},
                                               .lampB = {167, 185},
                                               .muteIcon = {157, 238},
                                               .hasLamps = true};
// The half-height cell of the 16-slot layout (200 x 175).
inline constexpr CellPositions kCell16Positions{.rfA = {15, 162},
                                                .rfB = {66, 162},
                                                .audio = {105, 162},
                                                .gauge = {165, 171},
                                                .textBox = {5, 29},
                                                .lampA = {89, 50},
                                                .lampB = {89, 90},
                                                .muteIcon = {158, 96},
                                                .hasLamps = true};
// The narrow cell of the 24-slot layout (133 x 175): no diversity lamps.
inline constexpr CellPositions kCell24Positions{.rfA = {7, 162},
                                                .rfB = {21, 162},
                                                .audio = {55, 162},
                                                .gauge = {105, 171},
                                                .textBox = {5, 31},
                                                .lampA = {},
                                                .lampB = {},
                                                .muteIcon = {95, 96},
                                                .hasLamps = false};

} // namespace k7
