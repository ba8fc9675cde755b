#include "RackCoordination.h"

#include "coordination/CarrierCeiling.h"
#include "editor/FileChoice.h"
#include "files/RackFile.h"
#include "link/DeviceTables.h"
#include "platform/ActionLog.h"
#include "platform/Prompter.h"
#include "rack/RackCommands.h"
#include "rack/RackSettings.h"

#include <algorithm>
#include <set>

namespace k7 {

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kTitle = QStringLiteral("Coordinate the rack");
const QString kReceivers = QStringLiteral("receivers");
// The receivers the check's message names; the table has them all.
constexpr int kMostListed = 10;

QString Capitalised(QString text) {
    if (!text.isEmpty()) {
        text[0] = text[0].toUpper();
    }
    return text;
}

// "band 34", "bands 34 and 36".
QString BandsText(const std::set<int>& codes) {
    QStringList names;
    for (const int code : codes) {
        names << QString::number(code);
    }
    const QString last = names.takeLast();
    return codes.size() == 1 ? QStringLiteral("band ") + last
                             : QStringLiteral("bands ") + names.join(QStringLiteral(", ")) +
                                   QStringLiteral(" and ") + last;
}

// When the rack asks for more carriers than its rules let be clean between its lowest and its
// highest frequency: says so, so that nobody searches again for what cannot exist.
QString CeilingText(const DeviceTables& devices, int receivers, const CoordinationSetup& setup) {
    std::vector<CoordinationSlot> rackSlots;
    for (int slot = 1; slot <= receivers; ++slot) {
        if (const auto band = BandPlan::ForBand(devices.SlotBand[static_cast<std::size_t>(slot)])) {
            rackSlots.push_back({*band, std::nullopt});
        }
    }
    const std::optional<CarrierCeiling> ceiling = CeilingFor(rackSlots, setup.fixed, setup.rules);
    if (!ceiling || static_cast<int>(rackSlots.size() + setup.fixed.size()) <= ceiling->most) {
        return {};
    }
    return QStringLiteral(" No more than %1 carriers%2 can be clean together between %3 and %4 "
                          "MHz under these rules.")
        .arg(ceiling->most)
        .arg(setup.fixed.empty() ? QString() : QStringLiteral(" (the fixed transmitters included)"),
             FrequencyText(ceiling->lowKHz, QLatin1Char('.')),
             FrequencyText(ceiling->highKHz, QLatin1Char('.')));
}

} // namespace

RackCoordination::RackCoordination(const Wiring& wiring)
    : w_(wiring), backups_({wiring.devices, wiring.rack.tables(), wiring.settings}) {}

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

void RackCoordination::tell(const QString& text, const QString& title, MsgIcon icon) {
    MessageBoxSpec box;
    box.text = text;
    box.title = title;
    box.icon = icon;
    AskWithPollingPaused(w_.prompter, w_.engine, box);
}

QString RackCoordination::checkText(const ConflictReport& report,
                                    const std::vector<LabelledCarrier>& list,
                                    const CoordinationSetup& setup, bool offerTable) const {
    QString among = QStringLiteral(" among the %1 receivers' frequencies").arg(list.size());
    if (!setup.fixed.empty()) {
        among += QStringLiteral(" and %1 fixed transmitters").arg(setup.fixed.size());
    }
    QStringList text{report.summary + among +
                     (report.clean() ? QStringLiteral(".") : QStringLiteral(":"))};
    if (!report.clean()) {
        text << QString();
        int listed = 0;
        for (const ConflictTableLine& line : table_.lines) {
            if (listed++ == kMostListed) {
                break;
            }
            const QString place = line.number > 0
                                      ? QStringLiteral("Slot %1 (%2, %3 MHz)")
                                            .arg(line.number)
                                            .arg(line.name)
                                            .arg(FrequencyText(line.kHz, QLatin1Char('.')))
                                      : FixedLabel({line.kHz, line.name.toStdString()});
            text << place + QStringLiteral(": ") + line.kinds + QStringLiteral("; nearest ") +
                        line.nearest + QStringLiteral(", %1 kHz").arg(line.distanceKHz);
        }
        const auto more = static_cast<int>(table_.lines.size()) - kMostListed;
        if (more > 0) {
            text << QStringLiteral("... and %1 more in the table.").arg(more);
        }
    }
    if (!backups_.kHz().empty()) {
        std::vector<int> kHz;
        for (const LabelledCarrier& carrier : list) {
            kHz.push_back(carrier.kHz);
        }
        text << QString()
             << Capitalised(BackupsText(backups_.kHz(), kHz, setup.fixed, setup.rules)) +
                    QStringLiteral(".");
    }
    if (!report.clean()) {
        text << QString()
             << QStringLiteral("Each cell's tool tip lists its receiver's conflicts.") +
                    (offerTable ? QStringLiteral(" Open the table of all of them?") : QString());
    }
    return text.join(kCrLf);
}

