// The monitor's cost per meter answer: what watching adds to each answer of a rack of 40
// receivers (battery, RF and audio rules, audio silence switched on), with steady readings, and
// with receivers that lose their transmitter now and then (alerts raised, ended and logged).
#include "support/RackHarness.h"

#include <benchmark/benchmark.h>

namespace {

using namespace k7;

struct WatchedRack {
    WatchedRack() {
        h.devices.DeviceCount = kMaxSlots;
        AlertSettings settings = h.core.monitor.settings();
        settings.audioSilentAfterMs = 30000;
        h.core.monitor.SetSettings(settings);
        for (int s = 1; s <= kMaxSlots; ++s) {
            h.rack.CurData[s] = {QStringLiteral("RX_%1").arg(s), QStringLiteral("606.600"),
                                 QStringLiteral("5"), QStringLiteral("0")};
            h.rack.VoltageKnown[s] = true;
            h.rack.MeterData[s][RfA] = 150;
            h.rack.MeterData[s][RfB] = 140;
            h.rack.MeterData[s][AudioLevel] = 90;
            h.rack.MeterData[s][Voltage] = 170;
        }
    }
    // One answer of the next slot, 4 ms after the last (the shortest poll interval).
    void answer() {
        h.clock.sleepMicros(4000);
        h.core.monitor.MeterAnswered(slot, (slot - 1) % 8 + 1);
        slot = slot % kMaxSlots + 1;
    }

    test::RackHarness h;
    int slot = 1;
};

void BM_RecordMeterAnswer(benchmark::State& state) {
    WatchedRack rack;
    for (auto _ : state) {
        rack.answer();
    }
    benchmark::DoNotOptimize(rack.h.core.monitor.alerts().size());
}
BENCHMARK(BM_RecordMeterAnswer);

// Every receiver loses its transmitter for 2 s in every 20 s: an alert raised and ended, two
// log lines written, per receiver and 20 s.
void BM_RecordMeterAnswerWithDropouts(benchmark::State& state) {
    WatchedRack rack;
    std::int64_t answers = 0;
    for (auto _ : state) {
        const bool lost = (answers++ / kMaxSlots) % 125 >= 112;
        rack.h.rack.MeterData[rack.slot][RfA] = lost ? 0 : 150;
        rack.h.rack.MeterData[rack.slot][RfB] = lost ? 0 : 140;
        rack.answer();
    }
    state.counters["alerts"] = static_cast<double>(rack.h.core.monitor.alerts().size());
}
BENCHMARK(BM_RecordMeterAnswerWithDropouts);

} // namespace

BENCHMARK_MAIN();
