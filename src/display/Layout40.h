// The forty-slot layout for racks of 25 to 40 receivers: five rows of eight cells of 100 x 140
// on the grid Find40Rx reads, slots in reading order. A cell is a compact meter strip: name and
// frequency on top, RF A and B and the audio bar on the 79-pixel scales, and a column with the
// diversity lamps, the user-mute icon and the battery gauge.
#pragma once

#include "display/Layouts.h"
#include "rack/LayoutProfiles.h"

#include <QPoint>

namespace k7 {

inline constexpr int kCell40Width = 100;
inline constexpr int kCell40Height = 140;
static_assert(LayoutProfileOf(LayoutId::Slots40).cell == QSize(kCell40Width, kCell40Height));

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

inline constexpr CellPositions kCell40Positions{
    .rfA = {Cell40::RfLeftA, Cell40::BarBottom},
    .rfB = {Cell40::RfLeftB, Cell40::BarBottom},
    .audio = {Cell40::AudioLeft, Cell40::BarBottom},
    .gauge = {Cell40::GaugeLeft, Cell40::GaugeBottom},
    .textBox = {Cell40::TextLeft, Cell40::TextBottom},
    .lampA = {Cell40::LampLeft, Cell40::LampABottom},
    .lampB = {Cell40::LampLeft, Cell40::LampBBottom},
    .muteIcon = {Cell40::MuteIconLeft, Cell40::MuteIconBottom},
    .hasLamps = true};

} // namespace k7
