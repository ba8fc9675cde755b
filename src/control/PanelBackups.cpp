// The rack's backups in the control panel: offered for the receiver shown, checked against the
// rack as soon as one is taken, and no longer offered once one has gone to a receiver.
#include "ReceiverPanel.h"

#include "rack/RackTables.h"

namespace k7 {

QStringList ReceiverPanel::backups() const {
    if (!backups_ || !visible_ || !freqEnabled_ || !RackTables::validSlot(slot_)) {
        return {};
    }
    return backups_->BackupsFor(slot_);
}

void ReceiverPanel::TakeBackup(const QString& frequency) {
    if (!backups_ || !freqEnabled_ || !RackTables::validSlot(slot_)) {
        return;
    }
    txtFreq_ = frequency;
    takenBackup_ = frequency;
    const BackupCheck check = backups_->CheckBackup(slot_, frequency);
    lblBackup_ = check.text;
    backupClean_ = check.clean;
    notify();
}

void ReceiverPanel::FreqEdited(const QString& text) {
    txtFreq_ = text;
    // The check was of the backup taken: another frequency typed is not what it checked.
    if (!lblBackup_.isEmpty() && text != takenBackup_) {
        lblBackup_.clear();
        takenBackup_.clear();
        notify();
    }
}

} // namespace k7
