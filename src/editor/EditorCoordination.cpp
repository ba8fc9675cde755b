#include "EditorCoordination.h"

#include "FrequencyEditor.h"
#include "link/DeviceTables.h"
#include "platform/Prompter.h"
#include "rack/RackTables.h"

#include <algorithm>

namespace k7 {

std::vector<LabelledCarrier> EditorCoordination::carriers(std::vector<int>& rows) const {
    std::vector<LabelledCarrier> list;
    const std::vector<GridRow>& grid = editor_.state().rows;
    for (std::size_t r = 0; r < grid.size(); ++r) {
        if (const std::optional<int> kHz = FrequencyKHz(grid[r].cells[2])) {
            list.push_back({QStringLiteral("row %1 (%2)").arg(r + 1).arg(grid[r].cells[1]), *kHz});
            rows.push_back(static_cast<int>(r));
        }
    }
    return list;
}

void EditorCoordination::mark(const ConflictReport& report, const std::vector<int>& rows,
                              const QString& prefix) {
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const QStringList& lines = report.lines[i];
        if (!lines.isEmpty()) {
            editor_.SetRowDecoration(rows[i], {ConflictColour(), prefix + lines.join('\n')});
        }
    }
}

ConflictReport EditorCoordination::Check() {
    const CoordinationRules rules = LoadCoordinationSetup(editor_.wiring().settings).rules;
    std::vector<int> rows;
    const std::vector<LabelledCarrier> list = carriers(rows);
    const ConflictReport report = ReportConflicts(list, rules);
    mark(report, rows, QString());
    editor_.ShowStatus(report.summary);
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

std::optional<GeneratorOptions> EditorCoordination::Prepare(const CoordinationSetup& setup) {
    const QString title = QStringLiteral("Coordinate");
    if (!editor_.normalEditing() || editor_.state().rows.empty()) {
        return std::nullopt;
    }
    if (!Band()) {
        tell(QStringLiteral("The receivers' band (code %1) has no limits, so there are no "
                            "channels to choose from.\r\nCheck still shows the conflicts of the "
                            "rows as they are.")
                 .arg(editor_.wiring().devices.SlotBand[1]),
             title);
        return std::nullopt;
    }
    GeneratorOptions options;
    const std::vector<GridRow>& grid = editor_.state().rows;
    for (const int row : setup.locked) {
        if (row < 0 || row >= static_cast<int>(grid.size())) {
            continue;
        }
        const std::optional<int> kHz = FrequencyKHz(grid[static_cast<std::size_t>(row)].cells[2]);
        if (!kHz) {
            tell(QStringLiteral("Row %1 is locked but has no frequency to keep.\r\nUnlock it or "
                                "give it a frequency, then coordinate again.")
                     .arg(row + 1),
                 title);
            return std::nullopt;
        }
        options.locked.push_back(*kHz);
    }
    SaveCoordinationSetup(editor_.wiring().settings, setup);
    options.rules = setup.rules;
    options.excluded = setup.excluded;
    options.target = static_cast<int>(grid.size());
    options.iterations = 0;
    options.timeBudgetMicros = static_cast<std::int64_t>(setup.budgetSeconds) * 1'000'000;
    return options;
}

bool EditorCoordination::Apply(const CoordinationSetup& setup, const GeneratorResult& result) {
    std::vector<GridRow> rows = editor_.state().rows;
    std::vector<std::optional<int>> rowsKHz;
    for (const GridRow& row : rows) {
        rowsKHz.push_back(FrequencyKHz(row.cells[2]));
    }
    const CarrierFill fill = AssignCarriers(rowsKHz, setup.locked, result.carriers);
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
    // What the set holds now, marked as Check marks it; rows left unfilled say why.
    std::vector<int> checked;
    const std::vector<LabelledCarrier> list = carriers(checked);
    const ConflictReport report = ReportConflicts(list, setup.rules);
    mark(report, checked, QString());
    const QString noRoom = QStringLiteral("Not filled: the band holds no more clean carriers "
                                          "under these rules.");
    for (const int row : fill.unfilled) {
        const QString tip = editor_.state().rows[static_cast<std::size_t>(row)].decoration.toolTip;
        editor_.SetRowDecoration(row,
                                 {UnfilledColour(), tip.isEmpty() ? noRoom : noRoom + '\n' + tip});
    }
    done += report.clean() ? QStringLiteral("; the set is clean")
                           : QStringLiteral("; the set is not clean: ") + report.summary;
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
