// What a coordination is asked for: the rules and their windows, the ranges no carrier may take,
// the rows kept as they are and the time the search may take. The rules, ranges and time are
// remembered in the settings (section "Coordination") from one coordination to the next.
#pragma once

#include "bands/BandPlan.h"
#include "coordination/SetGenerator.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <set>
#include <vector>

namespace k7 {

class SettingsStore;

struct CoordinationSetup {
    static constexpr int kMaxWindowKHz = 10000;
    static constexpr int kMinBudgetSeconds = 1;
    static constexpr int kMaxBudgetSeconds = 600;

    CoordinationRules rules;
    std::vector<KHzRange> excluded;
    int budgetSeconds = 2;
    std::set<int> locked; // rows (0-based) whose frequencies stay
    bool operator==(const CoordinationSetup&) const = default;
};

// What Coordinate works on (the editor's rows, the rack's receivers): the band, the rows, the
// search's options for a setup, and the set found put in place.
class CoordinationTarget {
public:
    virtual ~CoordinationTarget() = default;
    // The band to choose channels from; none when there is none (Prepare says why).
    virtual std::optional<BandPlan> Band() const = 0;
    // One text a row, in order, as the dialog lists them.
    virtual QStringList RowTexts() const = 0;
    // Remembers the setup and gives the search's options; none when the target cannot be
    // coordinated now (the operator has been told why).
    virtual std::optional<GeneratorOptions> Prepare(const CoordinationSetup& setup) = 0;
    // The set found, put in place; false when nothing changed.
    virtual bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) = 0;
    // The operator cancelled the search: nothing changes.
    virtual void Cancelled() {}
};

// The remembered rules, ranges and time (defaults where nothing or nothing valid is stored).
CoordinationSetup LoadCoordinationSetup(SettingsStore& settings);
void SaveCoordinationSetup(SettingsStore& settings, const CoordinationSetup& setup);

// Where a coordinated set goes: the set's carriers other than the locked rows' (one for each
// locked row), ascending, to the unlocked rows in row order. Rows the set has no carrier for
// stay as they are.
struct CarrierFill {
    std::vector<std::pair<int, int>> filled; // row, kHz
    std::vector<int> unfilled;               // rows
};
// rowsKHz: each row's frequency (none: unreadable, never locked); carriers: the set found.
CarrierFill AssignCarriers(const std::vector<std::optional<int>>& rowsKHz,
                           const std::set<int>& locked, std::vector<int> carriers);

// Exclusion ranges as text: one range a line, "606.000-607.500" (MHz, either decimal
// separator; a single frequency is a range of one). Empty lines are skipped.
struct ExclusionsRead {
    std::vector<KHzRange> ranges;
    int errorLine = 0; // 1-based; 0 when the text was read
};
ExclusionsRead ParseExclusions(const QString& text);
QString ExclusionsText(const std::vector<KHzRange>& ranges);

} // namespace k7
