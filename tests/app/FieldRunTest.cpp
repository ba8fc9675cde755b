// The program itself as a field engineer runs it: --run-for values it cannot honour are refused
// at once with exit code 2; the command line answers without any display; a demonstration rack
// of three started with a stale "LastSet" and no data folder resets it to Default.frq without a
// "does not exist" box, creates timer 0 at the poll interval, and identifies receivers that
// report the mute byte's high bit, its trace asked for inside the application folder it makes;
// a file-size limit makes the event log's write fail whole while metering goes on.
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

struct Outcome {
    int exitCode = -1;
    QString errors;
};

Outcome RunStation(const QTemporaryDir& dir, const QStringList& arguments, int timeoutMs = 60000) {
    QProcess station;
    k7::test::StartStation(station, dir, arguments, false);
    Outcome run;
    if (!station.waitForFinished(timeoutMs)) {
        station.kill();
        station.waitForFinished();
        return run;
    }
    run.exitCode = station.exitCode();
    run.errors = QString::fromLocal8Bit(station.readAllStandardError());
    return run;
}

TEST(RunFor, ValuesTheStopTimerCannotHoldAreRefusedWithExitCode2) {
    QTemporaryDir dir;
    for (const char* value : {"nan", "inf", "1e308", "2147484", "0", "soon"}) {
        const Outcome run = RunStation(dir,
                                       {QStringLiteral("--simulate"), QStringLiteral("1"),
                                        QStringLiteral("--run-for"), QLatin1String(value)},
                                       10000);
        EXPECT_EQ(run.exitCode, 2) << value;
        EXPECT_TRUE(run.errors.contains(QStringLiteral("--run-for takes a number of seconds")))
            << value << ": " << run.errors.toStdString();
        EXPECT_TRUE(run.errors.contains(QLatin1String(value))) << value;
    }
    EXPECT_FALSE(QDir(dir.filePath(QStringLiteral("app"))).exists()) << "nothing was started";
}

// The command line is read before any window system is touched: with no display at all (no
// DISPLAY, WAYLAND_DISPLAY or QT_QPA_PLATFORM, no -platform) a wrong line ends with its message
// and code 2, --help, --help-all, --version and --coordinate answer, and a run that needs the
// windows says that there is no display.
TEST(CommandLine, EveryAnswerComesWithoutADisplay) {
    struct Answer {
        QProcess::ExitStatus status = QProcess::CrashExit;
        int code = -1;
        QString out, err;
    };
    const auto run = [](const QStringList& arguments) {
        QProcess station;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
            env.remove(QLatin1String(name));
        }
        station.setProcessEnvironment(env);
        station.start(QStringLiteral(K7STATION_PATH), arguments);
        Answer answer;
        if (station.waitForFinished(30000)) {
            answer = {station.exitStatus(), station.exitCode(),
                      QString::fromLocal8Bit(station.readAllStandardOutput()),
                      QString::fromLocal8Bit(station.readAllStandardError())};
        }
        return answer;
    };
    const struct {
        QStringList arguments;
        int code;
        const char* says; // on standard output for code 0, else on standard error
    } cases[] = {
        {{QStringLiteral("--bogus")}, 2, "k7station: Unknown option 'bogus'. (see --help)"},
        {{QStringLiteral("--simulate"), QStringLiteral("41")}, 2, "--simulate N takes 1 to 40"},
        {{QStringLiteral("-platform"), QStringLiteral("offscreen"), QStringLiteral("--bogus")},
         2,
         "Unknown option 'bogus'"},
        {{QStringLiteral("--help")}, 0, "--simulate <FILE|N>"},
        {{QStringLiteral("--help-all")}, 0, "-platform <name[:options]>"},
        {{QStringLiteral("--version")}, 0, "k7station 1."},
        {{QStringLiteral("--coordinate"), QStringLiteral("36"), QStringLiteral("3"),
          QStringLiteral("--iterations"), QStringLiteral("100")},
         0,
         "name,frequency,mute\nC01,"},
        {{QStringLiteral("--simulate"), QStringLiteral("2"), QStringLiteral("--run-for"),
          QStringLiteral("1")},
         2,
         "k7station: no display to show the station on"},
    };
    for (const auto& c : cases) {
        const std::string line = c.arguments.join(QLatin1Char(' ')).toStdString();
        const Answer answer = run(c.arguments);
        EXPECT_EQ(answer.status, QProcess::NormalExit) << line;
        EXPECT_EQ(answer.code, c.code) << line << ": " << answer.err.toStdString();
        const QString& text = c.code == 0 ? answer.out : answer.err;
        EXPECT_TRUE(text.contains(QLatin1String(c.says))) << line << ": " << text.toStdString();
    }
    EXPECT_FALSE(run({QStringLiteral("--help")}).out.contains(QStringLiteral("-platform")))
        << "Qt's options are for --help-all";
    EXPECT_TRUE(run({QStringLiteral("--help-all")}).out.contains(QStringLiteral("--run-for")));
}

