// The cost of one meter redraw in each layout (the work a meter answer sets off) and of
// preparing the 24- and 40-slot panels. A redraw must stay well inside the shortest poll interval.
#include "BenchMain.h"
#include "DisplayRack.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

using k7::bench::LayoutFor;
using k7::bench::Rack;
using k7::test::PrepareLayout;

// One redraw a pass, the rack's slots in turn, in the layout of a full rack of `count`.
void Redraws(benchmark::State& state, int count, void (k7::MeterPanel::*display)(int, int)) {
    Rack r(LayoutFor(count), count);
    PrepareLayout(r.panel, LayoutFor(count));
    int tick = 0;
    for (auto _ : state) {
        const int slot = tick % count + 1;
        r.Vary(slot, tick++);
        (r.panel.*display)(slot, (slot - 1) % 8 + 1);
    }
}

void BM_Display8VU(benchmark::State& state) {
    Redraws(state, 8, &k7::MeterPanel::Display8VU);
}
BENCHMARK(BM_Display8VU)->Unit(benchmark::kMicrosecond);

void BM_Display16VU(benchmark::State& state) {
    Redraws(state, 16, &k7::MeterPanel::Display16VU);
}
BENCHMARK(BM_Display16VU)->Unit(benchmark::kMicrosecond);

void BM_Display24VU(benchmark::State& state) {
    Redraws(state, 24, &k7::MeterPanel::Display24VU);
}
BENCHMARK(BM_Display24VU)->Unit(benchmark::kMicrosecond);

void BM_Display40VU(benchmark::State& state) {
    Redraws(state, 40, &k7::MeterPanel::Display40VU);
}
BENCHMARK(BM_Display40VU)->Unit(benchmark::kMicrosecond);

// Preparing the whole panel of a full rack (argument: receivers in the rack).
void BM_PrepareCells(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Rack r(LayoutFor(count), count);
    for (auto _ : state) {
        PrepareLayout(r.panel, LayoutFor(count));
    }
}
BENCHMARK(BM_PrepareCells)->Arg(24)->Arg(40)->Unit(benchmark::kMicrosecond);

// What one meter answer costs end to end: ParseSerial storing it and redrawing the cell, in
// each layout (argument: receivers in the rack).
void BM_ParseSerialWithRedraw(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Rack r(LayoutFor(count), count);
    for (int device = 0; device < count; ++device) {
        r.devices.DeviceGroup[device] = device / 8;
        r.devices.DeviceGroupPos[device] = static_cast<std::uint8_t>(device % 8 + 1);
    }
    PrepareLayout(r.panel, LayoutFor(count));
    int tick = 0;
    for (auto _ : state) {
        const int device = tick % count;
        r.rig.link.RxBuffer = {'R',
                               0,
                               'D',
                               static_cast<std::uint8_t>(90 + tick % 80),
                               static_cast<std::uint8_t>(100 + (tick * 7) % 70),
                               0,
                               static_cast<std::uint8_t>(20 + (tick * 13) % 160),
                               150,
                               static_cast<std::uint8_t>((tick & 1) ? 0x80 : 0x00)};
        r.rig.engine.AnswerReceived(device);
        ++tick;
    }
}
BENCHMARK(BM_ParseSerialWithRedraw)
    ->Arg(8)
    ->Arg(16)
    ->Arg(24)
    ->Arg(40)
    ->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return k7::bench::RunWithApplication<QGuiApplication>(argc, argv);
}
