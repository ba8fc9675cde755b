// The monitor's cost per meter answer: what watching adds to each answer of a rack of 40
// receivers (battery, RF and audio rules, audio silence switched on, the answer recorded in the
// meter history), with steady readings, and with receivers that lose their transmitter now and
// then (alerts raised, ended and logged); the history's recording alone, and the memory the
// history takes for an hour of each rack size at its poll rate.
#include "link/Identification.h"
#include "support/RackHarness.h"

#include <benchmark/benchmark.h>

namespace {

using namespace k7;

struct WatchedRack {
    WatchedRack() {
        h.devices.DeviceCount = kMaxSlots;
        AlertSettings settings = h.core.monitor().settings();
        settings.audioSilentAfterMs = 30000;
        h.core.monitor().SetSettings(settings);
        for (int s = 1; s <= kMaxSlots; ++s) {
            h.rack.CurData[s] = {QStringLiteral("RX_%1").arg(s), QStringLiteral("606.600"),
                                 QStringLiteral("5"), QStringLiteral("0")};
            h.rack.VoltageKnown[s] = true;
            h.rack.MeterData[s][RfA] = 150;
            h.rack.MeterData[s][RfB] = 140;
            h.rack.MeterData[s][AudioLevel] = 90;
            h.rack.MeterData[s][Voltage] = 170;
        }
        h.core.monitor().history().Allocate(kMaxSlots, 4);
    }
    // One answer of the next slot, 4 ms after the last (the shortest poll interval).
    void answer() {
        h.clock.sleepMicros(4000);
        h.core.monitor().MeterAnswered(slot, (slot - 1) % 8 + 1);
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
    benchmark::DoNotOptimize(rack.h.core.monitor().alerts().size());
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
    state.counters["alerts"] = static_cast<double>(rack.h.core.monitor().alerts().size());
}
BENCHMARK(BM_RecordMeterAnswerWithDropouts);

// The history's own part of an answer: eight bytes into the slot's ring.
void BM_HistoryRecord(benchmark::State& state) {
    MeterHistory history;
    history.Allocate(kMaxSlots, 4);
    std::int64_t micros = 0;
    int slot = 1;
    for (auto _ : state) {
        micros += 4000;
        history.Record(slot, micros, 150, 140, static_cast<std::uint8_t>(micros >> 12), 5, false);
        slot = slot % kMaxSlots + 1;
    }
    benchmark::DoNotOptimize(history.size(1));
}
BENCHMARK(BM_HistoryRecord);

// The history's memory for an hour of n receivers at the poll interval identification gives
// them; the largest is reported, with the rack size it belongs to.
void BM_HistoryMemory(benchmark::State& state) {
    std::size_t largest = 0;
    int at = 0;
    for (auto _ : state) {
        for (int n = 1; n <= kMaxSlots; ++n) {
            const int layout = n <= 8 ? 1 : n <= 16 ? 2 : n <= 24 ? 3 : 0;
            MeterHistory history;
            history.Allocate(n, PollIntervalFor(layout, n));
            if (history.memoryBytes() > largest) {
                largest = history.memoryBytes();
                at = n;
            }
        }
    }
    state.counters["bytes"] = static_cast<double>(largest);
    state.counters["receivers"] = at;
}
BENCHMARK(BM_HistoryMemory)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
