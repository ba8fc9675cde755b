#include "EditorCoordination.h"

#include "FrequencyEditor.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {

namespace {

const QString kRows = QStringLiteral("rows");

} // namespace

std::vector<LabelledCarrier> EditorCoordination::carriers() const {
    std::vector<LabelledCarrier> list;
    const std::vector<GridRow>& grid = editor_.state().rows;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        if (const std::optional<int> kHz = FrequencyKHz(grid[r].cells[2])) {
            const auto number = static_cast<int>(r) + 1;
            list.push_back({QStringLiteral("row %1 (%2)").arg(number).arg(grid[r].cells[1]), *kHz,
                            number, grid[r].cells[1]});
        }
    }
    return list;
}

std::vector<QString> EditorCoordination::rowsKey() const {
    std::vector<QString> key{editor_.document().EditFile};
    for (const GridRow& row : editor_.state().rows) {
        key.push_back(row.cells[1] + QLatin1Char('\t') + row.cells[2]);
    }
    return key;
}

ConflictReport EditorCoordination::checkRows(const CoordinationSetup& setup) {
    const std::vector<LabelledCarrier> list = carriers();
    const ConflictReport report = ReportConflicts(list, setup.fixed, setup.rules, kRows);
    for (std::size_t i = 0; i < list.size(); ++i) {
        const QStringList& lines = report.lines[i];
        if (!lines.isEmpty()) {
            editor_.SetRowDecoration(list[i].number - 1,
                                     {ConflictColour(), lines.join(QLatin1Char('\n'))});
        }
    }
    table_ = MakeConflictTable(report, list, setup.fixed, QStringLiteral("Row"));
    tableRows_ = rowsKey();
    return report;
}

QString EditorCoordination::backupsStatus(const std::vector<LabelledCarrier>& rows,
                                          const CoordinationSetup& setup) const {
    if (backups_.empty() || backupsFile_ != editor_.document().EditFile) {
        return {};
    }
    std::vector<int> kHz;
    for (const LabelledCarrier& row : rows) {
        kHz.push_back(row.kHz);
    }
    return QStringLiteral("; ") + BackupsText(backups_, kHz, setup.fixed, setup.rules);
}

const ConflictTable* EditorCoordination::conflictTable() const {
    // The table goes with the marks: any change of the rows clears them, even one that leaves
    // the names and frequencies as they were.
    const std::vector<GridRow>& rows = editor_.state().rows;
    const bool marked = std::ranges::any_of(
        rows, [](const GridRow& row) { return row.decoration != RowDecoration{}; });
    return table_.empty() || !marked || tableRows_ != rowsKey() ? nullptr : &table_;
}

ConflictReport EditorCoordination::Check() {
    const CoordinationSetup setup = LoadCoordinationSetup(editor_.wiring().settings);
    const ConflictReport report = checkRows(setup);
    editor_.ShowStatus(report.summary + backupsStatus(carriers(), setup));
    return report;
}

std::optional<BandPlan> EditorCoordination::Band() const {
    return BandPlan::ForBand(editor_.wiring().devices.SlotBand[1]);
}

CoordinationSetup EditorCoordination::Setup(const std::set<int>& selectedRows) const {
    CoordinationSetup setup = LoadCoordinationSetup(editor_.wiring().settings);
    const int count = static_cast<int>(editor_.state().rows.size());
    for (const int row : selectedRows) {
        if (row >= 0 && row < count) {
            setup.locked.insert(row);
        }
    }
    return setup;
}

QStringList EditorCoordination::RowTexts() const {
    QStringList texts;
    for (const GridRow& row : editor_.state().rows) {
        texts << row.cells[0] + QStringLiteral("  ") + row.cells[1] + QStringLiteral("  ") +
                     row.cells[2];
    }
    return texts;
}

void EditorCoordination::tell(const QString& text, const QString& title) {
    MessageBoxSpec box;
    box.text = text;
    box.title = title;
    box.icon = MsgIcon::Exclamation;
    editor_.wiring().prompter.ShowMessage(box);
}

