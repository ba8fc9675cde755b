// The cost of one meter redraw in each layout (the work a meter answer sets off) and of
// preparing the 24- and 40-slot panels. A redraw must stay well inside the shortest poll interval.
#include "display/MeterPanel.h"
#include "support/RackHarness.h"

#include <QGuiApplication>

#include <benchmark/benchmark.h>

namespace {

// The meter panel over the tables of the station's core (a rack of no receivers, set up here),
// attached to the core as the program attaches it.
struct Rack {
    explicit Rack(int layout, int count) {
        rig.engine.RemoveObserver(rig.events); // nothing recorded: the redraw alone
        rig.core.AttachDisplay(panel);
        devices.RackLayout = layout;
        devices.DeviceCount = count;
        devices.ModelVariant = k7::ModelK75;
        panel.BuildScaling();
        panel.InitGraphics(QStringLiteral(K7_ASSET_DIR), QSize(800, 700));
        int pastes = 0;
        panel.setPasteListener([pastes](const QRect&) mutable { ++pastes; });
        for (int slot = 1; slot <= count; ++slot) {
            rack.CurData[slot] = {QStringLiteral("VOX_%1").arg(slot), QStringLiteral("606.600"),
                                  QStringLiteral("4"), QStringLiteral("0")};
            rack.VoltageKnown[slot] = true;
            rack.MeterData[slot][k7::Voltage] = 150;
        }
        panel.ResetPeaks();
    }
    // A meter answer's values changing from one poll to the next, as a live signal does.
    void Vary(int slot, int tick) {
        auto& m = rack.MeterData[slot];
        m[k7::RfA] = static_cast<std::uint8_t>(90 + tick % 80);
        m[k7::RfB] = static_cast<std::uint8_t>(100 + (tick * 7) % 70);
        m[k7::AudioLevel] = static_cast<std::uint8_t>(20 + (tick * 13) % 160);
        rack.LastAntenna = static_cast<std::uint8_t>(tick & 1);
    }
    k7::test::RackHarness rig;
    k7::RackTables& rack = rig.rack;
    k7::DeviceTables& devices = rig.devices;
    k7::MeterPanel panel{rack, devices, rig.prompter};
};

// The layout of a rack of `count` receivers, as identification picks it.
int LayoutFor(int count) {
    return count <= 8 ? 1 : count <= 16 ? 2 : count <= 24 ? 3 : 0;
}

void Prepare(k7::MeterPanel& panel, int layout) {
    switch (layout) {
    case 1:
        panel.PrepareCells8();
        break;
    case 2:
        panel.PrepareCells16();
        break;
    case 3:
        panel.PrepareCells24();
        break;
    default:
        panel.PrepareCells40();
        break;
    }
}

// One redraw a pass, the rack's slots in turn, in the layout of a full rack of `count`.
void Redraws(benchmark::State& state, int count, void (k7::MeterPanel::*display)(int, int)) {
    Rack r(LayoutFor(count), count);
    Prepare(r.panel, LayoutFor(count));
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
        Prepare(r.panel, LayoutFor(count));
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
    Prepare(r.panel, LayoutFor(count));
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
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
