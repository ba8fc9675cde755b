// ParseSerial of one meter answer without drawing, and one whole metering tick of a rack of
// 24 simulated receivers (query, answer, parse, the recording display's redraw).
#include "support/RackHarness.h"

#include <benchmark/benchmark.h>

namespace {

using namespace k7;

void BM_ParseSerialMeterAnswer(benchmark::State& state) {
    test::RackHarness h; // no display and no observer: the parse alone
    h.engine.AttachDisplay(nullptr);
    h.engine.RemoveObserver(h.events);
    h.engine.RemoveObserver(h.core.monitor());
    h.devices.DeviceGroup[5] = 0;
    h.devices.DeviceGroupPos[5] = 6;
    h.devices.RackLayout = 1;
    h.rack.HoldAnswers = 400;
    h.link.RxBuffer = {'R', 0, 'D', 140, 130, 0, 90, 190, 0x80};
    for (auto _ : state) {
        h.engine.AnswerReceived(5);
        benchmark::DoNotOptimize(h.rack.MeterData[6]);
    }
}
BENCHMARK(BM_ParseSerialMeterAnswer);

void BM_MeteringTick24(benchmark::State& state) {
    test::RackHarness h(sim::Scenario::simulated(24, 5));
    if (h.Start() != 24 || !h.RunToMonitoring()) {
        state.SkipWithError("the simulated rack did not reach metering");
        return;
    }
    const double interval = h.devices.PollInterval;
    for (auto _ : state) {
        h.clock.advanceMs(interval);
        if (h.display.draws.size() > 100000) {
            h.display.draws.clear();
        }
    }
}
BENCHMARK(BM_MeteringTick24);

} // namespace

BENCHMARK_MAIN();