std::vector<QJsonObject> TraceEvents(const QString& path) {
    QFile file(path);
    std::vector<QJsonObject> events;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : file.readAll().split('\n')) {
            if (!line.isEmpty()) {
                events.push_back(QJsonDocument::fromJson(line).object());
            }
        }
    }
    return events;
}

TEST(DemonstrationRun, StaleLastSetTimerZeroAndTheMuteHighBit) {
    QTemporaryDir dir;
    const QString settingsFile = dir.filePath(QStringLiteral("config/Veltora/K7 Series.conf"));
    {
        QSettings settings(settingsFile, QSettings::IniFormat);
        settings.setValue(QStringLiteral("NameSets/LastSet"), QStringLiteral("Show1.frq"));
        settings.setValue(QStringLiteral("Settings/LoadFile"), QStringLiteral("True"));
    }
    // The trace and the wire log inside the application folder, which does not exist yet.
    const QString trace = dir.filePath(QStringLiteral("app/t.jsonl"));
    const QString wire = dir.filePath(QStringLiteral("app/w.log"));
    ASSERT_FALSE(QDir(dir.filePath(QStringLiteral("app"))).exists());
    const Outcome run = RunStation(
        dir, {QStringLiteral("--simulate"), QStringLiteral("3"), QStringLiteral("--run-for"),
              QStringLiteral("3"), QStringLiteral("--app-dir"), dir.filePath(QStringLiteral("app")),
              QStringLiteral("--trace"), trace, QStringLiteral("--wire-log"), wire});
    ASSERT_EQ(run.exitCode, 0) << run.errors.toStdString();

    EXPECT_EQ(QSettings(settingsFile, QSettings::IniFormat)
                  .value(QStringLiteral("NameSets/LastSet"))
                  .toString(),
              QStringLiteral("Default.frq"));
    int firstTimerZero = -1;
    for (const QJsonObject& event : TraceEvents(trace)) {
        const QString kind = event[QStringLiteral("event")].toString();
        EXPECT_FALSE(
            kind == QLatin1String("message") &&
            event[QStringLiteral("text")].toString().contains(QStringLiteral("does not exist")));
        if (kind == QLatin1String("timer") && event[QStringLiteral("tag")].toInt(-1) == 0 &&
            firstTimerZero < 0) {
            EXPECT_FALSE(event[QStringLiteral("enabled")].toBool());
            firstTimerZero = event[QStringLiteral("interval")].toInt();
        }
    }
    EXPECT_EQ(firstTimerZero, 17) << "the poll interval of three receivers";

    // Identify answers: 19 bytes "52 <address> 21 ...", the mute byte ninth.
    QFile log(wire);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    int identified = 0;
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() == 4 + 19 && fields[2] == "RX" && fields[4] == "52" &&
            fields[6] == "21") {
            ++identified;
            EXPECT_TRUE(fields[4 + 8].toInt(nullptr, 16) & 0x80) << line.toStdString();
        }
    }
    EXPECT_GE(identified, 3);
}

// A file-size limit (SIGXFSZ where it is not ignored) is a write that fails, not the end of the
// station: the event log's line that would cross it is not written at all, the operator is told
// once, and metering goes on to the orderly stop.
TEST(DemonstrationRun, AFileSizeLimitFailsTheWriteAndMeteringGoesOn) {
    QTemporaryDir dir;
    constexpr qint64 kLimit = 1024 * 1024;
    const QString logs = dir.filePath(QStringLiteral("app/USB Files/Logs"));
    ASSERT_TRUE(QDir().mkpath(logs));
    QByteArray day = "time,slot,receiver,event,detail\r\n";
    while (day.size() < kLimit - 20) {
        day += "2024-05-03 20:00:00.000,,,stopped,\r\n";
    }
    const QString logFile =
        logs + QDate::currentDate().toString(QStringLiteral("/yyyy-MM-dd")) + QStringLiteral(".csv");
    {
        QFile file(logFile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write(day), day.size());
    }
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
    for (const QJsonObject& event : TraceEvents(trace)) {
        const QString kind = event[QStringLiteral("event")].toString();
        told += kind == QLatin1String("message") &&
                event[QStringLiteral("title")].toString() == QLatin1String("Event log");
        stopped |= kind == QLatin1String("rack") &&
                   event[QStringLiteral("kind")].toString() == QLatin1String("stopped");
    }
    EXPECT_EQ(told, 1);
    EXPECT_TRUE(stopped) << "metered to the orderly stop";
    QFile file(logFile);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_TRUE(file.readAll() == day) << "no part of a line past the limit";
}

} // namespace
