// What one frame of the History window costs while 40 receivers record: an hour of answers in
// the history (40 receivers, one answer every 4 ms), then per frame the shown receiver's next
// answer and the timeline drawn anew, at 1, 5 and 60 minutes shown. The same with the timeline
// drawn by Qt Charts (when the build found it), fed as a live chart is fed. And the export of
// that hour to CSV at each resolution: its time and the file's size.
#include "BenchMain.h"
#include "monitor/HistoryExport.h"
#include "monitor/HistoryTimeline.h"
#include "monitor/HistoryView.h"
#include "platform/ActionLog.h"
#include "platform/Clock.h"
#include "platform/QtTimerFactory.h"
#ifdef K7_BENCH_CHARTS
#include "ChartsTimeline.h"
#endif

#include <QApplication>
#include <QFileInfo>
#include <QImage>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

using namespace k7;

constexpr int kReceivers = 40;
constexpr std::int64_t kTickMicros = 4000;
const QSize kSize(960, 480);

class FakeClock final : public Clock {
public:
    std::int64_t nowMicros() const override { return now; }
    void sleepMicros(std::int64_t micros) override { now += micros; }
    std::int64_t now = 0;
};

// An hour of a rack of 40 at its poll rate, with levels that wander and a dropout now and then.
struct FilledHistory {
    FilledHistory() {
        history.Allocate(kReceivers, 4);
        while (clock.now < MeterHistory::kSpanMicros) {
            answer();
        }
        for (std::int64_t t = 60'000'000; t < clock.now; t += 600'000'000) {
            history.MarkStarted(1, AlertKind::RfLost, t);
            history.MarkEnded(1, AlertKind::RfLost, t + 4'000'000);
        }
    }
    void answer() {
        clock.now += kTickMicros;
        const auto level = [this](int base) {
            return static_cast<std::uint8_t>(base + random.bounded(40));
        };
        history.Record(slot, clock.now, level(120), level(110), level(40), 5, false);
        slot = slot % kReceivers + 1;
    }
    // The shown receiver's next answer: a whole round of the rack.
    void round() {
        for (int i = 0; i < kReceivers; ++i) {
            answer();
        }
    }

    FakeClock clock;
    MeterHistory history;
    QRandomGenerator random{7};
    int slot = 1;
};

FilledHistory& Filled() {
    static FilledHistory filled;
    return filled;
}

void BM_PainterFrame(benchmark::State& state) {
    FilledHistory& filled = Filled();
    HistoryView view(filled.history, filled.clock);
    view.SetZoom(static_cast<int>(state.range(0)));
    HistoryTimeline timeline(view, [] { return QDateTime(QDate(2024, 5, 3), QTime(19, 0)); });
    timeline.resize(kSize);
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        filled.round();
        timeline.render(&image);
    }
    state.counters["answers_shown"] = static_cast<double>(view.Compose(kSize.width()).answers);
}
BENCHMARK(BM_PainterFrame)->Arg(1)->Arg(3)->Arg(7)->Unit(benchmark::kMillisecond);

#ifdef K7_BENCH_CHARTS
void BM_ChartsFrame(benchmark::State& state) {
    FilledHistory& filled = Filled();
    bench::ChartsTimeline chart(filled.history, 1,
                                HistoryView::kSpans[static_cast<std::size_t>(state.range(0))]);
    chart.resize(kSize);
    chart.load();
    QImage image(kSize, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        filled.round();
        chart.QWidget::render(&image);
    }
    state.counters["answers_shown"] = static_cast<double>(chart.points());
}
BENCHMARK(BM_ChartsFrame)->Arg(1)->Arg(3)->Arg(7)->Unit(benchmark::kMillisecond);
#endif

class NoLog final : public ActionLog {
public:
    void Action(int, const QString&, const QString&, const QString&) override {}
};

// Arg: the resolution (0: 1 s, 1: 100 ms, 2: every answer).
void BM_ExportHour(benchmark::State& state) {
    FilledHistory& filled = Filled();
    QTemporaryDir dir;
    QtTimerFactory timers;
    NoLog log;
    HistoryExport exporter({filled.history, [] { return kReceivers; },
                            [](int slot) { return QStringLiteral("RX_%1").arg(slot); },
                            [] { return QDateTime(QDate(2024, 5, 3), QTime(19, 0)); }, timers, log,
                            dir.path()});
    const auto resolution = static_cast<ExportResolution>(state.range(0));
    const QString path = exporter.CheckName(QStringLiteral("hour")).path;
    const std::int64_t to = filled.clock.now;
    const std::int64_t from = to - MeterHistory::kSpanMicros;
    for (auto _ : state) {
        exporter.Start(path, from, to, resolution);
        exporter.Finish();
    }
    state.counters["MB"] = static_cast<double>(QFileInfo(path).size()) / 1e6;
    state.counters["estimate_MB"] =
        static_cast<double>(exporter.EstimateBytes(from, to, resolution)) / 1e6;
    state.counters["rows"] = static_cast<double>(exporter.progress().rows);
}
BENCHMARK(BM_ExportHour)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    return k7::bench::RunWithApplication<QApplication>(argc, argv);
}
