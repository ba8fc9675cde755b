// crew_bench [seconds] [runs] [viewers...]: what serving the crew view costs, on the station
// itself (run as a child process on 40 simulated receivers, offscreen, crew view on loopback)
// with this program's WebSocket viewers: the station's processor share over a window of
// SECONDS (default 60) with no viewer and with each count of viewers (default 0 and 20),
// messages per viewer per second, and the time from a receiver's answer to a viewer having it
// (p50, p99; the answer's time is the station's clock origin plus the slot's "at"). Each count
// runs RUNS times (default 3); the medians follow. By hand; it needs build/bin/k7station.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QWebSocket>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

struct Result {
    double cpuPercent = 0;
    double messagesPerViewerSecond = 0;
    double p50 = 0;
    double p99 = 0;
};

void Spin(int ms) {
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

// User and system time of the process, in clock ticks.
long long CpuTicks(qint64 pid) {
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly)) {
        return -1;
    }
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    return fields.value(11).toLongLong() + fields.value(12).toLongLong();
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) {
        return 0;
    }
    std::sort(values.begin(), values.end());
    return values[static_cast<std::size_t>(p * static_cast<double>(values.size() - 1))];
}

struct Viewer {
    explicit Viewer(const QUrl& url, std::vector<double>& latencies) {
        QObject::connect(
            &socket, &QWebSocket::textMessageReceived, [this, &latencies](const QString& text) {
                const double now = static_cast<double>(QDateTime::currentMSecsSinceEpoch());
                const QJsonObject m = QJsonDocument::fromJson(text.toUtf8()).object();
                const QString type = m.value(QStringLiteral("type")).toString();
                if (type == QStringLiteral("snapshot")) {
                    origin = m.value(QStringLiteral("clockOrigin")).toDouble();
                    return;
                }
                ++messages;
                if (!counting) {
                    return;
                }
                for (const QJsonValue& slot : m.value(QStringLiteral("slots")).toArray()) {
                    const double at = slot.toObject().value(QStringLiteral("at")).toDouble();
                    if (at > 0) {
                        latencies.push_back(now - (origin + at));
                    }
                }
            });
        socket.open(url);
    }
    QWebSocket socket;
    double origin = 0;
    long long messages = 0;
    bool counting = false;
};

Result Run(const QString& station, int viewers, int seconds) {
    QTemporaryDir dir;
    QDir().mkpath(dir.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir.filePath(QStringLiteral("run")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
    env.insert(QStringLiteral("XDG_DATA_HOME"), dir.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(env);
    process.start(station, {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                            QStringLiteral("--simulate"), QStringLiteral("40"),
                            QStringLiteral("--crew-view"), QStringLiteral("0"),
                            QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app")),
                            QStringLiteral("--run-for"), QString::number(seconds + 40)});
    QString url;
    QElapsedTimer wait;
    wait.start();
    while (url.isEmpty() && wait.elapsed() < 20000) {
        process.waitForReadyRead(200);
        const QString line = QString::fromUtf8(process.readAllStandardOutput());
        const qsizetype at = line.indexOf(QStringLiteral("Crew view: "));
        if (at >= 0) {
            url = line.mid(at + 11).trimmed();
        }
    }
    Result result;
    if (url.isEmpty()) {
        std::fprintf(stderr, "crew_bench: the station printed no crew view address\n");
        return result;
    }
    // Discovery of forty receivers first: the window measures metering only.
    Spin(15000);
    QUrl ws(url);
    ws.setScheme(QStringLiteral("ws"));
    ws.setPath(QStringLiteral("/ws"));
    std::vector<double> latencies;
    std::vector<std::unique_ptr<Viewer>> clients;
    for (int i = 0; i < viewers; ++i) {
        clients.push_back(std::make_unique<Viewer>(ws, latencies));
    }
    Spin(2000);
    for (auto& client : clients) {
        client->messages = 0;
        client->counting = true;
    }
    const long long before = CpuTicks(process.processId());
    QElapsedTimer window;
    window.start();
    Spin(seconds * 1000);
    const long long after = CpuTicks(process.processId());
    const double wall = static_cast<double>(window.elapsed()) / 1000.0;
    result.cpuPercent = 100.0 * static_cast<double>(after - before) /
                        static_cast<double>(sysconf(_SC_CLK_TCK)) / wall;
    long long messages = 0;
    for (auto& client : clients) {
        messages += client->messages;
    }
    result.messagesPerViewerSecond = viewers ? static_cast<double>(messages) / viewers / wall : 0;
    result.p50 = Percentile(latencies, 0.50);
    result.p99 = Percentile(latencies, 0.99);
    clients.clear();
    process.kill();
    process.waitForFinished(5000);
    return result;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const int seconds = args.size() > 1 ? args[1].toInt() : 60;
    const int runs = args.size() > 2 ? args[2].toInt() : 3;
    std::vector<int> counts;
    for (qsizetype i = 3; i < args.size(); ++i) {
        counts.push_back(args[i].toInt());
    }
    if (counts.empty()) {
        counts = {0, 20};
    }
    const QString station = QCoreApplication::applicationDirPath() + QStringLiteral("/k7station");
    std::printf("40 simulated receivers, %d s windows, %d runs each\n", seconds, runs);
    std::printf("%8s %4s %10s %14s %9s %9s\n", "viewers", "run", "cpu %", "msgs/viewer/s", "p50 ms",
                "p99 ms");
    for (int count : counts) {
        std::vector<double> cpu, rate, p50, p99;
        for (int run = 1; run <= runs; ++run) {
            const Result r = Run(station, count, seconds);
            std::printf("%8d %4d %10.2f %14.2f %9.1f %9.1f\n", count, run, r.cpuPercent,
                        r.messagesPerViewerSecond, r.p50, r.p99);
            std::fflush(stdout);
            cpu.push_back(r.cpuPercent);
            rate.push_back(r.messagesPerViewerSecond);
            p50.push_back(r.p50);
            p99.push_back(r.p99);
        }
        std::printf("%8d %4s %10.2f %14.2f %9.1f %9.1f\n", count, "med", Median(cpu), Median(rate),
                    Median(p50), Median(p99));
        std::fflush(stdout);
    }
    return 0;
}
