// The station's core without windows over a simulated rack on the manual clock: the link,
// identification, the rack tables, the six timers and the rack engine, with the recording
// doubles for the windows and the file layer. Start() runs the start-up steps the rack needs;
// a test then goes from start to metering in a line.
#pragma once

#include "link/DeviceTables.h"
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "platform/TimerBank.h"
#include "rack/FileState.h"
#include "rack/RackEngine.h"
#include "rack/RackTables.h"
#include "sim/SimulatedRack.h"
#include "support/LineSwitch.h"
#include "support/ManualClock.h"
#include "support/RackDoubles.h"
#include "support/ScriptedPrompter.h"

namespace k7::test {

class RackHarness {
public:
    explicit RackHarness(const sim::Scenario& scenario);

    // ConnectUSB, the rack tables' start values, the six timers, timer 0 at 120 ms in
    // discovery mode. Returns ConnectUSB's result (the device count on success).
    int Start();
    // Runs the clock until metering runs with no pass or question pending.
    bool RunToMonitoring(double limitMs = 120000);
    bool Monitoring() const;
    double NowMs() const { return clock.nowMs(); }
    sim::SimulatedReceiver& receiver(int position) { return simRack.receiver(position); }

    ManualClock clock;
    sim::SimulatedRack simRack;
    LineSwitch line{simRack};
    DeviceTables devices;
    LinkModule link{line, devices, clock};
    Identification identification{line, link, devices, clock};
    RackTables rack;
    FileState files;
    TimerBank timers{clock};
    ScriptedPrompter prompter;
    RecordingMeterDisplay display;
    RecordingStartupDialog dialog;
    RecordingShell shell;
    RecordingPanel panel;
    FakeRackFiles rackFiles{rack, files, devices.DeviceCount, timers};
    ListGuard guard;
    RackEngine engine;
};

} // namespace k7::test
