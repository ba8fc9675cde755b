// The program itself as a field engineer runs it: --run-for values it cannot honour are refused
// at once with exit code 2; a demonstration rack of three started with a stale "LastSet" and no
// data folder resets it to Default.frq without a "does not exist" box, creates timer 0 at the
// poll interval, and identifies receivers that report the mute byte's high bit.
#include "StationProcess.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

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
    const QString trace = dir.filePath(QStringLiteral("t.jsonl"));
    const QString wire = dir.filePath(QStringLiteral("w.log"));
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

} // namespace
