// Check and Coordinate in the editor: the rows' frequencies checked for conflicts (each
// conflicting row marked with what it conflicts with, a summary in the status line), and the
// unlocked rows filled with a clean set from the set generator, written to the file like any
// other edit. The band is the band of the editor's frequency check (slot 1's). The search
// itself runs elsewhere (CoordinationJob); this prepares it and applies its result.
#pragma once

#include "ConflictReport.h"
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
    // the summary in the status line.
    ConflictReport Check();

    // The band the editor checks frequencies against; none when it has no limits (nothing to
    // choose channels from).
    std::optional<BandPlan> Band() const override;
    // The dialog's start: the remembered rules, ranges and time, the given rows locked.
    CoordinationSetup Setup(const std::set<int>& selectedRows) const;
    // The rows as the dialog lists them: "1  Mic001  606.600".
    QStringList RowTexts() const override;
    // Remembers the setup and gives the search's options (the target is the row count); none
    // when the editor cannot be coordinated (the operator has been told why).
    std::optional<GeneratorOptions> Prepare(const CoordinationSetup& setup) override;
    // Fills the unlocked rows with the set's new carriers (in row order, ascending), writes the
    // file and says how many rows it filled and whether the set is clean; rows it could not
    // fill stay as they were and are marked. False when nothing was written.
    bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) override;
    // The search was cancelled: nothing changes.
    void Cancelled() override;

private:
    // The rows' carriers (rows without a readable frequency are left out) and their rows.
    std::vector<LabelledCarrier> carriers(std::vector<int>& rows) const;
    void mark(const ConflictReport& report, const std::vector<int>& rows, const QString& prefix);
    void tell(const QString& text, const QString& title);

    FrequencyEditor& editor_;
};

} // namespace k7
