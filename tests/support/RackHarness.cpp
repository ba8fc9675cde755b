#include "RackHarness.h"

#include "files/LoadFileSetting.h"
#include "files/NameSets.h"

#include <QDir>

namespace k7::test {
namespace {

CoreOptions OptionsFor(const QString& dataFolder, const QDateTime& origin, const ManualClock& clock,
                       RackFiles& recorder) {
    return CoreOptions{dataFolder,
                       [origin, &clock] { return origin.addMSecs(clock.nowMicros() / 1000); },
                       &recorder};
}

} // namespace

RackHarness::RackHarness(const sim::Scenario& scenario)
    : simRack(scenario, clock),
      core(CorePorts{clock, clock, prompter, settings, line, dialog, shell, clock, &chooser,
                     nullptr},
           OptionsFor(dir.filePath(QStringLiteral("USB Files")), wallOrigin, clock, rackFiles)) {
    rackFiles.Wrap(core.rackFile());
    QDir().mkpath(dataFolder());
    core.AttachDisplay(display);
    engine.AddObserver(events);
}

int RackHarness::Start() {
    const int result = core.identification().ConnectUSB();
    if (result <= 0 || result > kMaxDevices) {
        return result;
    }
    engine.InitialiseRackTables();
    engine.CreateTimers(
        [this](int tag, bool enabled, int) { timerChanges.emplace_back(tag, enabled); });
    engine.StartDiscovery();
    return result;
}

void RackHarness::UseFile(const QString& name, const FrqDocument& document) {
    if (!core.frq().WriteFile(name, document) || !core.rackFile().LoadIntoRack(name).ok()) {
        qFatal("the test's file %s could not be written and loaded", qPrintable(name));
    }
}

void RackHarness::LoadAtStart(const QString& name) {
    SaveLoadLastFile(settings, true);
    SaveLastSet(settings, name);
    core.rackFile().ReadLoadAtStart(true);
    core.rackFile().ReadCurrentFile();
}

void RackHarness::ReadAsLastFile(const QString& name, const FrqDocument& document) {
    if (!core.frq().WriteFile(name, document) ||
        core.rackFile().LoadRackFile(name) != FrqResult::Read) {
        qFatal("the test's file %s could not be written and read", qPrintable(name));
    }
}

FrqDocument RackHarness::FileOf(const std::vector<SettingsRow>& rows) {
    FrqDocument document{static_cast<std::int32_t>(rows.size()), 5, {}};
    for (std::size_t i = 1; i <= kFileEntries; ++i) {
        document.Entries[i] = i <= rows.size()
                                  ? rows[i - 1]
                                  : SettingsRow{QStringLiteral("Spare_"), QStringLiteral("606.600"),
                                                QStringLiteral("5"), QStringLiteral("0")};
    }
    return document;
}

bool RackHarness::Monitoring() const {
    return engine.Activity() == RackActivity::Monitoring && timers.enabled(PollTimer);
}

bool RackHarness::RunToMonitoring(double limitMs) {
    return clock.runUntil([this] { return Monitoring(); }, limitMs);
}

} // namespace k7::test
