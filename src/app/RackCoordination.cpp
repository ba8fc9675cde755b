#include "RackCoordination.h"

#include "editor/FileChoice.h"
#include "files/RackFile.h"
#include "link/DeviceTables.h"
#include "platform/ActionLog.h"
#include "platform/Prompter.h"
#include "rack/RackCommands.h"
#include "rack/RackSettings.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
constexpr int kMostListedLines = 30;

} // namespace

int RackCoordination::receivers() const {
    return std::clamp(w_.devices.DeviceCount, 0, kMaxSlots);
}

std::vector<std::optional<int>> RackCoordination::rackKHz() const {
    std::vector<std::optional<int>> kHz;
    for (int slot = 1; slot <= receivers(); ++slot) {
        kHz.push_back(
            FrequencyKHz(w_.rack.tables().CurData[static_cast<std::size_t>(slot)].Frequency));
    }
    return kHz;
}

std::vector<LabelledCarrier> RackCoordination::carriers(std::vector<int>& inUse) const {
    std::vector<LabelledCarrier> list;
    const std::vector<std::optional<int>> kHz = rackKHz();
    for (int slot = 1; slot <= receivers(); ++slot) {
        if (const std::optional<int>& carrier = kHz[static_cast<std::size_t>(slot - 1)]) {
            const QString name = w_.rack.tables().CurData[static_cast<std::size_t>(slot)].Name;
            list.push_back({QStringLiteral("slot %1 (%2)").arg(slot).arg(name), *carrier});
            inUse.push_back(slot);
        }
    }
    return list;
}

void RackCoordination::tell(const QString& text, const QString& title, MsgIcon icon) {
    MessageBoxSpec box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    AskWithPollingPaused(w_.prompter, w_.engine, box);
}

ConflictReport RackCoordination::Check() {
    const CoordinationRules rules = LoadCoordinationSetup(w_.settings).rules;
    std::vector<int> inUse;
    const std::vector<LabelledCarrier> list = carriers(inUse);
    const ConflictReport report = ReportConflicts(list, rules);
    cellConflicts_.fill(QString());
    for (std::size_t s = 0; s < checkedFrequencies_.size(); ++s) {
        checkedFrequencies_[s] = w_.rack.tables().CurData[s].Frequency;
    }
    QStringList listed;
    for (std::size_t i = 0; i < inUse.size(); ++i) {
        const QStringList& lines = report.lines[i];
        if (lines.isEmpty()) {
            continue;
        }
        const auto slot = static_cast<std::size_t>(inUse[i]);
        cellConflicts_[slot] = lines.join(QLatin1Char('\n'));
        listed << QStringLiteral("Slot %1 (%2, %3 MHz):")
                      .arg(slot)
                      .arg(w_.rack.tables().CurData[slot].Name,
                           w_.rack.tables().CurData[slot].Frequency);
        for (const QString& line : lines) {
            listed << QStringLiteral("    ") + line;
        }
    }
    if (listed.size() > kMostListedLines) {
        listed.resize(kMostListedLines);
        listed << QStringLiteral("... point at a receiver's cell to see all of its conflicts.");
    }
    QString text =
        report.summary + QStringLiteral(" among the %1 receivers' frequencies").arg(list.size());
    if (!report.clean()) {
        text +=
            QStringLiteral(" (also on the cells' tool tips):") + kCrLf + kCrLf + listed.join(kCrLf);
    } else {
        text += QStringLiteral(".");
    }
    tell(text, QStringLiteral("Rack check"),
         report.clean() ? MsgIcon::Information : MsgIcon::Exclamation);
    return report;
}

QString RackCoordination::CellConflicts(int slot) const {
    if (!RackTables::validSlot(slot)) {
        return {};
    }
    for (std::size_t s = 0; s < checkedFrequencies_.size(); ++s) {
        if (checkedFrequencies_[s] != w_.rack.tables().CurData[s].Frequency) {
            return {};
        }
    }
    return cellConflicts_[static_cast<std::size_t>(slot)];
}

std::optional<BandPlan> RackCoordination::Band() const {
    const int band = w_.devices.SlotBand[1];
    for (int slot = 2; slot <= receivers(); ++slot) {
        if (w_.devices.SlotBand[static_cast<std::size_t>(slot)] != band) {
            return std::nullopt;
        }
    }
    return BandPlan::ForBand(band);
}

QStringList RackCoordination::RowTexts() const {
    QStringList texts;
    for (int slot = 1; slot <= receivers(); ++slot) {
        const SettingsRow& row = w_.rack.tables().CurData[static_cast<std::size_t>(slot)];
        texts << QStringLiteral("Slot %1  %2  %3").arg(slot).arg(row.Name, row.Frequency);
    }
    return texts;
}

CoordinationSetup RackCoordination::Setup() const {
    CoordinationSetup setup = LoadCoordinationSetup(w_.settings);
    const int selected = w_.rack.tables().SelectedSlot;
    if (selected >= 1 && selected <= receivers()) {
        setup.locked.insert(selected - 1);
    }
    return setup;
}

