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
QString Formula(const Conflict& c, std::span<const QString> labels) {
    const auto name = [&](int i) { return labels[static_cast<std::size_t>(i)]; };
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

QString Counted(int count, const QString& one, const QString& many) {
    return QString::number(count) + QLatin1Char(' ') + (count == 1 ? one : many);
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

QString KindNames(unsigned kinds) {
    QStringList names;
    for (unsigned kind = 0; kind < kKinds; ++kind) {
        if ((kinds >> kind & 1u) != 0) {
            names << ConflictKindName(static_cast<ConflictKind>(kind));
        }
    }
    return names.join(QStringLiteral(", "));
}

QString FixedLabel(const FixedCarrier& carrier) {
    QString label = QStringLiteral("fixed ") + FrequencyText(carrier.kHz, QLatin1Char('.'));
    if (!carrier.label.empty()) {
        label += QStringLiteral(" (") + QString::fromStdString(carrier.label) + QLatin1Char(')');
    }
    return label;
}

QString CountSummary(const ConflictCount& count, int carriers, const QString& noun) {
    if (count.clean()) {
        return QStringLiteral("No conflicts");
    }
    QString text =
        QStringLiteral("%1 of %2 %3 in conflict").arg(count.carriersHit).arg(carriers).arg(noun);
    if (count.products > 0 || count.closePairs == 0) {
        text += QStringLiteral("; ") +
                Counted(count.products, QStringLiteral("product"), QStringLiteral("products"));
    }
    if (count.closePairs > 0) {
        text += QStringLiteral("; ") + Counted(count.closePairs, QStringLiteral("pair too close"),
                                               QStringLiteral("pairs too close"));
    }
    if (count.fixedHit > 0) {
        text +=
            QStringLiteral("; ") + Counted(count.fixedHit, QStringLiteral("fixed transmitter hit"),
                                           QStringLiteral("fixed transmitters hit"));
    }
    return text;
}

QString OffenderText(const Conflict& c, int carrier, std::span<const QString> labels) {
    if (c.kind == ConflictKind::Spacing) {
        return labels[static_cast<std::size_t>(c.a == carrier ? c.b : c.a)];
    }
    return Formula(c, labels) + QStringLiteral(" = ") + Mhz(c.productKHz);
}

ConflictReport ReportConflicts(std::span<const LabelledCarrier> carriers,
                               std::span<const FixedCarrier> fixed, const CoordinationRules& rules,
                               const QString& noun) {
    std::vector<int> kHz;
    kHz.reserve(carriers.size());
    ConflictReport report;
    for (const LabelledCarrier& carrier : carriers) {
        kHz.push_back(carrier.kHz);
        report.labels.push_back(carrier.label);
    }
    for (const FixedCarrier& carrier : fixed) {
        report.labels.push_back(FixedLabel(carrier));
    }
    report.count = CountConflicts(kHz, fixed, rules);
    const std::vector<Conflict>& conflicts = report.count.conflicts;
    report.conflicts = static_cast<int>(conflicts.size());
    report.summary = CountSummary(report.count, static_cast<int>(carriers.size()), noun);
    report.lines.resize(report.labels.size());
    std::vector<int> more(report.labels.size(), 0);
    // A carrier's lines stop at kMaxReportLines; the rest are only counted, so that a set with
    // thousands of conflicts costs no more text than a few per carrier.
    const auto room = [&](int carrier) {
        return report.lines[static_cast<std::size_t>(carrier)].size() < kMaxReportLines;
    };
    const auto add = [&](int carrier, const auto& line) {
        if (room(carrier)) {
            report.lines[static_cast<std::size_t>(carrier)] << line();
        } else {
            ++more[static_cast<std::size_t>(carrier)];
        }
    };
    const auto label = [&](int i) { return report.labels[static_cast<std::size_t>(i)]; };
    for (const Conflict& c : conflicts) {
        const auto kind = [&c] { return ConflictKindName(c.kind) + QStringLiteral(": "); };
        const auto distance = [&c] { return QStringLiteral("%1 kHz").arg(c.distanceKHz); };
        if (c.kind == ConflictKind::Spacing) {
            add(c.a, [&] { return kind() + distance() + QStringLiteral(" from ") + label(c.b); });
            add(c.b, [&] { return kind() + distance() + QStringLiteral(" from ") + label(c.a); });
            continue;
        }
        const auto product = [&] {
            return kind() + OffenderText(c, c.victim, report.labels) + QStringLiteral(", ") +
                   distance();
        };
        add(c.victim, [&] { return product() + QStringLiteral(" from this carrier"); });
        for (const int maker : {c.a, c.b, c.c}) {
            if (maker >= 0) {
                add(maker, [&] { return product() + QStringLiteral(" from ") + label(c.victim); });
            }
        }
    }
    for (std::size_t i = 0; i < report.lines.size(); ++i) {
        if (more[i] > 0) {
            report.lines[i] << QStringLiteral("and %1 more").arg(more[i]);
        }
    }
    return report;
}

std::vector<Conflict> ConflictsBeside(int kHz, std::span<const int> setKHz,
                                      std::span<const FixedCarrier> fixed,
                                      const CoordinationRules& rules) {
    std::vector<int> all(setKHz.begin(), setKHz.end());
    for (const FixedCarrier& carrier : fixed) {
        all.push_back(carrier.kHz);
    }
    const auto added = static_cast<int>(all.size());
    all.push_back(kHz);
    std::vector<Conflict> conflicts = FindConflicts(all, rules);
    std::erase_if(conflicts, [added](const Conflict& c) {
        return c.a != added && c.b != added && c.c != added && c.victim != added;
    });
    std::ranges::sort(conflicts);
    return conflicts;
}

QString BackupsText(std::span<const int> backups, std::span<const int> setKHz,
                    std::span<const FixedCarrier> fixed, const CoordinationRules& rules) {
    QStringList clean;
    QStringList hit;
    for (const int kHz : backups) {
        const QString text = FrequencyText(kHz, QLatin1Char('.'));
        (ConflictsBeside(kHz, setKHz, fixed, rules).empty() ? clean : hit) << text;
    }
    QString text =
        QStringLiteral("backups ") +
        (clean.isEmpty() ? QStringLiteral("none clean") : clean.join(QStringLiteral(", ")));
    if (!hit.isEmpty()) {
        text += QStringLiteral(" (%1 no longer clean)").arg(hit.join(QStringLiteral(", ")));
    }
    return text;
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
