// The station's icon, drawn: the meter bridge of the desktop entry's icon
// (packaging/com.veltora.k7station.svg), painted with QPainter at the sizes a window system
// asks for, so that the program needs no SVG support to show it on its windows.
#pragma once

#include <QIcon>

namespace k7 {

QIcon StationIcon();

} // namespace k7
