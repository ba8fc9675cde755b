// The preset frequencies of each band and the per-band values written where no receiver or
// preset fills an entry. Frequencies are MHz texts with a point.
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

namespace k7 {

// The preset list of a band as the table holds it (no fallback entries past it); empty for a
// band without presets.
QStringList PresetList(int band);

// The count line 2 of the default files carries; nothing for a band without presets.
std::optional<int> PresetCount(int band);

struct BandFillValues {
    const char* newEditorFile; // InitEditorDefaults
    const char* snapshotEntry; // WriteRackSnapshot, entries past the receivers
    const char* spareEntry;    // CurrentFromRack, slots past the receivers
};
// Empty texts for a band without values.
const BandFillValues& FillValuesFor(int band);

// A preset or fill value (MHz with a point) with the user's decimal separator.
inline QString LocalisedFrequency(const char* frequency, QChar separator) {
    QString text = QString::fromLatin1(frequency);
    text.replace(QLatin1Char('.'), separator);
    return text;
}

} // namespace k7
