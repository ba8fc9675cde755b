// One meter exchange on the simulated rack with immediate answers: the query written, the
// 14-byte answer read and accepted by the link module of the station's core. The cost of the
// station's side of a poll, without the wait a real link adds.
#include "app/StationCore.h"
#include "platform/EventPump.h"
#include "platform/MonotonicClock.h"
#include "platform/QtTimerFactory.h"
#include "platform/SettingsStore.h"
#include "sim/SimulatedRack.h"
#include "support/RackDoubles.h"
#include "support/ScriptedPrompter.h"

#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

class NoEvents final : public k7::EventPump {
public:
    void LetPendingMessagesRun() override {}
};

void MeterExchange(benchmark::State& state) {
    k7::MonotonicClock clock;
    NoEvents pump;
    k7::sim::Scenario scenario = k7::sim::Scenario::simulated(static_cast<int>(state.range(0)));
    scenario.immediateAnswers = true;
    k7::sim::SimulatedRack rack(scenario, clock);
    QTemporaryDir folder;
    k7::QtSettingsStore settings(folder.filePath("settings.ini"));
    k7::test::ScriptedPrompter prompter;
    k7::test::RecordingStartupDialog dialog;
    k7::test::RecordingShell shell;
    k7::QtTimerFactory timers; // never asked: the exchange runs without timers
    k7::StationCore core(
        k7::CorePorts{timers, pump, prompter, settings, rack, dialog, shell, clock},
        k7::CoreOptions{folder.filePath("USB Files"), {}, {}});
    if (core.identification().ConnectUSB() != state.range(0)) {
        state.SkipWithError("the simulated rack was not found");
        return;
    }
    k7::LinkModule& link = core.link();
    std::int64_t accepted = 0;
    int device = 0;
    for (auto _ : state) {
        link.TxBuffer[0] = 'R';
        link.TxBuffer[1] = 0;
        link.TxBuffer[2] = 'D';
        link.WriteDevice(device, 3);
        link.ReadDevice(device, 14);
        accepted += link.Status.BytesRead == 14 && link.RxBuffer[0] == 'R' ? 1 : 0;
        device = (device + 1) % core.devices().DeviceCount;
    }
    if (accepted != static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("an answer was not accepted");
    }
    // Frames are recorded for tests; keep the record from growing through the run.
    for (int i = 0; i < core.devices().DeviceCount; ++i) {
        rack.receiver(i).clearFrames();
    }
}
BENCHMARK(MeterExchange)->Arg(1)->Arg(24);

} // namespace

BENCHMARK_MAIN();
