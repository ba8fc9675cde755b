#include "StartupRules.h"

#include "link/DeviceTables.h"

#include <cmath>

namespace k7 {
namespace {

int roundEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

RackWindowSize SizeForDevices(int n) {
    const int w = kMeterPanelDesignSize.width();
    const int h = kMeterPanelDesignSize.height();
    RackWindowSize size{kMeterPanelDesignSize, kMeterPanelDesignSize};
    switch (n) {
    case 1:
        size.panel = {roundEven(w / 4.0), roundEven(h / 2.0)};
        size.client = {w - roundEven(3.0 * w / 4.0), h - roundEven(h / 2.0)};
        break;
    case 2:
        size.panel = {roundEven(w / 2.0), roundEven(h / 2.0)};
        size.client = {w - roundEven(w / 2.0), h - roundEven(h / 2.0)};
        break;
    case 3:
        // The sizing rule's "+ 1" is one twip, a fifteenth of a pixel: nothing on the screen.
        size.panel = {roundEven(w / 4.0) * 3, roundEven(h / 2.0)};
        size.client = {w - roundEven(w / 4.0), h - roundEven(h / 2.0)};
        break;
    case 4:
        size.panel.setHeight(roundEven(h / 2.0));
        size.client.setHeight(h - roundEven(h / 2.0));
        break;
    case 9:
    case 10:
    case 11:
    case 12:
    case 17:
    case 18:
        size.panel.setHeight(roundEven(h / 4.0) * 3); // no pixel for the twip, as above
        size.client.setHeight(h - roundEven(h / 4.0 - 1));
        break;
    default:
        break;
    }
    return size;
}

QString ReceiverCountLabel(int deviceCount, int modelVariant) {
    QString text = QString::number(deviceCount);
    switch (modelVariant) {
    case ModelK75:
        text += QStringLiteral(" K7.5");
        break;
    case ModelK73:
        text += QStringLiteral(" K7.3");
        break;
    case ModelJapanese:
        text += QStringLiteral(" Japanese");
        break;
    default:
        break;
    }
    if (deviceCount != 1 && modelVariant != ModelJapanese) {
        text += QLatin1Char('s');
    }
    return text;
}

std::int32_t DecimalSeparatorCodeFor(const QLocale& locale) {
    return DecimalSeparatorCodeFor(locale.decimalPoint());
}

std::int32_t DecimalSeparatorCodeFor(const QString& separator) {
    // An empty answer must not become a letter that means something on the wire.
    return separator.isEmpty() ? std::int32_t{'.'} : std::int32_t{separator.at(0).unicode()};
}

QString MakeTitleBase(int major, int minor, int revision) {
    return QStringLiteral("Veltora K7 Monitoring -- Ver: %1.%2.%3")
               .arg(major)
               .arg(minor)
               .arg(revision) +
           QString(29, QLatin1Char(' '));
}

PollingCounts PollingCountsFor(int pollIntervalMs, int deviceCount) {
    PollingCounts counts;
    if (pollIntervalMs <= 0 || deviceCount <= 0) {
        return counts;
    }
    counts.HoldAnswers = roundEven(1000.0 / (pollIntervalMs * deviceCount)) * 20;
    counts.AnswersPerSecond = roundEven(1000.0 / pollIntervalMs / deviceCount);
    return counts;
}

} // namespace k7