ConflictReport RackCoordination::Check() {
    const CoordinationSetup setup = LoadCoordinationSetup(w_.settings);
    const std::vector<LabelledCarrier> list = RackCarriers(w_.devices, w_.rack.tables());
    const ConflictReport report = ReportConflicts(list, setup.fixed, setup.rules, kReceivers);
    table_ = MakeConflictTable(report, list, setup.fixed, QStringLiteral("Slot"));
    cellConflicts_.fill(QString());
    for (std::size_t s = 0; s < checkedFrequencies_.size(); ++s) {
        checkedFrequencies_[s] = w_.rack.tables().CurData[s].Frequency;
    }
    for (std::size_t i = 0; i < list.size(); ++i) {
        cellConflicts_[static_cast<std::size_t>(list[i].number)] =
            report.lines[i].join(QLatin1Char('\n'));
    }
    const bool offerTable = !report.clean() && showTable_;
    MessageBoxSpec box;
    box.text = checkText(report, list, setup, offerTable);
    box.title = QStringLiteral("Rack check");
    box.icon = report.clean() ? MsgIcon::Information : MsgIcon::Exclamation;
    if (offerTable) {
        box.buttons = MsgButtons::YesNo;
    }
    if (AskWithPollingPaused(w_.prompter, w_.engine, box) == MsgAnswer::Yes && offerTable) {
        showTable_(table_);
    }
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

bool RackCoordination::HasBands() const {
    for (int slot = 1; slot <= receivers(); ++slot) {
        if (!BandPlan::ForBand(w_.devices.SlotBand[static_cast<std::size_t>(slot)])) {
            return false;
        }
    }
    return true;
}

QStringList RackCoordination::RowTexts() const {
    std::set<int> bands;
    for (int slot = 1; slot <= receivers(); ++slot) {
        bands.insert(w_.devices.SlotBand[static_cast<std::size_t>(slot)]);
    }
    QStringList texts;
    for (int slot = 1; slot <= receivers(); ++slot) {
        const SettingsRow& row = w_.rack.tables().CurData[static_cast<std::size_t>(slot)];
        QString text = QStringLiteral("Slot %1  %2  %3").arg(slot).arg(row.Name, row.Frequency);
        if (bands.size() > 1) {
            text += QStringLiteral("  band %1")
                        .arg(w_.devices.SlotBand[static_cast<std::size_t>(slot)]);
        }
        texts << text;
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

std::optional<CoordinationRun> RackCoordination::Prepare(const CoordinationSetup& setup) {
    const MsgIcon exclamation = MsgIcon::Exclamation;
    if (!w_.available() || receivers() == 0) {
        tell(QStringLiteral("The rack cannot be coordinated now: the receivers are not being "
                            "metered.") +
                 kCrLf + QStringLiteral("Wait until metering runs, then try again."),
             kTitle, exclamation);
        return std::nullopt;
    }
    CoordinationRun run;
    const std::vector<std::optional<int>> kHz = rackKHz();
    for (int slot = 1; slot <= receivers(); ++slot) {
        const int code = w_.devices.SlotBand[static_cast<std::size_t>(slot)];
        const std::optional<BandPlan> band = BandPlan::ForBand(code);
        if (!band) {
            tell(QStringLiteral("Slot %1's band (code %2) has no limits: there are no channels "
                                "to choose from for it.")
                         .arg(slot)
                         .arg(code) +
                     kCrLf +
                     QStringLiteral("Check rack still shows the conflicts of the rack as "
                                    "it is."),
                 kTitle, exclamation);
            return std::nullopt;
        }
        CoordinationSlot rackSlot{*band, std::nullopt};
        if (setup.locked.contains(slot - 1)) {
            rackSlot.lockedKHz = kHz[static_cast<std::size_t>(slot - 1)];
            if (!rackSlot.lockedKHz) {
                tell(QStringLiteral("Slot %1 is locked but its frequency cannot be read.")
                             .arg(slot) +
                         kCrLf + QStringLiteral("Unlock it, then coordinate again."),
                     kTitle, exclamation);
                return std::nullopt;
            }
        }
        run.rows.push_back(rackSlot);
    }
    SaveCoordinationSetup(w_.settings, setup);
    run.options.rules = setup.rules;
    run.options.excluded = setup.excluded;
    run.options.fixed = setup.fixed;
    run.options.backups = setup.backups;
    run.options.timeBudgetMicros = static_cast<std::int64_t>(setup.budgetSeconds) * 1'000'000;
    return run;
}

bool RackCoordination::Apply(const CoordinationSetup& setup, const GeneratorResult& result) {
    // The search ran while the rack went on: it may no longer be there to program.
    if (!w_.available() || static_cast<int>(result.slotCarriers.size()) != receivers()) {
        tell(QStringLiteral("The rack stopped metering or changed during the search; nothing "
                            "was programmed.") +
                 kCrLf + QStringLiteral("Coordinate again once metering runs."),
             kTitle, MsgIcon::Exclamation);
        return false;
    }
    std::vector<std::optional<int>> kHz = rackKHz();
    const CarrierFill fill = FillRows(result.slotCarriers, setup.locked);
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
    const ConflictCount count = CountConflicts(all, setup.fixed, setup.rules);
    QString outcome = count.clean()
                          ? QStringLiteral("The set is clean.")
                          : QStringLiteral("The set is not clean: ") +
                                CountSummary(count, static_cast<int>(all.size()), kReceivers) +
                                QStringLiteral(".");
    if (!fill.unfilled.empty()) {
        std::set<int> shortBands;
        for (const int row : fill.unfilled) {
            shortBands.insert(w_.devices.SlotBand[static_cast<std::size_t>(row + 1)]);
        }
        outcome += kCrLf +
                   QStringLiteral("%1 receivers keep their frequencies: %2 holds no "
                                  "more clean carriers under these rules.")
                       .arg(fill.unfilled.size())
                       .arg(BandsText(shortBands)) +
                   CeilingText(w_.devices, receivers(), setup);
    }
    if (setup.backups > 0) {
        QStringList texts;
        for (const int backup : result.backups) {
            texts << FrequencyText(backup, QLatin1Char('.'));
        }
        outcome +=
            kCrLf + (texts.isEmpty() ? QStringLiteral("No backup is clean against the set.")
                                     : QStringLiteral("Backups: ") +
                                           texts.join(QStringLiteral(", ")) + QStringLiteral("."));
    }
    if (frequencies.empty()) {
        backups_.Replace(result.backups);
        tell(QStringLiteral("No receiver needs a new frequency. ") + outcome, kTitle,
             MsgIcon::Information);
        return false;
    }
    MessageBoxSpec ask;
    ask.title = kTitle;
    ask.icon = MsgIcon::Question;
    ask.buttons = MsgButtons::YesNo;
    ask.text =
        QStringLiteral("Program %1 receivers with new frequencies?").arg(frequencies.size()) +
        kCrLf + kCrLf + changes.join(kCrLf) + kCrLf + kCrLf + outcome;
    if (AskWithPollingPaused(w_.prompter, w_.engine, ask) != MsgAnswer::Yes || !w_.available()) {
        return false;
    }
    backups_.Replace(result.backups);
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
             kTitle, MsgIcon::Exclamation);
    }
    return w_.engine.StartProgrammingPass(PassKind::ChangedOnly);
}

} // namespace k7
