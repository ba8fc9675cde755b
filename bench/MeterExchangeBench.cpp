// One meter exchange on the simulated rack with immediate answers: the query written, the
// 14-byte answer read and accepted by the link module. The cost of the station's side of a
// poll, without the wait a real link adds.
#include "link/LinkModule.h"
#include "platform/EventPump.h"
#include "platform/MonotonicClock.h"
#include "sim/SimulatedRack.h"

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
    k7::DeviceTables devices;
    devices.DeviceCount = static_cast<int>(state.range(0));
    devices.LastDeviceIndex = devices.DeviceCount - 1;
    devices.PollInterval = 4;
    k7::LinkModule link(rack, devices, pump);
    for (int i = 0; i < devices.DeviceCount; ++i) {
        link.OpenDevice(i);
    }
    std::int64_t accepted = 0;
    link.SetAnswerParser([&accepted](int) { ++accepted; });
    int device = 0;
    for (auto _ : state) {
        link.TxBuffer[0] = 'R';
        link.TxBuffer[1] = 0;
        link.TxBuffer[2] = 'D';
        link.WriteDevice(device, 3);
        link.ReadDevice(device, 14);
        device = (device + 1) % devices.DeviceCount;
    }
    if (accepted != static_cast<std::int64_t>(state.iterations())) {
        state.SkipWithError("an answer was not accepted");
    }
    // Frames are recorded for tests; keep the record from growing through the run.
    for (int i = 0; i < devices.DeviceCount; ++i) {
        rack.receiver(i).clearFrames();
    }
}
BENCHMARK(MeterExchange)->Arg(1)->Arg(24);

} // namespace

BENCHMARK_MAIN();
