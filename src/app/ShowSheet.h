// The show sheet: the rack as it stands, for the crew's clipboard. A row a receiver (slot, name,
// label, group, frequency, band, mute level, battery as its gauge shows it, the rack check's
// verdict on its frequency, the backups its band can take) under a header with the time, the
// file in force and the coordination rules. Built from the station's parts, without a printer.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

namespace k7 {

struct CoordinationRules;
struct DeviceTables;
struct RackTables;
class RackBackups;
class RackFile;
class SettingsStore;

struct ShowSheetRow {
    int slot = 0;
    QString name;
    QString label;
    QString group;
    QString frequency; // MHz, three decimals, a point; the stored text when it is no frequency
    QString band;      // "36 K7.5 606-638"
    QString muteLevel;
    QString battery; // the gauge's step "7/10", "low", or "-" while the gauge shows nothing
    QString verdict; // "clean", the kinds that hit the frequency, or why it was not checked
    bool hit = false;
    QStringList backups; // the backups of the receiver's band that are clean beside the rack
};

struct ShowSheet {
    QDateTime made;
    QString file;    // the file in force, or what the rack runs on without one
    QString rules;   // "spacing 350 kHz, 3rd order 2-tx 100 kHz, ..."
    QString fixed;   // the fixed transmitters; empty when there are none
    QString summary; // the check's count: "No conflicts", "5 of 40 receivers in conflict; ..."
    QString backups; // every backup with its state; empty when there are none
    std::vector<ShowSheetRow> rows;
};

// A receiver's label and group, by its serial number (empty texts: none).
using LabelLookup = std::function<std::pair<QString, QString>(const QString& serial)>;

struct ShowSheetSources {
    const DeviceTables& devices;
    const RackTables& rack;
    const RackFile& rackFile;
    SettingsStore& settings; // the rules and fixed transmitters the rack check uses
    const RackBackups& backups;
    LabelLookup labels; // none: no labels
};

ShowSheet MakeShowSheet(const ShowSheetSources& sources, const QDateTime& made);

// The coordination rules as the sheet states them: each kind's window, or "off".
QString RulesText(const CoordinationRules& rules);

} // namespace k7