std::optional<GeneratorOptions> RackCoordination::Prepare(const CoordinationSetup& setup) {
    const QString title = QStringLiteral("Coordinate the rack");
    const MsgIcon exclamation = MsgIcon::Exclamation;
    if (!w_.available() || receivers() == 0) {
        tell(QStringLiteral("The rack cannot be coordinated now: the receivers are not being "
                            "metered.") +
                 kCrLf + QStringLiteral("Wait until metering runs, then try again."),
             title, exclamation);
        return std::nullopt;
    }
    if (!Band()) {
        tell(QStringLiteral("The receivers are of different bands, or slot 1's band has no "
                            "limits: there is no one band to choose channels from.") +
                 kCrLf + QStringLiteral("Check still shows the conflicts of the rack as it is."),
             title, exclamation);
        return std::nullopt;
    }
    GeneratorOptions options;
    const std::vector<std::optional<int>> kHz = rackKHz();
    for (const int row : setup.locked) {
        if (row >= 0 && row < receivers() && kHz[static_cast<std::size_t>(row)]) {
            options.locked.push_back(*kHz[static_cast<std::size_t>(row)]);
        }
    }
    SaveCoordinationSetup(w_.settings, setup);
    options.rules = setup.rules;
    options.excluded = setup.excluded;
    options.target = receivers();
    options.timeBudgetMicros = static_cast<std::int64_t>(setup.budgetSeconds) * 1'000'000;
    return options;
}

bool RackCoordination::Apply(const CoordinationSetup& setup, const GeneratorResult& result) {
    // The search ran while the rack went on: it may no longer be there to program.
    if (!w_.available()) {
        tell(QStringLiteral("The rack stopped metering during the search; nothing was "
                            "programmed.") +
                 kCrLf + QStringLiteral("Coordinate again once metering runs."),
             QStringLiteral("Coordinate the rack"), MsgIcon::Exclamation);
        return false;
    }
    std::vector<std::optional<int>> kHz = rackKHz();
    const CarrierFill fill = AssignCarriers(kHz, setup.locked, result.carriers);
    const QChar separator = w_.rack.tables().DecimalSeparator();
    QStringList changes;
    std::vector<std::pair<int, QString>> frequencies;
    for (const auto& [row, carrier] : fill.filled) {
        const int slot = row + 1;
        const QString now = w_.rack.tables().CurData[static_cast<std::size_t>(slot)].Frequency;
        const QString next = FrequencyText(carrier, separator);
        if (now != next) {
            changes << QStringLiteral("Slot %1: %2 -> %3").arg(slot).arg(now, next);
            frequencies.emplace_back(slot, next);
        }
        kHz[static_cast<std::size_t>(row)] = carrier;
    }
    std::vector<int> all;
    for (const std::optional<int>& carrier : kHz) {
        if (carrier) {
            all.push_back(*carrier);
        }
    }
    const QString clean = IsClean(all, setup.rules)
                              ? QStringLiteral("The set is clean.")
                              : QStringLiteral("The set is not clean: ") +
                                    ConflictSummary(FindConflicts(all, setup.rules)) +
                                    QStringLiteral(".");
    QString unfilled;
    if (!fill.unfilled.empty()) {
        unfilled = kCrLf + QStringLiteral("%1 receivers keep their frequencies: the band holds "
                                          "no more clean carriers under these rules.")
                               .arg(fill.unfilled.size());
    }
    if (frequencies.empty()) {
        tell(QStringLiteral("No receiver needs a new frequency. ") + clean + unfilled,
             QStringLiteral("Coordinate the rack"), MsgIcon::Information);
        return false;
    }
    MessageBoxSpec ask;
    ask.title = QStringLiteral("Coordinate the rack");
    ask.icon = MsgIcon::Question;
    ask.buttons = MsgButtons::YesNo;
    ask.text =
        QStringLiteral("Program %1 receivers with new frequencies?").arg(frequencies.size()) +
        kCrLf + kCrLf + changes.join(kCrLf) + kCrLf + kCrLf + clean + unfilled;
    if (AskWithPollingPaused(w_.prompter, w_.engine, ask) != MsgAnswer::Yes || !w_.available()) {
        return false;
    }
    for (const auto& [slot, next] : frequencies) {
        SettingsRow& row = w_.rack.Current(slot);
        const QString before = row.Frequency;
        row.Frequency = next;
        w_.actions.Action(slot, row.Name, QStringLiteral("frequency"),
                          before + QStringLiteral(" -> ") + next);
    }
    // The file in force follows the rack's own changes, as the control panel's do.
    if (const FileResult saved = w_.rackFile.SaveAfterRackChange(
            QStringLiteral("with the rack's coordination (%1 receivers)").arg(frequencies.size()));
        !saved) {
        tell(QStringLiteral("The frequency file ") + w_.rackFile.CurrentFile() +
                 QStringLiteral(" could not be written.") + kCrLf + saved.why() + kCrLf +
                 QStringLiteral("The receivers get the new frequencies; the file keeps the "
                                "previous ones. Check the folder \"USB Files\" and save again."),
             QStringLiteral("Coordinate the rack"), MsgIcon::Exclamation);
    }
    return w_.engine.StartProgrammingPass(PassKind::ChangedOnly);
}

} // namespace k7
