#include "RackBackups.h"

#include "editor/CoordinationSetup.h"
#include "link/DeviceTables.h"
#include "platform/SettingsStore.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kSection = QStringLiteral("Coordination");
const QString kKey = QStringLiteral("RackBackups");

} // namespace

std::vector<LabelledCarrier> RackCarriers(const DeviceTables& devices, const RackTables& rack) {
    std::vector<LabelledCarrier> carriers;
    const int receivers = std::clamp(devices.DeviceCount, 0, kMaxSlots);
    for (int slot = 1; slot <= receivers; ++slot) {
        const SettingsRow& row = rack.CurData[static_cast<std::size_t>(slot)];
        if (const std::optional<int> kHz = FrequencyKHz(row.Frequency)) {
            carriers.push_back(
                {QStringLiteral("slot %1 (%2)").arg(slot).arg(row.Name), *kHz, slot, row.Name});
        }
    }
    return carriers;
}

RackBackups::RackBackups(const Wiring& wiring) : w_(wiring) {
    const QString kept = w_.settings.GetSetting(kSection, kKey, QString());
    for (const QString& text : kept.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const std::optional<int> kHz = FrequencyKHz(text);
        if (!kHz) {
            kHz_.clear(); // a list that cannot be read whole is no list of backups
            return;
        }
        kHz_.push_back(*kHz);
    }
    std::ranges::sort(kHz_);
}

void RackBackups::Replace(std::span<const int> kHz) {
    kHz_.assign(kHz.begin(), kHz.end());
    std::ranges::sort(kHz_);
    save();
}

void RackBackups::save() {
    QStringList texts;
    for (const int kHz : kHz_) {
        texts << FrequencyText(kHz, QLatin1Char('.'));
    }
    w_.settings.SaveSetting(kSection, kKey, texts.join(QLatin1Char(';')));
}

QStringList RackBackups::BackupsFor(int slot) const {
    if (!RackTables::validSlot(slot)) {
        return {};
    }
    const std::optional<BandPlan> band =
        BandPlan::ForBand(w_.devices.SlotBand[static_cast<std::size_t>(slot)]);
    QStringList texts;
    for (const int kHz : kHz_) {
        if (band && band->IsChannel(kHz)) {
            texts << FrequencyText(kHz, w_.rack.DecimalSeparator());
        }
    }
    return texts;
}

BackupCheck RackBackups::CheckBackup(int slot, const QString& frequency) const {
    const std::optional<int> kHz = FrequencyKHz(frequency);
    if (!kHz) {
        return {false, frequency + QStringLiteral(" is not a frequency.")};
    }
    const CoordinationSetup setup = LoadCoordinationSetup(w_.settings);
    std::vector<LabelledCarrier> carriers = RackCarriers(w_.devices, w_.rack);
    const auto same = std::ranges::find(carriers, slot, &LabelledCarrier::number);
    const QString name =
        w_.rack.CurData[static_cast<std::size_t>(std::clamp(slot, 0, kMaxSlots))].Name;
    const LabelledCarrier taken{QStringLiteral("slot %1 (%2)").arg(slot).arg(name), *kHz, slot,
                                name};
    int index = 0;
    if (same != carriers.end()) {
        *same = taken;
        index = static_cast<int>(same - carriers.begin());
    } else {
        index = static_cast<int>(carriers.size());
        carriers.push_back(taken);
    }
    const ConflictReport report =
        ReportConflicts(carriers, setup.fixed, setup.rules, QStringLiteral("receivers"));
    const QStringList& lines = report.lines[static_cast<std::size_t>(index)];
    const QString mhz = FrequencyText(*kHz, QLatin1Char('.'));
    if (lines.isEmpty()) {
        return {true, mhz + (setup.fixed.empty()
                                 ? QStringLiteral(" is clean against the rack.")
                                 : QStringLiteral(" is clean against the rack and the fixed "
                                                  "transmitters."))};
    }
    QString text = mhz + QStringLiteral(" is not clean against the rack now: ") + lines.first();
    if (lines.size() > 1) {
        text += QStringLiteral(" (and more: Check rack lists them)");
    }
    return {false, text};
}

void RackBackups::BackupUsed(const QString& frequency) {
    const std::optional<int> kHz = FrequencyKHz(frequency);
    if (kHz && std::erase(kHz_, *kHz) > 0) {
        save();
    }
}

} // namespace k7
