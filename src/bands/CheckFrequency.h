// CheckFrequency: the one road by which a typed or read frequency enters the station. It
// completes a short entry to ddd.ddd, checks it against the band, snaps it to the raster and
// returns the text to store, or why it refused the entry.
#pragma once

#include "BandTable.h"
#include "platform/Prompter.h"
#include "rack/RackPorts.h"

#include <QString>

namespace k7 {

// How CheckFrequency ended.
enum class FrequencyResult {
    Valid,      // the frequency to store, snapped to the raster
    Blank,      // nothing entered, or refused outside band 14's ranges (the box has told)
    Err,        // refused: outside the band (a box told, unless quiet), or a file's entry that
                // is not seven characters long
    Range,      // quiet: outside the band
    Unreadable, // no number, or none a receiver could hold
};

struct FrequencyCheck {
    FrequencyResult result = FrequencyResult::Blank;
    QString frequency; // Valid: the text to store
    bool valid() const { return result == FrequencyResult::Valid; }
};

struct DeviceTables;
struct RackTables;
class FrequencyChecker final : public FrequencyGuard {
public:
    FrequencyChecker(const DeviceTables& devices, const RackTables& rack, Prompter& prompter);

    // quiet: true when reading a file (no boxes for length and range problems).
    // slot: the slot whose receiver the frequency is for; its band applies when it is a slot
    // in use (1..DeviceCount), otherwise the band of slot 1 (the editor passes 0).
    FrequencyCheck CheckFrequency(const QString& text, bool quiet, int slot);
    // True when the value lies in one of band 14's two ranges; shows its message when not.
    bool CheckJapanBand(const QString& text);
    bool FrequencyFitsSlot(const QString& frequency, int slot) const override;

private:
    int bandFor(int slot) const;
    QChar separator() const;
    bool inJapanBand(double value) const;
    void show(const QString& text, MsgIcon icon);

    const DeviceTables& devices_;
    const RackTables& rack_;
    Prompter& prompter_;
    BandTables tables_;
};

} // namespace k7
