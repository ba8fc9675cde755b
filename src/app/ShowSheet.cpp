#include "ShowSheet.h"

#include "RackBackups.h"
#include "bands/BandPlan.h"
#include "bands/BandTable.h"
#include "display/Scaling.h"
#include "editor/ConflictTable.h"
#include "editor/CoordinationSetup.h"
#include "files/RackFile.h"
#include "link/DeviceTables.h"
#include "rack/RackTables.h"

#include <algorithm>
#include <map>

namespace k7 {

namespace {

// Below this raw voltage the gauge shows the low-battery frame instead of its steps.
constexpr int kLowVoltage = 108;

const Scaling& GaugeScaling() {
    static const Scaling scaling = [] {
        Scaling built;
        BuildScaling(built);
        return built;
    }();
    return scaling;
}

QString BatteryText(const RackTables& rack, std::size_t s) {
    if (rack.SlotState[s] != 2 || !rack.VoltageKnown[s]) {
        return QStringLiteral("-");
    }
    const int raw = rack.MeterData[s][Voltage];
    if (raw < kLowVoltage) {
        return QStringLiteral("low");
    }
    return QStringLiteral("%1/10").arg(VoltageStep(GaugeScaling(), raw));
}

QString SerialText(const SerialNumber& serial) {
    const auto end = std::find(serial.begin(), serial.end(), '\0');
    return QString::fromLatin1(serial.data(), static_cast<qsizetype>(end - serial.begin()));
}

QString FixedListText(const std::vector<FixedCarrier>& fixed) {
    QStringList texts;
    for (const FixedCarrier& carrier : fixed) {
        QString text = FrequencyText(carrier.kHz, QLatin1Char('.'));
        if (!carrier.label.empty()) {
            text += QStringLiteral(" (") + QString::fromStdString(carrier.label) + QLatin1Char(')');
        }
        texts << text;
    }
    return texts.join(QStringLiteral(", "));
}

} // namespace

QString RulesText(const CoordinationRules& rules) {
    QStringList texts;
    for (const ConflictKind kind : {ConflictKind::Spacing, ConflictKind::ThirdOrder2Tx,
                                    ConflictKind::ThirdOrder3Tx, ConflictKind::FifthOrder2Tx}) {
        const int window = rules.window(kind);
        texts << ConflictKindName(kind) +
                     (window > 0 ? QStringLiteral(" %1 kHz").arg(window) : QStringLiteral(" off"));
    }
    return texts.join(QStringLiteral(", "));
}

ShowSheet MakeShowSheet(const ShowSheetSources& in, const QDateTime& made) {
    ShowSheet sheet;
    sheet.made = made;
    sheet.file = in.rackFile.FileInForce() ? in.rackFile.CurrentFile()
                                           : QStringLiteral("none (the receivers' own settings)");

    // The verdicts as the rack check reaches them: the same carriers, rules and table.
    const CoordinationSetup setup = LoadCoordinationSetup(in.settings);
    sheet.rules = RulesText(setup.rules);
    sheet.fixed = FixedListText(setup.fixed);
    const std::vector<LabelledCarrier> carriers = RackCarriers(in.devices, in.rack);
    const ConflictReport report =
        ReportConflicts(carriers, setup.fixed, setup.rules, QStringLiteral("receivers"));
    sheet.summary = report.summary;
    const ConflictTable table =
        MakeConflictTable(report, carriers, setup.fixed, QStringLiteral("Slot"));
    std::map<int, QString> kinds;
    for (const ConflictTableLine& line : table.lines) {
        if (line.number > 0) {
            kinds[line.number] = line.kinds;
        }
    }

    std::vector<int> setKHz;
    for (const LabelledCarrier& carrier : carriers) {
        setKHz.push_back(carrier.kHz);
    }
    const std::vector<int>& backups = in.backups.kHz();
    if (!backups.empty()) {
        sheet.backups = BackupsText(backups, setKHz, setup.fixed, setup.rules);
    }
    std::vector<int> cleanBackups;
    for (const int kHz : backups) {
        if (ConflictsBeside(kHz, setKHz, setup.fixed, setup.rules).empty()) {
            cleanBackups.push_back(kHz);
        }
    }

    const int receivers = std::clamp(in.devices.DeviceCount, 0, kMaxSlots);
    for (int slot = 1; slot <= receivers; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        const SettingsRow& settings = in.rack.CurData[s];
        ShowSheetRow row;
        row.slot = slot;
        row.name = settings.Name;
        if (in.labels) {
            std::tie(row.label, row.group) = in.labels(SerialText(in.devices.SlotSerial[s]));
        }
        const std::optional<int> kHz = FrequencyKHz(settings.Frequency);
        row.frequency = kHz ? FrequencyText(*kHz, QLatin1Char('.')) : settings.Frequency;
        const int code = in.devices.SlotBand[s];
        row.band = QStringLiteral("%1 %2").arg(code).arg(BandPanelName(code));
        row.muteLevel = settings.MuteLevel;
        row.battery = BatteryText(in.rack, s);
        if (!kHz) {
            row.verdict = QStringLiteral("not checked: no frequency");
        } else if (const auto hit = kinds.find(slot); hit != kinds.end()) {
            row.verdict = hit->second;
            row.hit = true;
        } else {
            row.verdict = QStringLiteral("clean");
        }
        if (const std::optional<BandPlan> band = BandPlan::ForBand(code)) {
            for (const int backup : cleanBackups) {
                if (band->IsChannel(backup)) {
                    row.backups << FrequencyText(backup, QLatin1Char('.'));
                }
            }
        }
        sheet.rows.push_back(std::move(row));
    }
    return sheet;
}

} // namespace k7
