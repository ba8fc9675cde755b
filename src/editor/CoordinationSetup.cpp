#include "CoordinationSetup.h"

#include "ConflictReport.h"
#include "platform/SettingsStore.h"

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
}

CarrierFill AssignCarriers(const std::vector<std::optional<int>>& rowsKHz,
                           const std::set<int>& locked, std::vector<int> carriers) {
    std::vector<int> unlocked;
    for (int r = 0; r < static_cast<int>(rowsKHz.size()); ++r) {
        const std::optional<int>& kHz = rowsKHz[static_cast<std::size_t>(r)];
        if (!locked.contains(r)) {
            unlocked.push_back(r);
        } else if (kHz) {
            // The set holds the locked carriers too: what is left are the new ones.
            if (const auto found = std::ranges::find(carriers, *kHz); found != carriers.end()) {
                carriers.erase(found);
            }
        }
    }
    std::ranges::sort(carriers);
    CarrierFill fill;
    for (std::size_t i = 0; i < unlocked.size(); ++i) {
        if (i < carriers.size()) {
            fill.filled.emplace_back(unlocked[i], carriers[i]);
        } else {
            fill.unfilled.push_back(unlocked[i]);
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

} // namespace k7
