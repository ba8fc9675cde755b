#include "RackHarness.h"

#include <QDir>

namespace k7::test {
namespace {

CoreOptions OptionsFor(const QString& dataFolder, const QDateTime& origin,
                       const ManualClock& clock) {
    return CoreOptions{dataFolder,
                       [](const DefaultFiles::Wiring& wiring) {
                           return std::make_unique<RecordingRackFiles>(wiring);
                       },
                       [origin, &clock] { return origin.addMSecs(clock.nowMicros() / 1000); }};
}

} // namespace

RackHarness::RackHarness(const sim::Scenario& scenario)
    : simRack(scenario, clock),
      core(CorePorts{clock, clock, prompter, settings, line, dialog, shell, clock, &chooser},
           OptionsFor(dir.filePath(QStringLiteral("USB Files")), wallOrigin, clock)),
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
