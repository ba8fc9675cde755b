// The meters' scales for the history: where a raw RF or audio byte stands on the ten marks of
// the meter's microvolt and dB scales (the calibration points the bars are drawn with), where a
// mute level's threshold marker stands, and what a position reads in microvolts or dB.
#pragma once

#include "display/Scaling.h"

#include <QString>

namespace k7 {

class HistoryScale {
public:
    static constexpr int kMarks = 10;
    // The plot's height in marks: the ten and half a mark above the top one, so that the
    // highest reading the meters show (a strong, healthy signal) is drawn inside the plot, not
    // on its border.
    static constexpr double kPlotMarks = 10.5;

    HistoryScale();

    // 0 (at or under the scale's foot) to 10 (at or over its top), between marks in proportion
    // to the raw value between their calibration points, as the bars grow.
    double RfPosition(int raw) const { return Position(scaling_.RfCalPoints, raw); }
    double AudioPosition(int raw) const { return Position(scaling_.AudioCalPoints, raw); }
    // Where the meters draw a mute level's threshold marker on the RF scale; 0 for a level
    // outside 1..10.
    double ThresholdPosition(int muteLevel) const;

    // "60 µV", "< 1 µV"; "-6.0 dB", "< -30 dB": a position read on the scale's numbers (RF
    // between marks on a logarithmic scale, audio in dB between marks).
    static QString RfReading(double position);
    static QString AudioReading(double position);
    // The numbers at marks 1..10.
    static QString RfMark(int mark);
    static QString AudioMark(int mark);

private:
    static double Position(const std::array<int, 11>& points, int raw);

    Scaling scaling_;
};

} // namespace k7
