// The conflicts of a set of carriers told in words, for the editor's rows and the rack's slots
// alike: for each carrier the conflicts it takes part in (the kind, the partners and the
// distance), the count an engineer acts on ("5 of 24 rows in conflict; 12 products"), and
// whether spare frequencies (backups) still fit beside the set. Fixed transmitters take part
// as carriers named "fixed 612.400 (IEM 1)".
#pragma once

#include "coordination/ConflictCount.h"
#include "coordination/CoordinationSlot.h"
#include "coordination/Intermodulation.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <span>
#include <vector>

namespace k7 {

struct LabelledCarrier {
    QString label; // how a partner is named: "row 2 (Mic002)", "slot 3 (Vox)"
    int kHz = 0;
    int number = 0; // the row's or slot's number (1-based)
    QString name;   // the row's or slot's name
};

struct ConflictReport {
    int conflicts = 0;
    ConflictCount count;
    // Per carrier (the set's, then the fixed ones): one line per conflict it takes part in (as
    // victim, maker or neighbour), at most kMaxReportLines and then a line that says how many
    // more; empty for a clean carrier.
    std::vector<QStringList> lines;
    // Per carrier, as the lines name it.
    std::vector<QString> labels;
    // The count: "5 of 24 rows in conflict; 12 products", or "No conflicts".
    QString summary;
    bool clean() const { return conflicts == 0; }
};

inline constexpr int kMaxReportLines = 6;

// "spacing", "3rd order 2-tx", "3rd order 3-tx", "5th order 2-tx".
QString ConflictKindName(ConflictKind kind);
// The kinds of a CarrierHits::kinds mask, in the rules' order: "spacing, 3rd order 2-tx".
QString KindNames(unsigned kinds);
// "fixed 612.400 (IEM 1)", or "fixed 612.400" without a label.
QString FixedLabel(const FixedCarrier& carrier);
// noun: what the carriers are ("rows", "receivers"), for the summary.
ConflictReport ReportConflicts(std::span<const LabelledCarrier> carriers,
                               std::span<const FixedCarrier> fixed, const CoordinationRules& rules,
                               const QString& noun);
// "No conflicts", or "5 of 24 rows in conflict; 12 products", with "; 2 pairs too close" and
// "; 1 fixed transmitter hit" where there are such.
QString CountSummary(const ConflictCount& count, int carriers, const QString& noun);
// What comes nearest to a carrier in a conflict, in the carriers' labels: the other carrier of
// a spacing conflict, or the product and its makers ("2 × row 2 (Mic002) - row 1 (Mic001) =
// 612.000 MHz").
QString OffenderText(const Conflict& conflict, int carrier, std::span<const QString> labels);

// The conflicts a carrier at kHz would take part in beside the set and the fixed carriers
// (indices: the set's carriers, then the fixed ones, then the new carrier), conflicts without it
// left out: none when it fits, as a backup must.
std::vector<Conflict> ConflictsBeside(int kHz, std::span<const int> setKHz,
                                      std::span<const FixedCarrier> fixed,
                                      const CoordinationRules& rules);
// The backups as the status line and the rack's check list them: "backups 612.400, 613.100",
// with "(615.250 no longer clean)" for those that now conflict with the set.
QString BackupsText(std::span<const int> backups, std::span<const int> setKHz,
                    std::span<const FixedCarrier> fixed, const CoordinationRules& rules);

// A stored frequency ("606.600" or "606,600", MHz) in kHz; none for a text that is not one.
std::optional<int> FrequencyKHz(const QString& text);
// kHz as "ddd.ddd" MHz with the given decimal separator.
QString FrequencyText(int kHz, QChar separator);

} // namespace k7
