#include "RackHarness.h"

namespace k7::test {

RackHarness::RackHarness(const sim::Scenario& scenario)
    : simRack(scenario, clock),
      engine(devices, link, rack, files, timers, clock, prompter,
             RackEnginePorts{display, dialog, shell, rackFiles, guard, &panel}) {}

int RackHarness::Start() {
    const int result = identification.ConnectUSB();
    if (result <= 0 || result > kMaxDevices) {
        return result;
    }
    engine.InitialiseRackTables();
    engine.CreateTimers();
    engine.StartDiscovery();
    return result;
}

bool RackHarness::Monitoring() const {
    return engine.Activity() == RackActivity::Monitoring && timers.enabled(PollTimer);
}

bool RackHarness::RunToMonitoring(double limitMs) {
    return clock.runUntil([this] { return Monitoring(); }, limitMs);
}

} // namespace k7::test
