#include "RackHarness.h"

#include <QDir>

namespace k7::test {
namespace {

CoreOptions OptionsFor(const QString& dataFolder) {
    return CoreOptions{dataFolder, [](const DefaultFiles::Wiring& wiring) {
                           return std::make_unique<RecordingRackFiles>(wiring);
                       }};
}

} // namespace

RackHarness::RackHarness(const sim::Scenario& scenario)
    : simRack(scenario, clock),
      core(CorePorts{clock, clock, prompter, settings, line, dialog, shell, &chooser},
           OptionsFor(dir.filePath(QStringLiteral("USB Files")))),
      rackFiles(static_cast<RecordingRackFiles&>(*core.defaults)) {
    QDir().mkpath(dataFolder());
    core.AttachDisplay(display);
    engine.AddObserver(events);
}

int RackHarness::Start() {
    const int result = core.identification.ConnectUSB();
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
