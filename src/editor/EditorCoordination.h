// Check and Coordinate in the editor: the rows' frequencies checked for conflicts, the fixed
// transmitters among them (each conflicting row marked with what it conflicts with, the count in
// the status line, the detail as a table), and the unlocked rows filled with a clean set from
// the set generator, written to the file like any other edit, with the backups it found kept in
// the status line. The band is the band of the editor's frequency check (slot 1's). The search
// itself runs elsewhere (CoordinationJob); this prepares it and applies its result.
#pragma once

#include "ConflictReport.h"
#include "ConflictTable.h"
#include "CoordinationSetup.h"
#include "coordination/SetGenerator.h"

#include <QColor>
#include <QStringList>

#include <optional>
#include <set>

namespace k7 {

class FrequencyEditor;

class EditorCoordination final : public CoordinationTarget {
public:
    static QColor ConflictColour() { return QColor(255, 190, 190); }
    static QColor UnfilledColour() { return QColor(255, 222, 150); }

    explicit EditorCoordination(FrequencyEditor& editor) : editor_(editor) {}

    // Check: marks every conflicting row (cleared with the next change of the rows) and puts
    // the count (and the backups, checked again) in the status line.
    ConflictReport Check();

    // The band the editor checks frequencies against; none when it has no limits (nothing to
    // choose channels from).
    std::optional<BandPlan> Band() const;
    bool HasBands() const override { return Band().has_value(); }
    // The dialog's start: the remembered setup, the given rows locked.
    CoordinationSetup Setup(const std::set<int>& selectedRows) const;
    // The rows as the dialog lists them: "1  Mic001  606.600".
    QStringList RowTexts() const override;
    // Remembers the setup and gives the search: a slot of the band a row; none when the editor
    // cannot be coordinated (the operator has been told why).
    std::optional<CoordinationRun> Prepare(const CoordinationSetup& setup) override;
    // Fills the unlocked rows with the set's new carriers (in row order, ascending), writes the
    // file and says how many rows it filled, whether the set is clean and its backups; rows it
    // could not fill stay as they were and are marked. False when nothing was written.
    bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) override;
    // The search was cancelled: nothing changes.
    void Cancelled() override;

    // The conflicts of the last check (or coordination) as a table, while the rows are as they
    // were checked; none otherwise, or when nothing conflicted.
    const ConflictTable* conflictTable() const;
    // The backups of the last coordination of this file (kHz ascending).
    const std::vector<int>& backups() const { return backups_; }

private:
    // The rows' carriers (rows without a readable frequency are left out).
    std::vector<LabelledCarrier> carriers() const;
    // Checks the rows: marks, the table kept; the report.
    ConflictReport checkRows(const CoordinationSetup& setup);
    // "; backups 612.400, ..." for the status line, checked against the rows; empty without.
    QString backupsStatus(const std::vector<LabelledCarrier>& rows,
                          const CoordinationSetup& setup) const;
    void tell(const QString& text, const QString& title);
    // The rows' names and frequencies, to see whether they changed since a check.
    std::vector<QString> rowsKey() const;

    FrequencyEditor& editor_;
    ConflictTable table_;
    std::vector<QString> tableRows_; // rowsKey() of the check that made table_
    std::vector<int> backups_;
    QString backupsFile_; // the file the backups were found for
};

} // namespace k7