std::optional<CoordinationRun> EditorCoordination::Prepare(const CoordinationSetup& setup) {
    const QString title = QStringLiteral("Coordinate");
    if (!editor_.normalEditing() || editor_.state().rows.empty()) {
        return std::nullopt;
    }
    const std::optional<BandPlan> band = Band();
    if (!band) {
        tell(QStringLiteral("The receivers' band (code %1) has no limits, so there are no "
                            "channels to choose from.\r\nCheck still shows the conflicts of the "
                            "rows as they are.")
                 .arg(editor_.wiring().devices.SlotBand[1]),
             title);
        return std::nullopt;
    }
    CoordinationRun run;
    const std::vector<GridRow>& grid = editor_.state().rows;
    for (int row = 0; row < static_cast<int>(grid.size()); ++row) {
        CoordinationSlot slot{*band, std::nullopt};
        if (setup.locked.contains(row)) {
            slot.lockedKHz = FrequencyKHz(grid[static_cast<std::size_t>(row)].cells[2]);
            if (!slot.lockedKHz) {
                tell(QStringLiteral("Row %1 is locked but has no frequency to keep.\r\nUnlock it "
                                    "or give it a frequency, then coordinate again.")
                         .arg(row + 1),
                     title);
                return std::nullopt;
            }
        }
        run.rows.push_back(slot);
    }
    SaveCoordinationSetup(editor_.wiring().settings, setup);
    run.options.rules = setup.rules;
    run.options.excluded = setup.excluded;
    run.options.fixed = setup.fixed;
    run.options.backups = setup.backups;
    run.options.iterations = 0;
    run.options.timeBudgetMicros = static_cast<std::int64_t>(setup.budgetSeconds) * 1'000'000;
    return run;
}

bool EditorCoordination::Apply(const CoordinationSetup& setup, const GeneratorResult& result) {
    std::vector<GridRow> rows = editor_.state().rows;
    if (result.slotCarriers.size() != rows.size()) {
        tell(QStringLiteral("The rows changed during the search; nothing was filled.\r\n"
                            "Coordinate again."),
             QStringLiteral("Coordinate"));
        return false;
    }
    const CarrierFill fill = FillRows(result.slotCarriers, setup.locked);
    const QChar separator = editor_.wiring().rack.DecimalSeparator();
    for (const auto& [row, kHz] : fill.filled) {
        rows[static_cast<std::size_t>(row)].cells[2] = FrequencyText(kHz, separator);
    }
    const auto filled = static_cast<int>(fill.filled.size());
    const auto unfilled = static_cast<int>(fill.unfilled.size());
    QString done = unfilled == 0 ? QStringLiteral("Coordinated: %1 rows filled").arg(filled)
                                 : QStringLiteral("Coordinated: %1 of %2 rows filled")
                                       .arg(filled)
                                       .arg(filled + unfilled);
    bool written = false;
    if (filled > 0) {
        written = editor_.ReplaceRows(rows, done,
                                      QStringLiteral("%1 frequencies coordinated").arg(filled));
        if (!written) {
            return false;
        }
    }
    backups_ = result.backups;
    backupsFile_ = editor_.document().EditFile;
    // What the set holds now, marked as Check marks it; rows left unfilled say why.
    const ConflictReport report = checkRows(setup);
    const QString noRoom = QStringLiteral("Not filled: the band holds no more clean carriers "
                                          "under these rules.");
    for (const int row : fill.unfilled) {
        const QString tip = editor_.state().rows[static_cast<std::size_t>(row)].decoration.toolTip;
        editor_.SetRowDecoration(row,
                                 {UnfilledColour(), tip.isEmpty() ? noRoom : noRoom + '\n' + tip});
    }
    done += report.clean() ? QStringLiteral("; the set is clean")
                           : QStringLiteral("; the set is not clean: ") + report.summary;
    done += backupsStatus(carriers(), setup);
    const auto found = static_cast<int>(result.backups.size());
    if (found < setup.backups) {
        done += found == 0 ? QStringLiteral("; no backup is clean against the set")
                           : QStringLiteral(" (%1 of %2 found)").arg(found).arg(setup.backups);
    }
    editor_.ShowStatus(done);
    if (unfilled > 0) {
        MessageBoxSpec box;
        box.title = QStringLiteral("Coordinate");
        box.icon = MsgIcon::Information;
        box.text = QStringLiteral("The band holds only %1 clean carriers under these rules, "
                                  "locked rows included, for %2 rows.\r\n%3 rows were left "
                                  "unchanged and are marked.\r\nNarrow the windows, lift "
                                  "exclusions or unlock rows, then coordinate again.")
                       .arg(result.carriers.size())
                       .arg(rows.size())
                       .arg(unfilled);
        editor_.wiring().prompter.ShowMessage(box);
    }
    return written;
}

void EditorCoordination::Cancelled() {
    editor_.ShowStatus(QStringLiteral("Coordination cancelled; ") + editor_.document().EditFile +
                       QStringLiteral(" is unchanged"));
}

} // namespace k7
