#include "CoordinationSetup.h"

#include "ConflictReport.h"
#include "platform/SettingsStore.h"

#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

namespace k7 {

namespace {

const QString kSection = QStringLiteral("Coordination");

int Stored(SettingsStore& settings, const QString& key, int fallback, int low, int high) {
    bool ok = false;
    const int value = settings.GetSetting(kSection, key, QString()).trimmed().toInt(&ok);
    return ok && value >= low && value <= high ? value : fallback;
}

} // namespace

CoordinationSetup LoadCoordinationSetup(SettingsStore& settings) {
    CoordinationSetup setup;
    const int most = CoordinationSetup::kMaxWindowKHz;
    CoordinationRules& rules = setup.rules;
    rules.spacing = Stored(settings, QStringLiteral("Spacing"), rules.spacing, 0, most);
    rules.thirdOrder2Tx = Stored(settings, QStringLiteral("IM3"), rules.thirdOrder2Tx, 0, most);
    rules.thirdOrder3Tx = Stored(settings, QStringLiteral("IM3x3"), rules.thirdOrder3Tx, 0, most);
    rules.fifthOrder2Tx = Stored(settings, QStringLiteral("IM5"), rules.fifthOrder2Tx, 0, most);
    setup.budgetSeconds =
        Stored(settings, QStringLiteral("BudgetSeconds"), setup.budgetSeconds,
               CoordinationSetup::kMinBudgetSeconds, CoordinationSetup::kMaxBudgetSeconds);
    QString ranges = settings.GetSetting(kSection, QStringLiteral("Excluded"), QString());
    ranges.replace(QLatin1Char(';'), QLatin1Char('\n'));
    const ExclusionsRead read = ParseExclusions(ranges);
    if (read.errorLine == 0) {
        setup.excluded = read.ranges;
    }
    const FixedRead fixed =
        ParseFixed(settings.GetSetting(kSection, QStringLiteral("Fixed"), QString()));
    if (fixed.errorLine == 0) {
        setup.fixed = fixed.carriers;
    }
    setup.backups = Stored(settings, QStringLiteral("Backups"), setup.backups, 0,
                           CoordinationSetup::kMaxBackups);
    return setup;
}

void SaveCoordinationSetup(SettingsStore& settings, const CoordinationSetup& setup) {
    const auto save = [&](const QString& key, int value) {
        settings.SaveSetting(kSection, key, QString::number(value));
    };
    save(QStringLiteral("Spacing"), setup.rules.spacing);
    save(QStringLiteral("IM3"), setup.rules.thirdOrder2Tx);
    save(QStringLiteral("IM3x3"), setup.rules.thirdOrder3Tx);
    save(QStringLiteral("IM5"), setup.rules.fifthOrder2Tx);
    save(QStringLiteral("BudgetSeconds"), setup.budgetSeconds);
    QString ranges = ExclusionsText(setup.excluded);
    ranges.replace(QLatin1Char('\n'), QLatin1Char(';'));
    settings.SaveSetting(kSection, QStringLiteral("Excluded"), ranges);
    // Labels may hold any character: the lines are kept whole, one a line.
    settings.SaveSetting(kSection, QStringLiteral("Fixed"), FixedText(setup.fixed));
    save(QStringLiteral("Backups"), setup.backups);
}

CarrierFill FillRows(const std::vector<std::optional<int>>& slotCarriers,
                     const std::set<int>& locked) {
    CarrierFill fill;
    for (int r = 0; r < static_cast<int>(slotCarriers.size()); ++r) {
        if (locked.contains(r)) {
            continue;
        }
        if (const std::optional<int>& kHz = slotCarriers[static_cast<std::size_t>(r)]) {
            fill.filled.emplace_back(r, *kHz);
        } else {
            fill.unfilled.push_back(r);
        }
    }
    return fill;
}

ExclusionsRead ParseExclusions(const QString& text) {
    ExclusionsRead read;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const QStringList ends = line.split(QLatin1Char('-'));
        std::optional<int> low = ends.size() <= 2 ? FrequencyKHz(ends[0]) : std::nullopt;
        std::optional<int> high = ends.size() == 2 ? FrequencyKHz(ends[1]) : low;
        if (!low || !high) {
            read.ranges.clear();
            read.errorLine = static_cast<int>(i) + 1;
            return read;
        }
        read.ranges.push_back({std::min(*low, *high), std::max(*low, *high)});
    }
    return read;
}

QString ExclusionsText(const std::vector<KHzRange>& ranges) {
    QStringList lines;
    for (const KHzRange& range : ranges) {
        lines << FrequencyText(range.low, QLatin1Char('.')) + QLatin1Char('-') +
                     FrequencyText(range.high, QLatin1Char('.'));
    }
    return lines.join(QLatin1Char('\n'));
}

FixedRead ParseFixed(const QString& text) {
    FixedRead read;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.isEmpty()) {
            continue;
        }
        const qsizetype space = line.indexOf(QRegularExpression(QStringLiteral("\\s")));
        const std::optional<int> kHz = FrequencyKHz(space < 0 ? line : line.left(space));
        if (!kHz || *kHz <= 0) {
            read.carriers.clear();
            read.errorLine = static_cast<int>(i) + 1;
            return read;
        }
        const QString label = space < 0 ? QString() : line.mid(space).trimmed();
        read.carriers.push_back({*kHz, label.toStdString()});
    }
    return read;
}

QString FixedText(const std::vector<FixedCarrier>& carriers) {
    QStringList lines;
    for (const FixedCarrier& carrier : carriers) {
        QString line = FrequencyText(carrier.kHz, QLatin1Char('.'));
        if (!carrier.label.empty()) {
            line += QLatin1Char(' ') + QString::fromStdString(carrier.label);
        }
        lines << line;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace k7
