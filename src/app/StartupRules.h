// The small rules of start-up, as pure functions: the window and meter panel sizes for a device
// count, the receiver-count label, the decimal separator code, the title base and the polling
// counts.
#pragma once

#include <QLocale>
#include <QSize>
#include <QString>

#include <cstdint>

namespace k7 {

inline constexpr QSize kMeterPanelDesignSize{800, 700};

struct RackWindowSize {
    QSize panel;  // the meter panel
    QSize client; // the main window's drawing area below the menu bar
};

// Sizes in pixels for n devices, from the 800 x 700 panel: small racks shrink the panel and the
// window with it; 5 to 8, 13 to 16 and 19 and more keep the design size.
RackWindowSize SizeForDevices(int deviceCount);

// "1 K7.5", "8 K7.5s", "12 Japanese".
QString ReceiverCountLabel(int deviceCount, int modelVariant);

// The character code of the locale's decimal separator; "." when the locale gives none.
std::int32_t DecimalSeparatorCodeFor(const QLocale& locale);
std::int32_t DecimalSeparatorCodeFor(const QString& separator);

// "Veltora K7 Monitoring -- Ver: 1.0.0" followed by 29 blanks.
QString MakeTitleBase(int major, int minor, int revision);

struct PollingCounts {
    std::int32_t HoldAnswers = 0;      // meter answers in about 20 seconds
    std::int32_t AnswersPerSecond = 0; // per receiver
};
PollingCounts PollingCountsFor(int pollIntervalMs, int deviceCount);

} // namespace k7
