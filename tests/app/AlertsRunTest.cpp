// The program itself with alerts: the scenario's alerts in the trace at their times (log lines
// and cell frames: AlertRulesTest, StationWindowsTest); a killed run's log reads back whole.
#include "../monitor/CsvLines.h"
#include "StationProcess.h"

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QThread>

#include <gtest/gtest.h>

namespace k7::test {
namespace {

std::vector<QJsonObject> TraceOf(const QString& path, const QString& event) {
    std::vector<QJsonObject> out;
    for (const QString& line : FileLines(path)) {
        const QJsonObject object = QJsonDocument::fromJson(line.toUtf8()).object();
        if (object[QStringLiteral("event")].toString() == event) {
            out.push_back(object);
        }
    }
    return out;
}

// The one log file of the run's data folder.
QString DayLog(const QTemporaryDir& dir) {
    const QDir logs(dir.filePath(QStringLiteral("app/USB Files/Logs")));
    const QStringList files = logs.entryList({QStringLiteral("*.csv")}, QDir::Files);
    return files.size() == 1 ? logs.filePath(files.front()) : QString();
}

TEST(AlertsRun, TheScenariosAlertsShowInTheTraceAtTheirTimes) {
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("t.jsonl"));
    QProcess station;
    StartStation(station, dir,
                 {QStringLiteral("--simulate"),
                  QStringLiteral(K7_SOURCE_DIR "/tests/app/alerts-scenario.json"),
                  QStringLiteral("--run-for"), QStringLiteral("10"), QStringLiteral("--trace"),
                  trace});
    ASSERT_TRUE(station.waitForFinished(120000)) << "the run ends by itself";
    ASSERT_EQ(station.exitCode(), 0) << station.readAllStandardError().toStdString();

    // Trace: RF lost on slot 3 a second after 4 s (its set time) until 6 s; on slot 2 from 7 s,
    // raised a second later and ended by the stop.
    const auto alerts = TraceOf(trace, QStringLiteral("alert"));
    ASSERT_EQ(alerts.size(), 4u);
    const auto at = [](const QJsonObject& event, const char* key = "t") {
        return event[QLatin1String(key)].toDouble();
    };
    const auto is = [](const QJsonObject& event, int slot, const char* kind, const char* state) {
        return event[QStringLiteral("slot")].toInt() == slot &&
               event[QStringLiteral("kind")].toString() == QLatin1String(kind) &&
               event[QStringLiteral("state")].toString() == QLatin1String(state);
    };
    EXPECT_TRUE(is(alerts[0], 3, "rf-lost", "start"));
    EXPECT_NEAR(at(alerts[0], "since"), 4000 + 500, 500);
    EXPECT_NEAR(at(alerts[0]) - 1000, 4000 + 500, 500);
    EXPECT_TRUE(is(alerts[1], 3, "rf-lost", "end"));
    EXPECT_NEAR(at(alerts[1]), 6000 + 500, 500);
    EXPECT_TRUE(is(alerts[2], 2, "rf-lost", "start"));
    EXPECT_NEAR(at(alerts[2], "since"), 7000 + 500, 500);
    EXPECT_NEAR(at(alerts[2]) - 1000, 7000 + 500, 500);
    EXPECT_TRUE(is(alerts[3], 2, "rf-lost", "end"));
    const auto rack = TraceOf(trace, QStringLiteral("rack"));
    ASSERT_FALSE(rack.empty());
    EXPECT_EQ(rack.back()[QStringLiteral("kind")].toString(), QStringLiteral("stopped"));
    EXPECT_LT(at(rack.back()), at(TraceOf(trace, QStringLiteral("exit")).at(0)) + 1);
}

TEST(AlertsRun, AStationKilledMidRunLeavesALogThatReadsBackWhole) {
    // Receiver 1 loses its transmitter for 1.2 s every 1.5 s: two log lines every 1.5 s.
    QJsonArray levels;
    for (int t = 3000; t < 120000; t += 1500) {
        levels.append(QJsonObject{{"atMs", t}, {"rf", QJsonArray{0, 0}}});
        levels.append(QJsonObject{{"atMs", t + 1200}, {"rf", QJsonArray{200, 250}}});
    }
    const QJsonObject scenario{{"receivers", QJsonArray{QJsonObject{{"serial", "5K000101"},
                                                                    {"mute", 1},
                                                                    {"rf", QJsonArray{200, 250}},
                                                                    {"levels", levels}}}}};
    QTemporaryDir dir;
    const QString rack = dir.filePath(QStringLiteral("rack.json"));
    QFile file(rack);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QJsonDocument(scenario).toJson());
    file.close();

    const auto runUntilLines = [&](int lines) {
        QProcess station;
        StartStation(station, dir, {QStringLiteral("--simulate"), rack});
        QElapsedTimer waited;
        waited.start();
        const auto logged = [&dir] {
            const QString path = DayLog(dir);
            return path.isEmpty() ? 0 : CsvRows(path).size();
        };
        while (waited.elapsed() < 60000 && logged() < std::size_t(lines)) {
            QThread::msleep(20);
        }
        station.kill(); // no orderly stop: the process ends where it is
        station.waitForFinished();
    };
    runUntilLines(9);
    const auto firstRun = CsvRows(DayLog(dir));
    ASSERT_GE(firstRun.size(), 9u);
    runUntilLines(static_cast<int>(firstRun.size()) + 6);

    QFile log(DayLog(dir));
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QByteArray bytes = log.readAll();
    const QByteArray whole = bytes.left(bytes.lastIndexOf('\n') + 1);
    int headers = 0;
    int lines = 0;
    for (const QByteArray& line : whole.split('\n')) {
        if (line.isEmpty()) {
            continue;
        }
        ++lines;
        ASSERT_TRUE(line.endsWith('\r')) << line.toStdString();
        const QStringList fields = SplitCsvLine(QString::fromUtf8(line.chopped(1)));
        if (fields.front() == QLatin1String("time")) {
            ++headers;
            continue;
        }
        ASSERT_EQ(fields.size(), 5) << line.toStdString();
        EXPECT_TRUE(
            QDateTime::fromString(fields[0], QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).isValid())
            << line.toStdString();
        EXPECT_FALSE(fields[3].isEmpty());
    }
    EXPECT_EQ(headers, 1) << "the second run appended to the same file";
    EXPECT_GE(lines, static_cast<int>(firstRun.size()) + 6);
}

} // namespace
} // namespace k7::test
