// Check and Coordinate for the rack as it stands (the main window's Coordination menu): the
// working frequencies of the receivers in use checked for conflicts, among themselves and with
// the fixed transmitters, counted in a message (the detail in the conflict table, on request)
// and shown on the cells' tool tips while the frequencies stay as they were checked; and a clean
// set found around the receivers the operator locks, each receiver in its own band, programmed
// into the others after the operator agrees, with the backups it found kept for the control
// panel.
#pragma once

#include "RackBackups.h"
#include "coordination/SetGenerator.h"
#include "editor/ConflictReport.h"
#include "editor/ConflictTable.h"
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
        SettingsStore& settings; // the remembered rules, fixed transmitters and backups
        Prompter& prompter;
        // The rack meters and no exit or close dialog is up: what a programming pass needs.
        std::function<bool()> available;
    };

    explicit RackCoordination(const Wiring& wiring);

    // Where the conflict table goes when the operator asks for it from the check's message
    // (none: the message does not offer it).
    void SetTableView(std::function<void(const ConflictTable&)> show) {
        showTable_ = std::move(show);
    }

    // Checks the rack's working frequencies, tells the operator what conflicts (and offers the
    // table), and keeps the conflicts for the cells' tool tips.
    ConflictReport Check();
    // A slot's conflicts as the last check found them; empty once any receiver's frequency
    // has changed since.
    QString CellConflicts(int slot) const;
    // The last check's conflicts as a table.
    const ConflictTable& conflictTable() const { return table_; }

    // Every receiver in use has a band with limits.
    bool HasBands() const override;
    // One text a receiver in use: "Slot 1  Vox  606.600" (and its band, in a rack of several).
    QStringList RowTexts() const override;
    // The remembered setup; the selected slot's receiver locked when there is one.
    CoordinationSetup Setup() const;
    // Remembers the setup and gives the search: a slot of its receiver's band a receiver;
    // none when the rack cannot be coordinated now (the operator has been told why).
    std::optional<CoordinationRun> Prepare(const CoordinationSetup& setup) override;
    // Asks the operator, then programs the unlocked receivers with the set's new carriers
    // (only what changed is sent), writes the file in force and keeps the backups. False when
    // nothing changed.
    bool Apply(const CoordinationSetup& setup, const GeneratorResult& result) override;

    RackBackups& backups() { return backups_; }

private:
    int receivers() const;
    std::vector<std::optional<int>> rackKHz() const;
    void tell(const QString& text, const QString& title, MsgIcon icon);
    // The check's message: the count, the receivers hit (the first few), the backups, and the
    // question whether to open the table.
    QString checkText(const ConflictReport& report, const std::vector<LabelledCarrier>& list,
                      const CoordinationSetup& setup, bool offerTable) const;

    Wiring w_;
    RackBackups backups_;
    std::function<void(const ConflictTable&)> showTable_;
    ConflictTable table_;
    // The frequencies of the last check (inUse 1 to 40) and each slot's conflicts.
    std::array<QString, 41> checkedFrequencies_{};
    std::array<QString, 41> cellConflicts_{};
};

} // namespace k7
