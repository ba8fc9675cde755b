// CheckFrequency and its helpers: completion, range check by band, snapping to the raster and
// the formatting that gives every stored frequency the same ddd.ddd form.
#include "CheckFrequency.h"

#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <QLocale>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <optional>

namespace k7 {

namespace {

constexpr int kJapanBand = 14;
// Beyond this a value cannot be a receiver frequency and its kHz no longer fit the arithmetic.
constexpr double kLargestKHz = 1e12;

// The text as a number, with sep as its decimal separator; nothing but an optional sign,
// digits, one separator and an exponent is accepted.
std::optional<double> ParseWithSeparator(QString text, QChar sep) {
    if (sep != QLatin1Char('.')) {
        if (text.contains(QLatin1Char('.'))) {
            return std::nullopt;
        }
        text.replace(sep, QLatin1Char('.'));
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double value = c.toDouble(text.trimmed(), &ok);
    if (!ok || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// An entry typed without a separator, completed by its length to ddd.ddd (8 -> 800.000).
QString Complete(const QString& text, QChar sep) {
    if (text.contains(sep)) {
        return text;
    }
    const QString s(sep);
    switch (text.size()) {
    case 1:
        return text + QStringLiteral("00") + s + QStringLiteral("000");
    case 2:
        return text + QStringLiteral("0") + s + QStringLiteral("000");
    case 3:
        return text + s + QStringLiteral("000");
    case 4:
        return text.left(3) + s + text.mid(3, 1) + QStringLiteral("00");
    case 5:
        return text.left(3) + s + text.mid(3, 2) + QStringLiteral("0");
    default:
        return text.left(3) + s + text.mid(3, 3);
    }
}

// kHz as MHz: the shortest text that reads back as the same single-precision value, completed
// to three decimals.
QString FormatKHz(long long kHz, QChar sep) {
    const float mhz = static_cast<float>(static_cast<double>(kHz) / 1000.0);
    std::array<char, 64> buffer{};
    const auto end =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), mhz, std::chars_format::fixed)
            .ptr;
    const QString shortest = QString::fromLatin1(buffer.data(), end - buffer.data());
    const qsizetype point = shortest.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? shortest : shortest.left(point);
    const QString decimals = point < 0 ? QString() : shortest.mid(point + 1);
    return whole + sep + decimals.leftJustified(3, QLatin1Char('0'));
}

QString LimitText(double limit, QChar sep) {
    QString text = QString::number(limit, 'g', QLocale::FloatingPointShortest);
    text.replace(QLatin1Char('.'), sep);
    return text;
}

bool InsideSingle(float value, double low, double high) {
    return static_cast<float>(low) <= value && value <= static_cast<float>(high);
}

} // namespace

FrequencyChecker::FrequencyChecker(const DeviceTables& devices, const RackTables& rack,
                                   Prompter& prompter)
    : devices_(devices), rack_(rack), prompter_(prompter) {
    BuildBandTables(tables_);
}

int FrequencyChecker::bandFor(int slot) const {
    const int inUse = std::clamp(devices_.DeviceCount, 0, kMaxSlots);
    return (slot >= 1 && slot <= inUse) ? devices_.SlotBand[slot] : devices_.SlotBand[1];
}

QChar FrequencyChecker::separator() const {
    return rack_.DecimalSeparator();
}

bool FrequencyChecker::inJapanBand(double value) const {
    return (tables_.BandLow[kJapanBand] <= value && value <= tables_.BandHigh[kJapanBand]) ||
           (tables_.BandLow[kJapanBand + 1] <= value && value <= tables_.BandHigh[kJapanBand + 1]);
}

void FrequencyChecker::show(const QString& text, MsgIcon icon) {
    MessageBoxSpec box;
    box.text = text;
    box.icon = icon;
    prompter_.ShowMessage(box);
}

FrequencyCheck FrequencyChecker::CheckFrequency(const QString& text, bool quiet, int slot) {
    if (text.isEmpty()) {
        if (!quiet) {
            show(QStringLiteral("Please enter\r\nNo frequency data"), MsgIcon::None);
        }
        return {FrequencyResult::Blank, {}};
    }
    if (quiet && text.size() != 7) {
        return {FrequencyResult::Err, {}};
    }
    const QChar sep = separator();
    const QString completed = Complete(text, sep);

    // A text that is no number, or a number no receiver could hold. A file read reports the
    // entry through its own result instead of one box per entry.
    const auto failed = [&] {
        if (!quiet) {
            show(QStringLiteral("Frequency error code: ") + QString::number(errno) +
                     QStringLiteral("\r\nPlease re-enter"),
                 MsgIcon::None);
        }
        return FrequencyCheck{FrequencyResult::Unreadable, {}};
    };
    const std::optional<double> parsed = ParseWithSeparator(completed, sep);
    if (!parsed) {
        return failed();
    }
    const float value = static_cast<float>(*parsed);

    const int band = bandFor(slot);
    const BandInfo& row = BandFor(band);
    int step = 25;
    int half = 12;
    if (band == kJapanBand) {
        step = 125;
        half = 62;
        // A quiet read must not stack up one box per entry at start-up; the reader reports
        // the out-of-range entry itself.
        const bool inside = quiet ? inJapanBand(*parsed) : CheckJapanBand(completed);
        if (!inside) {
            return {quiet ? FrequencyResult::Range : FrequencyResult::Blank, {}};
        }
    } else if (row.low > 0.0 &&
               !InsideSingle(value, tables_.BandLow[band], tables_.BandHigh[band])) {
        if (quiet) {
            return {FrequencyResult::Range, {}};
        }
        show(QStringLiteral("Sorry, ") + completed +
                 QStringLiteral(" is an invalid Frequency.\r\n") +
                 QString::fromLatin1(row.messageLine) + QStringLiteral("\r\nPlease re-enter"),
             MsgIcon::Exclamation);
        return {FrequencyResult::Err, {}};
    }

    // The single-precision value, multiplied in double precision: a product rounded to single
    // precision would turn 606.0375 into a half (606037.5) and snap it a channel too high.
    const double scaled = static_cast<double>(value) * 1000.0;
    if (!std::isfinite(scaled) || std::fabs(scaled) > kLargestKHz) {
        return failed();
    }
    // The default rounding mode rounds halves to even.
    long long kHz = static_cast<long long>(std::nearbyint(scaled));
    const long long rest = ((kHz % step) + step) % step;
    kHz = rest <= half ? kHz - rest : kHz + step - rest;
    return {FrequencyResult::Valid, FormatKHz(kHz, sep)};
}

bool FrequencyChecker::CheckJapanBand(const QString& text) {
    const QChar sep = separator();
    const std::optional<double> value = ParseWithSeparator(text, sep);
    if (value && inJapanBand(*value)) {
        return true;
    }
    const auto limit = [&](int entry, bool high) {
        return LimitText(high ? tables_.BandHigh[entry] : tables_.BandLow[entry], sep);
    };
    show(QStringLiteral("Problem with-- ") + text + QStringLiteral("\r\nOnly ") +
             limit(kJapanBand, false) + QStringLiteral(" to ") + limit(kJapanBand, true) +
             QStringLiteral("\r\nor\r\n") + limit(kJapanBand + 1, false) + QStringLiteral(" to ") +
             limit(kJapanBand + 1, true) + QStringLiteral("\r\nis correct.\r\n\r\nPlease re-enter"),
         MsgIcon::Exclamation);
    return false;
}

bool FrequencyChecker::FrequencyFitsSlot(const QString& frequency, int slot) const {
    if (frequency.size() != 7) {
        return false;
    }
    const QChar point = frequency[3];
    if (point != QLatin1Char('.') && point != QLatin1Char(',')) {
        return false;
    }
    int kHz = 0;
    for (int i : {0, 1, 2, 4, 5, 6}) {
        const char16_t digit = frequency[i].unicode();
        if (digit < u'0' || digit > u'9') {
            return false;
        }
        kHz = kHz * 10 + (digit - u'0');
    }
    const double mhz = kHz / 1000.0;
    const int band = bandFor(slot);
    if (band == kJapanBand) {
        return inJapanBand(mhz);
    }
    if (BandFor(band).low > 0.0) {
        return InsideSingle(static_cast<float>(mhz), tables_.BandLow[band], tables_.BandHigh[band]);
    }
    return true;
}

} // namespace k7
