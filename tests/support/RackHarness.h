// The station's core (StationCore, wired as the program wires it) over a simulated rack on the
// manual clock, with recording doubles for the windows the rack drives and settings and a data
// folder of its own; the engine's calls on the rack's file are recorded (RecordingRackFiles).
#pragma once

#include "app/StationCore.h"
#include "platform/SettingsStore.h"
#include "sim/SimulatedRack.h"
#include "support/LineSwitch.h"
#include "support/ManualClock.h"
#include "support/RackDoubles.h"
#include "support/RecordingRackFiles.h"
#include "support/ScriptedPrompter.h"

#include <QDateTime>
#include <QTemporaryDir>

#include <utility>
#include <vector>

namespace k7::test {

class RackHarness {
public:
    // The default: a rack of no receivers, for tests of the layers above the rack.
    explicit RackHarness(const sim::Scenario& scenario = {});

    // ConnectUSB, the rack tables' start values, the six timers, timer 0 at 120 ms in
    // discovery mode. Returns ConnectUSB's result (the device count on success).
    int Start();
    // The file is written to the data folder and loaded into the rack as File > Load does: it
    // is the file in use.
    void UseFile(const QString& name, const FrqDocument& document);
    // "Load last file on Start" with the file as the last one chosen, as the settings give them
    // at start.
    void LoadAtStart(const QString& name);
    // The file written and read as discovery reads the last file; what the rack does with it
    // is the test's to say (AcceptLoadedFile, CurrentFromRack).
    void ReadAsLastFile(const QString& name, const FrqDocument& document);
    // A file of the rows given, then "Spare_" rows; its count is the rows given.
    static FrqDocument FileOf(const std::vector<SettingsRow>& rows);
    // Runs the clock until metering runs with no pass or question pending.
    bool RunToMonitoring(double limitMs = 120000);
    bool Monitoring() const;
    double NowMs() const { return clock.nowMs(); }
    sim::SimulatedReceiver& receiver(int position) { return simRack.receiver(position); }
    // The data folder ("USB Files", made with the harness).
    QString dataFolder() const { return dir.filePath(QStringLiteral("USB Files")); }
    // The event log's file of the harness's day.
    QString LogFile() const {
        return dataFolder() + QStringLiteral("/Logs/") +
               wallOrigin.date().toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(".csv");
    }

    ManualClock clock;
    // The local time at the clock's origin: the event log's lines are this plus the clock.
    static inline const QDateTime wallOrigin{QDate(2024, 5, 3), QTime(19, 30)};
    sim::SimulatedRack simRack;
    LineSwitch line{simRack};
    QTemporaryDir dir;
    QtSettingsStore settings{dir.filePath(QStringLiteral("settings.ini"))};
    ScriptedPrompter prompter;
    ScriptedFileChooser chooser;
    RecordingStartupDialog dialog;
    RecordingShell shell;
    RecordingMeterDisplay display;
    RecordingRackEvents events;
    RecordingRackFiles rackFiles;
    // Every change of a timer since the start: tag and whether it runs now. Declared before the
    // core, so that it outlives it: a pause the core's parts still hold ends (and restarts its
    // timers, which are recorded here) while the core is taken down.
    std::vector<std::pair<int, bool>> timerChanges;
    StationCore core;

    DeviceTables& devices = core.devices();
    RackTables& rack = core.rack();
    RackFile& files = core.rackFile();
    const TimerBank& timers = core.timers();
    LinkModule& link = core.link();
    RackEngine& engine = core.engine();
};

} // namespace k7::test
