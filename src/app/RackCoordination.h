// Check and Coordinate for the rack as it stands (the main window's Coordination menu): the
// working frequencies of the receivers in use checked for conflicts, listed in a message and
// shown on the cells' tool tips while the frequencies stay as they were checked; and a clean
// set found around the receivers the operator locks, programmed into the others after the
// operator agrees. The band is slot 1's, which every receiver in use must share.
#pragma once

#include "coordination/SetGenerator.h"
#include "editor/ConflictReport.h"
#include "editor/CoordinationSetup.h"
#include "platform/Prompter.h"

#include <QStringList>

#include <array>
#include <functional>
#include <optional>

namespace k7 {

struct DeviceTables;
class ActionLog;
class RackCommands;
class RackFile;
class RackSettings;
class SettingsStore;

class RackCoordination final : public CoordinationTarget {
public:
    struct Wiring {
        const DeviceTables& devices;
        RackSettings& rack;   // the working frequencies, read and set
        RackCommands& engine; // polling paused for a box, the pass that programs the set
        RackFile& rackFile;   // the file in force takes the new frequencies
        ActionLog& actions;
        SettingsStore& settings; // the remembered rules
        Prompter& prompter;
        // The rack meters and no exit or close dialog is up: what a programming pass needs.
        std::function<bool()> available;
    };

    explicit RackCoordination(const Wiring& wiring) : w_(wiring) {}

    // Checks the rack's working frequencies, tells the operator what conflicts, and keeps the
    // conflicts for the cells' tool tips.
    ConflictReport Check();
    // A slot's conflicts as the last check found them; empty once any receiver's frequency
    // has changed since.
    QString CellConflicts(int slot) const;

    // The band to coordinate in; none (and no coordination) when slot 1's band has no limits
    // or the receivers in use are of different bands.
    std::optional<BandPlan> Band() const override;
    // One text a receiver in use: "Slot 1  Vox  606.600".
    QStringList RowTexts() const override;
    // The remembered rules; the selected slot's receiver locked when there is one.
    CoordinationSetup Setup() const;
    // Remembers the setup and gives the search's options; none when the rack cannot be
    // coordinated now (the operator has been told why).
    std::optional<GeneratorOptions> Prepare(const CoordinationSetup& setup) override;
    // Asks the operator, then programs the unlocked receivers with the set's new carriers
    // (only what changed is sent) and writes the file in force. False when nothing changed.
    bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) override;

private:
    int receivers() const;
    std::vector<std::optional<int>> rackKHz() const;
    std::vector<LabelledCarrier> carriers(std::vector<int>& inUse) const;
    void tell(const QString& text, const QString& title, MsgIcon icon);

    Wiring w_;
    // The frequencies of the last check (inUse 1 to 40) and each slot's conflicts.
    std::array<QString, 41> checkedFrequencies_{};
    std::array<QString, 41> cellConflicts_{};
};

} // namespace k7
