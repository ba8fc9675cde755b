// The spare frequencies a coordination of the rack found (backups), as the control panel offers
// them for the receiver being retuned: the ones its band can take, the check of one against the
// rack as it stands, and word that one was put to use. The coordination above implements it.
#pragma once

#include <QString>
#include <QStringList>

namespace k7 {

struct BackupCheck {
    bool clean = false;
    QString text; // one line: what the check found
};

class BackupFrequencies {
public:
    virtual ~BackupFrequencies() = default;
    // The backups slot's receiver can be tuned to (channels of its band), as the rack writes
    // frequencies ("612.400" with the user's decimal separator), ascending.
    virtual QStringList BackupsFor(int slot) const = 0;
    // The rack with slot's frequency replaced by frequency, checked under the remembered rules
    // with the fixed transmitters: whether the new carrier conflicts with anything.
    virtual BackupCheck CheckBackup(int slot, const QString& frequency) const = 0;
    // A backup went to a receiver: it is a spare no longer.
    virtual void BackupUsed(const QString& frequency) = 0;
};

} // namespace k7
