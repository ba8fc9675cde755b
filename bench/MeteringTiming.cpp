// Runs the station's core without windows on the program's own timers (QTimer, the event
// loop, the monotonic clock) over a simulated rack of 24 receivers until it has metered for
// 10 s with the wire log on, then reads the log back and reports the interval between meter
// queries (the poll tick) and between two queries of one receiver: mean and 99th percentile.
//   MeteringTiming [seconds] [wire log path]
#include "app/StationCore.h"
#include "link/WireLog.h"
#include "platform/EventPump.h"
#include "platform/MonotonicClock.h"
#include "platform/QtTimerFactory.h"
#include "platform/SettingsStore.h"
#include "sim/SimulatedRack.h"
#include "support/RackDoubles.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <vector>

namespace {

using namespace k7;

struct Summary {
    double mean = 0;
    double p99 = 0;
    double max = 0;
    std::size_t count = 0;
};

Summary summarise(std::vector<double> values) {
    Summary s;
    if (values.empty()) {
        return s;
    }
    s.count = values.size();
    s.mean = std::accumulate(values.begin(), values.end(), 0.0) / static_cast<double>(s.count);
    std::sort(values.begin(), values.end());
    const auto rank = static_cast<std::size_t>(0.99 * static_cast<double>(s.count - 1) + 0.5);
    s.p99 = values[std::min(rank, s.count - 1)];
    s.max = values.back();
    return s;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const double seconds = argc > 1 ? std::max(1.0, QString(argv[1]).toDouble()) : 10.0;
    QTemporaryDir folder;
    const QString logPath = argc > 2 ? QString(argv[2]) : folder.filePath("wire.log");

    MonotonicClock clock;
    QtTimerFactory factory;
    QtEventPump pump;
    sim::SimulatedRack simRack(sim::Scenario::simulated(24, 11), clock);
    WireLog wire(simRack, clock);
    if (!wire.open(logPath)) {
        std::fprintf(stderr, "The wire log %s cannot be written: %s\n", qPrintable(logPath),
                     qPrintable(wire.errorString()));
        return 1;
    }
    test::ScriptedPrompter prompter;
    test::RecordingMeterDisplay display;
    test::RecordingStartupDialog dialog;
    test::RecordingShell shell;
    QtSettingsStore settings(folder.filePath("settings.ini"));
    QDir().mkpath(folder.filePath("USB Files")); // the receivers' snapshot goes there
    StationCore core(CorePorts{factory, pump, prompter, settings, wire, dialog, shell, clock},
                     CoreOptions{folder.filePath("USB Files"), {}, {}});
    core.AttachDisplay(display);
    const DeviceTables& devices = core.devices();
    const TimerBank& timers = core.timers();
    RackEngine& engine = core.engine();

    if (core.identification().ConnectUSB() != 24) {
        std::fprintf(stderr, "The simulated rack was not found as 24 receivers\n");
        return 1;
    }
    engine.InitialiseRackTables();
    engine.CreateTimers();
    engine.StartDiscovery();

    std::int64_t meteringSince = -1;
    QTimer watch;
    watch.setTimerType(Qt::CoarseTimer);
    QObject::connect(&watch, &QTimer::timeout, [&] {
        display.draws.clear();
        if (engine.Activity() == RackActivity::Closing) {
            app.exit(2);
        } else if (meteringSince < 0 && engine.Activity() == RackActivity::Monitoring &&
                   timers.enabled(PollTimer)) {
            meteringSince = clock.nowMicros();
        } else if (meteringSince >= 0 &&
                   clock.nowMicros() - meteringSince >= static_cast<std::int64_t>(seconds * 1e6)) {
            app.exit(0);
        }
    });
    watch.start(20);
    const int result = app.exec();
    engine.ReleaseTimers();
    if (result != 0) {
        std::fprintf(stderr, "The rack stopped before metering %.0f s\n", seconds);
        return 1;
    }

    QFile log(logPath);
    if (!log.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "The wire log %s cannot be read back\n", qPrintable(logPath));
        return 1;
    }
    std::vector<double> ticks;
    std::vector<double> perReceiver;
    std::map<QByteArray, double> lastOf;
    double last = -1;
    while (!log.atEnd()) {
        const QList<QByteArray> f = log.readLine().trimmed().split(' ');
        // <ms> <device> TX <status> 52 00 44: a meter query
        if (f.size() != 7 || f[2] != "TX" || f[4] != "52" || f[5] != "00" || f[6] != "44") {
            continue;
        }
        const double ms = f[0].toDouble();
        if (last >= 0) {
            ticks.push_back(ms - last);
        }
        last = ms;
        if (const auto it = lastOf.find(f[1]); it != lastOf.end()) {
            perReceiver.push_back(ms - it->second);
        }
        lastOf[f[1]] = ms;
    }
    const Summary tick = summarise(ticks);
    const Summary cycle = summarise(perReceiver);
    std::printf("metered %.1f s on 24 simulated receivers, poll interval %d ms\n", seconds,
                devices.PollInterval);
    std::printf("between meter queries:        n=%zu mean=%.4f ms p99=%.3f ms max=%.3f ms\n",
                tick.count, tick.mean, tick.p99, tick.max);
    std::printf("between queries of a receiver: n=%zu mean=%.4f ms p99=%.3f ms max=%.3f ms\n",
                cycle.count, cycle.mean, cycle.p99, cycle.max);
    const bool met = std::abs(tick.mean - devices.PollInterval) <= 0.1 && tick.p99 < 5.0;
    std::printf("target (mean within 0.1 ms of %d ms, p99 under 5 ms): %s\n", devices.PollInterval,
                met ? "met" : "missed");
    return 0;
}
