// ParseSerial of one meter answer without drawing, and one whole metering tick of a rack of
// 24 simulated receivers (query, answer, parse, the recording display's redraw).
#include "link/DeviceTables.h"
#include "rack/AnswerParser.h"
#include "rack/RackTables.h"
#include "support/RackHarness.h"

#include <benchmark/benchmark.h>

namespace {

using namespace k7;

void BM_ParseSerialMeterAnswer(benchmark::State& state) {
    DeviceTables devices;
    devices.DeviceGroup[5] = 0;
    devices.DeviceGroupPos[5] = 6;
    devices.RackLayout = 1;
    RackTables rack;
    rack.HoldAnswers = 400;
    AnswerParser::RxBytes rx{'R', 0, 'D', 140, 130, 0, 90, 190, 0x80};
    AnswerParser parser(devices, rack, rx);
    for (auto _ : state) {
        parser.ParseSerial(5);
        benchmark::DoNotOptimize(rack.MeterData[6]);
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
