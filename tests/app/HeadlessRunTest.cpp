// The program itself, unattended on the offscreen platform over a simulated rack of 8: it ends
// by itself with exit code 0; its trace shows discovery, the pass and monitoring in that order
// and the caption ending "Using: Receiver Data"; its wire log ends with the slow settings, the
// drain and every device closed; its settings are where the station keeps them. And a --run-for
// it cannot honour is refused at once with exit code 2.
#include "StationProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>
#include <vector>

namespace {

using k7::test::FileLines;
using k7::test::StartStation;

TEST(HeadlessRun, EightSimulatedReceiversForSixSecondsEndInOrder) {
    QTemporaryDir dir;
    const QString trace = dir.filePath(QStringLiteral("t.jsonl"));
    const QString wire = dir.filePath(QStringLiteral("w.log"));
    QProcess station;
    StartStation(station, dir,
                 {QStringLiteral("--simulate"), QStringLiteral("8"), QStringLiteral("--run-for"),
                  QStringLiteral("6"), QStringLiteral("--trace"), trace,
                  QStringLiteral("--wire-log"), wire});
    ASSERT_TRUE(station.waitForFinished(60000)) << "the run ends by itself";
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0) << station.readAllStandardError().toStdString();

    // Trace: discovery (timer 0 at 120 ms), the pass (timer 3), monitoring (timer 0 at the
    // poll interval), in that order; the last caption; the exit.
    int discovery = -1, pass = -1, monitoring = -1, index = 0;
    QString caption;
    QJsonObject last;
    for (const QString& line : FileLines(trace)) {
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
        ASSERT_FALSE(event.isEmpty()) << line.toStdString();
        ASSERT_TRUE(event.contains(QStringLiteral("t")));
        const QString kind = event[QStringLiteral("event")].toString();
        if (kind == QLatin1String("timer") && event[QStringLiteral("enabled")].toBool()) {
            const int tag = event[QStringLiteral("tag")].toInt(-1);
            const int interval = event[QStringLiteral("interval")].toInt();
            if (tag == 0 && interval == 120 && discovery < 0) {
                discovery = index;
            } else if (tag == 3 && discovery >= 0 && pass < 0) {
                pass = index;
            } else if (tag == 0 && interval < 120 && pass >= 0 && monitoring < 0) {
                monitoring = index;
            }
        } else if (kind == QLatin1String("title")) {
            caption = event[QStringLiteral("text")].toString();
        }
        last = event;
        ++index;
    }
    EXPECT_GE(discovery, 0);
    EXPECT_GT(pass, discovery);
    EXPECT_GT(monitoring, pass);
    EXPECT_TRUE(caption.endsWith(QStringLiteral("Using: Receiver Data"))) << caption.toStdString();
    EXPECT_EQ(last[QStringLiteral("event")].toString(), QStringLiteral("exit"));
    EXPECT_EQ(last[QStringLiteral("code")].toInt(-1), 0);

    // The settings file of the station's name, where a first start stores "LoadFile".
    const QSettings settings(dir.filePath(QStringLiteral("config/Veltora/K7 Series.conf")),
                             QSettings::IniFormat);
    EXPECT_EQ(settings.value(QStringLiteral("Settings/LoadFile")).toString(),
              QStringLiteral("False"));

    // Wire log: after the last query come the slow settings of every device, the drain of
    // every device, then every device closed, and nothing else.
    const QStringList lines = FileLines(wire);
    ASSERT_FALSE(lines.isEmpty());
    qsizetype tail = lines.size();
    while (tail > 0 && !lines[tail - 1].contains(QStringLiteral(" TX ")) &&
           !lines[tail - 1].contains(QStringLiteral(" RX "))) {
        --tail;
    }
    std::vector<QString> events;
    std::set<QString> slow, drained, closed;
    const QRegularExpression shape(QStringLiteral(R"(^\d+\.\d{3} (\d+|-) ([A-Z]+) (\d+)(.*)$)"));
    for (qsizetype i = tail; i < lines.size(); ++i) {
        const auto match = shape.match(lines[i]);
        ASSERT_TRUE(match.hasMatch()) << lines[i].toStdString();
        const QString device = match.captured(1);
        const QString event = match.captured(2);
        if (events.empty() || events.back() != event) {
            events.push_back(event);
        }
        if (event == QLatin1String("CONFIG")) {
            slow.insert(device + match.captured(4));
        } else if (event == QLatin1String("DRAIN")) {
            drained.insert(device);
        } else if (event == QLatin1String("CLOSE")) {
            closed.insert(device);
        }
    }
    EXPECT_EQ(events, (std::vector<QString>{"CONFIG", "DRAIN", "CLOSE"}));
    for (int device = 0; device < 8; ++device) {
        const QString d = QString::number(device);
        EXPECT_TRUE(slow.count(d + QStringLiteral(" timeouts 500 500"))) << device;
        EXPECT_TRUE(slow.count(d + QStringLiteral(" latency 100"))) << device;
        EXPECT_TRUE(drained.count(d)) << device;
        EXPECT_TRUE(closed.count(d)) << device;
    }
}

TEST(HeadlessRun, ARunForTheStopTimerCannotHoldIsRefusedWithExitCode2) {
    QTemporaryDir dir;
    QProcess station;
    StartStation(station, dir,
                 {QStringLiteral("--simulate"), QStringLiteral("1"), QStringLiteral("--run-for"),
                  QStringLiteral("nan")});
    ASSERT_TRUE(station.waitForFinished(10000));
    EXPECT_EQ(station.exitCode(), 2);
    EXPECT_TRUE(station.readAllStandardError().contains("--run-for takes a number of seconds"));
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("app"))).exists()) << "nothing was started";
}

} // namespace
