// What an answer costs with the meter window showing it: a stream of answers over a full rack,
// one every 4 ms of a manual clock, each redrawn at once and the window repainted at the screen's
// pace, with the pending window messages let run after each answer as the polling tick does. The
// window sits below a menu bar's height in its own window, on the offscreen platform, at the
// panel's own size (argument: receivers in the rack) or at twice its size.
#include "BenchMain.h"
#include "DisplayRack.h"
#include "display/MeterPanelWidget.h"

#include <QApplication>
#include <QTest>

#include <benchmark/benchmark.h>

namespace {

using k7::bench::LayoutFor;
using k7::bench::Rack;
using k7::test::DisplayInLayout;
using k7::test::PrepareLayout;

void AnswersShown(benchmark::State& state, int scale) {
    const int count = static_cast<int>(state.range(0));
    const int layout = LayoutFor(count);
    Rack r(layout, count);
    QWidget window;
    window.resize(800 * scale, 700 * scale + 19);
    k7::MeterPanelWidget shown(r.panel, r.rig.core.settings(), r.devices, r.rig.clock, r.rig.clock,
                               &window);
    shown.setGeometry(0, 19, 800 * scale, 700 * scale);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        state.SkipWithError("the window was not shown");
        return;
    }
    PrepareLayout(r.panel, layout);
    QApplication::processEvents();
    int tick = 0;
    for (auto _ : state) {
        const int slot = tick % count + 1;
        r.Vary(slot, tick++);
        DisplayInLayout(r.panel, layout, slot, (slot - 1) % 8 + 1);
        QApplication::processEvents();
        r.rig.clock.advanceMs(4);
    }
}

void BM_AnswersShown(benchmark::State& state) {
    AnswersShown(state, 1);
}
BENCHMARK(BM_AnswersShown)->Arg(8)->Arg(24)->Arg(40)->Unit(benchmark::kMicrosecond);

void BM_AnswersShownTwiceTheSize(benchmark::State& state) {
    AnswersShown(state, 2);
}
BENCHMARK(BM_AnswersShownTwiceTheSize)->Arg(24)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    return k7::bench::RunWithApplication<QApplication>(argc, argv);
}
