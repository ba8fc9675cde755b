// The conflicts of a set of carriers told in words, for the editor's rows and the rack's slots
// alike: for each carrier the conflicts it takes part in (the kind, the partners and the
// distance), and a one-line summary ("3 conflicts: 2 × 3rd order 2-tx, 1 × spacing").
#pragma once

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
};

struct ConflictReport {
    int conflicts = 0;
    // Per carrier: one line per conflict it takes part in (as victim, maker or neighbour), at
    // most kMaxLines and then a line that says how many more; empty for a clean carrier.
    std::vector<QStringList> lines;
    QString summary;
    bool clean() const { return conflicts == 0; }
};

inline constexpr int kMaxReportLines = 6;

// "spacing", "3rd order 2-tx", "3rd order 3-tx", "5th order 2-tx".
QString ConflictKindName(ConflictKind kind);
ConflictReport ReportConflicts(std::span<const LabelledCarrier> carriers,
                               const CoordinationRules& rules);
// "No conflicts", "1 conflict: 1 × spacing", "3 conflicts: 2 × 3rd order 2-tx, 1 × spacing":
// the kinds by count, most first.
QString ConflictSummary(std::span<const Conflict> conflicts);

// A stored frequency ("606.600" or "606,600", MHz) in kHz; none for a text that is not one.
std::optional<int> FrequencyKHz(const QString& text);
// kHz as "ddd.ddd" MHz with the given decimal separator.
QString FrequencyText(int kHz, QChar separator);

} // namespace k7
