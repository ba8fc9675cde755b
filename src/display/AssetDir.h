// Where the panel's assets (Graphics.tof and the fonts folder) are found: beside the program, or
// in ../share/k7station where the install rule puts them.
#pragma once

#include <QString>

namespace k7 {

// The folder holding Graphics.tof; the program's folder when neither place has it, so that the
// graphics set-up reports the missing atlas.
QString FindAssetDir(const QString& programDir);

} // namespace k7
