// The backups of the rack's last coordination: kept in the settings (section "Coordination", key
// "RackBackups") so that a restart keeps them, offered to the control panel for the receivers
// whose band can take them, checked against the rack as it stands when one is taken, and no
// longer offered once one has gone to a receiver.
#pragma once

#include "control/BackupFrequencies.h"
#include "editor/ConflictReport.h"

#include <span>
#include <vector>

namespace k7 {

struct DeviceTables;
struct RackTables;
class SettingsStore;

// The receivers in use with a readable working frequency, labelled "slot 3 (Vox)".
std::vector<LabelledCarrier> RackCarriers(const DeviceTables& devices, const RackTables& rack);

class RackBackups final : public BackupFrequencies {
public:
    struct Wiring {
        const DeviceTables& devices;
        const RackTables& rack;
        SettingsStore& settings; // the backups kept, the rules and fixed transmitters to check
    };

    explicit RackBackups(const Wiring& wiring);

    // kHz ascending.
    const std::vector<int>& kHz() const { return kHz_; }
    // A new coordination's backups take the place of the old ones.
    void Replace(std::span<const int> kHz);

    QStringList BackupsFor(int slot) const override;
    BackupCheck CheckBackup(int slot, const QString& frequency) const override;
    void BackupUsed(const QString& frequency) override;

private:
    void save();

    Wiring w_;
    std::vector<int> kHz_;
};

} // namespace k7
