// The program itself, unattended: a run of 8 simulated receivers that ends in order, refused
// command lines, every answer without a display, and a file-size limit that metering survives.
#include "StationProcess.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>

namespace {

using k7::test::FileLines;
using k7::test::StartStation;

TEST(HeadlessRun, EightSimulatedReceiversForSixSecondsEndInOrder) {
    QTemporaryDir dir;
    // The trace and the wire log inside the application folder, which does not exist yet.
    const QString trace = dir.filePath(QStringLiteral("app/t.jsonl"));
    const QString wire = dir.filePath(QStringLiteral("app/w.log"));
    QProcess station;
    StartStation(station, dir,
                 {QStringLiteral("--simulate"), QStringLiteral("8"), QStringLiteral("--run-for"),
                  QStringLiteral("6"), QStringLiteral("--trace"), trace,
                  QStringLiteral("--wire-log"), wire});
    ASSERT_TRUE(station.waitForFinished(60000)) << "the run ends by itself";
    EXPECT_EQ(station.exitStatus(), QProcess::NormalExit);
    const QByteArray err = station.readAllStandardError();
    EXPECT_EQ(station.exitCode(), 0) << err.toStdString();
    // The offscreen platform is not asked for size hints it cannot keep.
    EXPECT_FALSE(err.contains("propagateSizeHints")) << err.toStdString();

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
    // every device, then every device closed (their bytes: the recorded wire logs).
    const QStringList lines = FileLines(wire);
    ASSERT_FALSE(lines.isEmpty());
    qsizetype tail = lines.size();
    while (tail > 0 && !lines[tail - 1].contains(QStringLiteral(" TX ")) &&
           !lines[tail - 1].contains(QStringLiteral(" RX "))) {
        --tail;
    }
    QStringList events;
    for (qsizetype i = tail; i < lines.size(); ++i) {
        events << lines[i].section(QLatin1Char(' '), 2, 2);
    }
    EXPECT_EQ(events.count(QStringLiteral("CONFIG")), 2 * 8) << events.join(' ').toStdString();
    EXPECT_EQ(events.count(QStringLiteral("DRAIN")), 8);
    EXPECT_EQ(events.count(QStringLiteral("CLOSE")), 8);
    EXPECT_EQ(events.size(), 4 * 8);
    EXPECT_EQ(events.indexOf(QStringLiteral("DRAIN")), 2 * 8) << "the slow settings first";
    EXPECT_EQ(events.indexOf(QStringLiteral("CLOSE")), 3 * 8) << "then the drain";
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

// The command line is read before any window system is touched: with no display at all (no
// DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM, no -platform) a wrong line ends with its message
// and code 2, --help, --help-all, --version and --coordinate answer, and a run that needs the
// windows says that there is no display.
TEST(CommandLine, EveryAnswerComesWithoutADisplay) {
    const struct {
        const char* line;
        int code;
        const char* says; // on standard output for code 0, else on standard error
        const char* lacks;
    } cases[] = {
        {"--bogus", 2, "k7station: Unknown option 'bogus'. (see --help)", ""},
        {"--simulate 41", 2, "--simulate N takes 1 to 40", ""},
        {"-platform offscreen --bogus", 2, "Unknown option 'bogus'", ""},
        {"--help", 0, "--simulate <FILE|N>", "-platform"},
        {"--help-all", 0, "-platform <name[:options]>", ""},
        {"--version", 0, "k7station 1.", ""},
        {"--coordinate 36 3 --iterations 100", 0, "name,frequency,mute\nC01,", ""},
        {"--coordinate=34", 2, "k7station: --coordinate takes", ""},
        {"--simulate 2 --run-for 1", 2, "k7station: no display to show the station on", ""},
    };
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        env.remove(QLatin1String(name));
    }
    for (const auto& c : cases) {
        QProcess station;
        station.setProcessEnvironment(env);
        station.start(QStringLiteral(K7STATION_PATH), QString::fromLatin1(c.line).split(' '));
        ASSERT_TRUE(station.waitForFinished(30000)) << c.line;
        EXPECT_EQ(station.exitStatus(), QProcess::NormalExit) << c.line;
        EXPECT_EQ(station.exitCode(), c.code) << c.line;
        const QByteArray text =
            c.code == 0 ? station.readAllStandardOutput() : station.readAllStandardError();
        EXPECT_TRUE(text.contains(c.says)) << c.line << ": " << text.toStdString();
        EXPECT_TRUE(*c.lacks == 0 || !text.contains(c.lacks)) << c.line << " names " << c.lacks;
    }
}

// A file-size limit (SIGXFSZ where it is not ignored) is a write that fails, not the end of the
// station: the event log's line that would cross it is not written at all, the operator is told
// once, and metering goes on to the orderly stop.
TEST(HeadlessRun, AFileSizeLimitFailsTheWriteAndMeteringGoesOn) {
    QTemporaryDir dir;
    constexpr qint64 kLimit = 1024 * 1024;
    const QString logs = dir.filePath(QStringLiteral("app/USB Files/Logs"));
    ASSERT_TRUE(QDir().mkpath(logs));
    QByteArray day = "time,slot,receiver,event,detail\r\n";
    while (day.size() < kLimit - 20) {
        day += "2024-05-03 20:00:00.000,,,stopped,\r\n";
    }
    const QString logFile = logs + QDate::currentDate().toString(QStringLiteral("/yyyy-MM-dd")) +
                            QStringLiteral(".csv");
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(day) == day.size());
    file.close();
    const QString trace = dir.filePath(QStringLiteral("t.jsonl"));
    QProcess station;
    station.setChildProcessModifier([] {
        const rlimit limit{kLimit, kLimit};
        setrlimit(RLIMIT_FSIZE, &limit);
    });
    k7::test::StartStation(station, dir,
                           {QStringLiteral("--simulate"), QStringLiteral("2"),
                            QStringLiteral("--run-for"), QStringLiteral("4"),
                            QStringLiteral("--trace"), trace});
    ASSERT_TRUE(station.waitForFinished(60000));
    ASSERT_EQ(station.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(station.exitCode(), 0) << station.readAllStandardError().toStdString();

    int told = 0;
    bool stopped = false;
    for (const QString& line : FileLines(trace)) {
        const QJsonObject event = QJsonDocument::fromJson(line.toUtf8()).object();
        told += event[QStringLiteral("title")].toString() == QLatin1String("Event log");
        stopped |= event[QStringLiteral("kind")].toString() == QLatin1String("stopped");
    }
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(stopped) << "metered to the orderly stop";
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == day) << "no part of a line past the limit";
}

} // namespace
