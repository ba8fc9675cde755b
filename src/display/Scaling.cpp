#include "display/Scaling.h"

#include <algorithm>
#include <cmath>

namespace k7 {

namespace {

constexpr std::array<int, 11> kRfCalPoints{74, 79, 85, 93, 102, 112, 119, 126, 142, 162, 175};
constexpr std::array<int, 11> kAudioCalPoints{12, 15, 17, 19, 25, 38, 48, 83, 112, 154, 188};
constexpr std::array<int, 11> kThresholdValues{0, 1, 2, 3, 4, 6, 8, 12, 16, 24, 30};

struct ScaleShape {
    double stepLength;  // one of the ten steps, in pixels
    double gaugeFactor; // voltage x to gauge pixels
    int gaugeMax;
    double thresholdA, thresholdB;
};
constexpr ScaleShape kShape79{7.9, 0.04848, 31, 11.588, 7.7171};
constexpr ScaleShape kShape255{25.5, 0.09696, 61, 37.404, 24.91};
constexpr ScaleShape kShape127{12.7, 0.09696, 61, 18.307, 11.975};

// Rounding to nearest with halves to even, as every table of the station is rounded.
std::int16_t RoundEven(double value) {
    return static_cast<std::int16_t>(std::nearbyint(value));
}

// Piecewise-linear heights between calibration points; every point lands on its mark.
std::array<double, 256> CalibratedHeights(const std::array<int, 11>& points, double step) {
    std::array<double, 256> height{};
    for (int raw = points[0] + 1; raw <= points[1]; ++raw) {
        height[raw] = (raw - points[0]) * step / (points[1] - points[0]);
    }
    for (int i = 2; i <= 10; ++i) {
        const double slope = step / (points[i] - points[i - 1]);
        const double base = height[points[i - 1]];
        for (int j = 1; j <= points[i] - points[i - 1]; ++j) {
            height[points[i - 1] + j] = j * slope + base;
        }
    }
    for (int raw = points[10]; raw <= 255; ++raw) {
        height[raw] = height[points[10]];
    }
    return height;
}

// The gauge position of a voltage step on the 660-unit gauge scale.
int GaugeUnits(int stepValue) {
    const double x = stepValue > 175 ? 660 - (212 - stepValue) * 1.6249
                                     : 660 - ((175 - stepValue) * 7.443 + 60.1213);
    return std::max(0, static_cast<int>(std::floor(x)));
}

void FillTable(Scaling& s, ScaleTable& table, const ScaleShape& shape) {
    const auto rf = CalibratedHeights(s.RfCalPoints, shape.stepLength);
    const auto audio = CalibratedHeights(s.AudioCalPoints, shape.stepLength);
    for (int raw = 0; raw <= 255; ++raw) {
        ScaleRow& row = table[raw];
        row[RfHeightColumn] = RoundEven(rf[raw]);
        row[1] = 0;
        row[AudioHeightColumn] = RoundEven(audio[raw]);
        row[GaugeHeightColumn] = 0;
        if (raw >= 99) {
            const int units = GaugeUnits(s.VoltageSteps[VoltageStep(s, raw)]);
            row[GaugeHeightColumn] = std::min<std::int16_t>(
                RoundEven(units * shape.gaugeFactor), static_cast<std::int16_t>(shape.gaugeMax));
        }
    }
}

} // namespace

int VoltageStep(const Scaling& s, int raw) {
    const auto& steps = s.VoltageSteps;
    const int v = std::min(raw, 212);
    if (v < steps[5]) {
        int k = 1;
        for (int i = 2; i <= 4; ++i) {
            if (steps[i] <= v) {
                k = i;
            }
        }
        return k;
    }
    if (v == steps[5]) {
        return 5;
    }
    if (v > steps[9]) {
        return 10;
    }
    for (int k = 6; k <= 9; ++k) {
        if (v <= steps[k]) {
            return k;
        }
    }
    return 10;
}

int MuteLevelRow(const QString& muteLevel) {
    // Read for every meter answer: the usual one to three plain digits are read at once.
    if (!muteLevel.isEmpty() && muteLevel.size() <= 3 &&
        std::all_of(muteLevel.begin(), muteLevel.end(),
                    [](QChar c) { return c >= u'0' && c <= u'9'; })) {
        int level = 0;
        for (const QChar c : muteLevel) {
            level = level * 10 + (c.unicode() - u'0');
        }
        return level <= 255 ? level : 0;
    }
    bool ok = false;
    const int level = muteLevel.trimmed().toInt(&ok);
    return ok && level >= 0 && level <= 255 ? level : 0;
}

void BuildScaling(Scaling& s) {
    s.VoltageSteps[1] = 109;
    for (int k = 2; k <= 8; ++k) {
        s.VoltageSteps[k] = RoundEven((k - 1) * 9.63 + 109);
    }
    s.VoltageSteps[9] = s.VoltageSteps[8] + 18;
    s.VoltageSteps[10] = s.VoltageSteps[8] + 36;
    s.RfCalPoints = kRfCalPoints;
    s.AudioCalPoints = kAudioCalPoints;

    FillTable(s, s.ScaleTable79, kShape79);
    FillTable(s, s.ScaleTable255, kShape255);
    FillTable(s, s.ScaleTable127, kShape127);

    s.ThresholdTable.fill(ThresholdRow{});
    for (int level = 1; level <= 10; ++level) {
        const double logValue = std::log(static_cast<double>(kThresholdValues[level]));
        auto& row = s.ThresholdTable[level];
        row[Bar79] = RoundEven(logValue * kShape79.thresholdA + kShape79.thresholdB) - 4;
        row[Bar255] = RoundEven(logValue * kShape255.thresholdA + kShape255.thresholdB) - 4;
        row[Bar127] = RoundEven(logValue * kShape127.thresholdA + kShape127.thresholdB) - 4;
    }
}

} // namespace k7
