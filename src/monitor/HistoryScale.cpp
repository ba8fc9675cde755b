#include "HistoryScale.h"

#include "display/ScaleMarks.h"

#include <algorithm>
#include <cmath>

namespace k7 {
namespace {

// The long scale's bar length: the threshold marker's height over it is its place on the scale.
constexpr double kLongBar = 255.0;

double Number(const char* text) {
    return QString::fromLatin1(text).toDouble();
}

} // namespace

HistoryScale::HistoryScale() {
    BuildScaling(scaling_);
}

double HistoryScale::Position(const std::array<int, 11>& points, int raw) {
    if (raw <= points[0]) {
        return 0.0;
    }
    for (int mark = 1; mark <= kMarks; ++mark) {
        const int low = points[static_cast<std::size_t>(mark - 1)];
        const int high = points[static_cast<std::size_t>(mark)];
        if (raw <= high) {
            return mark - 1 + static_cast<double>(raw - low) / (high - low);
        }
    }
    return kMarks;
}

double HistoryScale::ThresholdPosition(int muteLevel) const {
    if (muteLevel < 1 || muteLevel > 10) {
        return 0.0;
    }
    return scaling_.ThresholdTable[static_cast<std::size_t>(muteLevel)][Bar255] / kLongBar *
           kMarks;
}

QString HistoryScale::RfMark(int mark) {
    return QString::fromLatin1(kRfNumbers10[static_cast<std::size_t>(std::clamp(mark, 1, 10) - 1)]);
}

QString HistoryScale::AudioMark(int mark) {
    return QString::fromLatin1(
        kAudioNumbers10[static_cast<std::size_t>(std::clamp(mark, 1, 10) - 1)]);
}

QString HistoryScale::RfReading(double position) {
    if (position < 1.0) {
        return QStringLiteral("< 1 ") + MicroVolt();
    }
    const int mark = std::min(static_cast<int>(position), kMarks - 1);
    const double low = Number(kRfNumbers10[static_cast<std::size_t>(mark - 1)]);
    const double high = Number(kRfNumbers10[static_cast<std::size_t>(mark)]);
    const double value = low * std::pow(high / low, std::min(position, 10.0) - mark);
    return QString::number(value, 'f', value < 10 ? 1 : 0) + QLatin1Char(' ') + MicroVolt();
}

QString HistoryScale::AudioReading(double position) {
    if (position < 1.0) {
        return QStringLiteral("< -30 dB");
    }
    const int mark = std::min(static_cast<int>(position), kMarks - 1);
    const double low = Number(kAudioNumbers10[static_cast<std::size_t>(mark - 1)]);
    const double high = Number(kAudioNumbers10[static_cast<std::size_t>(mark)]);
    const double value = low + (high - low) * (std::min(position, 10.0) - mark);
    return QString::number(value, 'f', 1) + QStringLiteral(" dB");
}

} // namespace k7
