#include "ConflictReport.h"

#include <algorithm>
#include <array>

namespace k7 {

namespace {

constexpr int kKinds = 4;
const QString kTimes = QStringLiteral(" \u00D7 ");

QString Mhz(std::int64_t kHz) {
    return FrequencyText(static_cast<int>(kHz), QLatin1Char('.')) + QStringLiteral(" MHz");
}

// The product's formula in the carriers' names.
QString Formula(const Conflict& c, std::span<const LabelledCarrier> carriers) {
    const auto name = [&](int i) { return carriers[static_cast<std::size_t>(i)].label; };
    switch (c.kind) {
    case ConflictKind::ThirdOrder2Tx:
        return QStringLiteral("2") + kTimes + name(c.a) + QStringLiteral(" - ") + name(c.b);
    case ConflictKind::ThirdOrder3Tx:
        return name(c.a) + QStringLiteral(" + ") + name(c.b) + QStringLiteral(" - ") + name(c.c);
    case ConflictKind::FifthOrder2Tx:
        return QStringLiteral("3") + kTimes + name(c.a) + QStringLiteral(" - 2") + kTimes +
               name(c.b);
    case ConflictKind::Spacing:
        break;
    }
    return {};
}

} // namespace

QString ConflictKindName(ConflictKind kind) {
    switch (kind) {
    case ConflictKind::Spacing:
        return QStringLiteral("spacing");
    case ConflictKind::ThirdOrder2Tx:
        return QStringLiteral("3rd order 2-tx");
    case ConflictKind::ThirdOrder3Tx:
        return QStringLiteral("3rd order 3-tx");
    case ConflictKind::FifthOrder2Tx:
        return QStringLiteral("5th order 2-tx");
    }
    return {};
}

QString ConflictSummary(std::span<const Conflict> conflicts) {
    if (conflicts.empty()) {
        return QStringLiteral("No conflicts");
    }
    std::array<int, kKinds> counts{};
    for (const Conflict& c : conflicts) {
        ++counts[static_cast<std::size_t>(c.kind)];
    }
    std::array<int, kKinds> order{0, 1, 2, 3};
    std::ranges::stable_sort(order, [&](int x, int y) {
        return counts[static_cast<std::size_t>(x)] > counts[static_cast<std::size_t>(y)];
    });
    QStringList parts;
    for (const int kind : order) {
        if (const int count = counts[static_cast<std::size_t>(kind)]; count > 0) {
            parts << QString::number(count) + kTimes +
                         ConflictKindName(static_cast<ConflictKind>(kind));
        }
    }
    const auto total = static_cast<int>(conflicts.size());
    return QStringLiteral("%1 conflict%2: ").arg(total).arg(total == 1 ? "" : "s") +
           parts.join(QStringLiteral(", "));
}

ConflictReport ReportConflicts(std::span<const LabelledCarrier> carriers,
                               const CoordinationRules& rules) {
    std::vector<int> kHz;
    kHz.reserve(carriers.size());
    for (const LabelledCarrier& carrier : carriers) {
        kHz.push_back(carrier.kHz);
    }
    std::vector<Conflict> conflicts = FindConflicts(kHz, rules);
    std::ranges::sort(conflicts);

    ConflictReport report;
    report.conflicts = static_cast<int>(conflicts.size());
    report.summary = ConflictSummary(conflicts);
    report.lines.resize(carriers.size());
    std::vector<int> more(carriers.size(), 0);
    const auto add = [&](int carrier, const QString& line) {
        auto& lines = report.lines[static_cast<std::size_t>(carrier)];
        if (lines.size() < kMaxReportLines) {
            lines << line;
        } else {
            ++more[static_cast<std::size_t>(carrier)];
        }
    };
    const auto label = [&](int i) { return carriers[static_cast<std::size_t>(i)].label; };
    for (const Conflict& c : conflicts) {
        const QString kind = ConflictKindName(c.kind) + QStringLiteral(": ");
        const QString distance = QStringLiteral("%1 kHz").arg(c.distanceKHz);
        if (c.kind == ConflictKind::Spacing) {
            add(c.a, kind + distance + QStringLiteral(" from ") + label(c.b));
            add(c.b, kind + distance + QStringLiteral(" from ") + label(c.a));
            continue;
        }
        const QString product =
            Formula(c, carriers) + QStringLiteral(" = ") + Mhz(c.productKHz) + QStringLiteral(", ");
        add(c.victim, kind + product + distance + QStringLiteral(" from this carrier"));
        std::vector<int> makers{c.a, c.b};
        if (c.kind == ConflictKind::ThirdOrder3Tx) {
            makers.push_back(c.c);
        }
        for (const int maker : makers) {
            add(maker, kind + product + distance + QStringLiteral(" from ") + label(c.victim));
        }
    }
    for (std::size_t i = 0; i < carriers.size(); ++i) {
        if (more[i] > 0) {
            report.lines[i] << QStringLiteral("and %1 more").arg(more[i]);
        }
    }
    return report;
}

std::optional<int> FrequencyKHz(const QString& text) {
    QString mhz = text.trimmed();
    mhz.replace(QLatin1Char(','), QLatin1Char('.'));
    const qsizetype point = mhz.indexOf(QLatin1Char('.'));
    const QString whole = point < 0 ? mhz : mhz.left(point);
    const QString decimals = point < 0 ? QString() : mhz.mid(point + 1);
    const auto digits = [](const QString& s) {
        return std::ranges::all_of(s, [](QChar c) { return c >= u'0' && c <= u'9'; });
    };
    if (whole.isEmpty() || whole.size() > 6 || decimals.size() > 3 || !digits(whole) ||
        !digits(decimals)) {
        return std::nullopt;
    }
    return whole.toInt() * 1000 + decimals.leftJustified(3, QLatin1Char('0')).toInt();
}

QString FrequencyText(int kHz, QChar separator) {
    return QStringLiteral("%1%2%3")
        .arg(kHz / 1000)
        .arg(separator)
        .arg(kHz % 1000, 3, 10, QLatin1Char('0'));
}

} // namespace k7
