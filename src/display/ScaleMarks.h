// The marks of the RF and audio scales the cell backgrounds (and the History window) carry: the
// row a tick lands on, the numbers of the ten- and five-mark scales and the RF unit.
#pragma once

#include <QChar>
#include <QString>

#include <array>
#include <cmath>

namespace k7 {

// The row of tick i of n over a scale of height H whose bottom row is B.
inline int TickRow(int i, int n, int height, int bottom) {
    return bottom - static_cast<int>(std::nearbyint(static_cast<double>(i) / n * height));
}

// The ten marks of the long (255-pixel) scales: RF in microvolts, audio in dB.
inline constexpr std::array<const char*, 10> kRfNumbers10{"1",  "2",  "4",   "8",   "16",
                                                          "30", "60", "125", "250", "500"};
inline constexpr std::array<const char*, 10> kAudioNumbers10{"-30", "-24", "-18", "-12", "-9",
                                                             "-6",  "-3",  "0",   "+3",  "+6"};
inline constexpr std::array<const char*, 5> kRfNumbers5{"2", "8", "30", "125", "500"};
inline constexpr std::array<const char*, 5> kAudioNumbers5{"-24", "-12", "-6", "0", "+6"};

inline QString MicroVolt() {
    return QString(QChar(0xB5)) + QLatin1Char('V');
}

} // namespace k7
