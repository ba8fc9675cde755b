// What a coordination is asked for: the rules and their windows, the ranges no carrier may take,
// the fixed transmitters around the set, the rows kept as they are, the backups wanted and the
// time the search may take. All but the rows are remembered in the settings (section
// "Coordination") from one coordination to the next.
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
    static constexpr int kMaxBackups = 99;

    CoordinationRules rules;
    std::vector<KHzRange> excluded;
    // Other transmitters (in-ear monitors, intercom, a neighbour's): their products and their
    // spacing count, but they never move.
    std::vector<FixedCarrier> fixed;
    int backups = 0; // spare frequencies wanted beside the set
    int budgetSeconds = 2;
    std::set<int> locked; // rows (0-based) whose frequencies stay
    bool operator==(const CoordinationSetup&) const = default;
};

// A search ready to run: one slot a row, in row order (its band; a locked row's frequency kept),
// and the search's options.
struct CoordinationRun {
    std::vector<CoordinationSlot> rows;
    GeneratorOptions options;
};

// What Coordinate works on (the editor's rows, the rack's receivers): the rows and their bands,
// the search for a setup, and the set found put in place.
class CoordinationTarget {
public:
    virtual ~CoordinationTarget() = default;
    // True when every row has a band with channels to choose from (Prepare says why not).
    virtual bool HasBands() const = 0;
    // One text a row, in order, as the dialog lists them.
    virtual QStringList RowTexts() const = 0;
    // Remembers the setup and gives the search; none when the target cannot be coordinated now
    // (the operator has been told why).
    virtual std::optional<CoordinationRun> Prepare(const CoordinationSetup& setup) = 0;
    // The set found, put in place; false when nothing changed.
    virtual bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) = 0;
    // The operator cancelled the search: nothing changes.
    virtual void Cancelled() {}
};

// The remembered rules, ranges, fixed transmitters, backups and time (defaults where nothing or
// nothing valid is stored).
CoordinationSetup LoadCoordinationSetup(SettingsStore& settings);
void SaveCoordinationSetup(SettingsStore& settings, const CoordinationSetup& setup);

// Where a coordinated set goes: each unlocked row takes its slot's carrier; rows the set has no
// carrier for stay as they are.
struct CarrierFill {
    std::vector<std::pair<int, int>> filled; // row, kHz
    std::vector<int> unfilled;               // rows
};
// slotCarriers: the search's carrier for each row (GeneratorResult::slotCarriers).
CarrierFill FillRows(const std::vector<std::optional<int>>& slotCarriers,
                     const std::set<int>& locked);

// Exclusion ranges as text: one range a line, "606.000-607.500" (MHz, either decimal
// separator; a single frequency is a range of one). Empty lines are skipped.
struct ExclusionsRead {
    std::vector<KHzRange> ranges;
    int errorLine = 0; // 1-based; 0 when the text was read
};
ExclusionsRead ParseExclusions(const QString& text);
QString ExclusionsText(const std::vector<KHzRange>& ranges);

// Fixed transmitters as text: one a line, the frequency (MHz, either decimal separator) and an
// optional label after it ("612.400 IEM 1"). Empty lines are skipped.
struct FixedRead {
    std::vector<FixedCarrier> carriers;
    int errorLine = 0; // 1-based; 0 when the text was read
};
FixedRead ParseFixed(const QString& text);
QString FixedText(const std::vector<FixedCarrier>& carriers);

} // namespace k7
