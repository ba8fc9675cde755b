// Whole runs of the station on the manual clock with latency answers, compared byte for byte
// with the wire logs recorded when the runs were first made: racks of 1, 8, 24 and 40
// receivers from the start, through loading the last frequency file (accepted at once, or after
// the question), to ten seconds of metering with a control-panel change, and the orderly stop.
// Any change in what goes on the wire, or when, shows as the first line that differs.
// K7_RECORD_WIRE_LOGS=1 writes the logs anew instead (only when a change is meant).
#include "support/StationRig.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

namespace k7::test {
namespace {

constexpr double kMeteringMs = 10000;

// How the file loaded at start compares with the receivers.
enum class LastFile {
    SameButMute,   // names and frequencies as the receivers report them: taken without a question
    OtherYes,      // other names and frequencies: the question, answered "Yes"
    OtherNoAnswer, // other names and frequencies: the question runs out (the receivers' data)
};

struct WireCase {
    int receivers;
    LastFile file;
};

QString FrequencyOf(int slot, int offsetKhz = 0) {
    const int khz = 606600 + (slot - 1) * 750 + offsetKhz;
    return QStringLiteral("%1.%2").arg(khz / 1000).arg(khz % 1000, 3, 10, QLatin1Char('0'));
}

QString NameOf(int slot) {
    return QStringLiteral("CH%1__").arg(slot, 2, 10, QLatin1Char('0'));
}

// Every field is given, so that the run does not depend on the simulator's defaults.
sim::Scenario Rack(int n) {
    sim::Scenario scenario;
    scenario.seed = 5;
    scenario.immediateAnswers = false;
    for (int i = 0; i < n; ++i) {
        const int slot = i + 1;
        sim::ReceiverSetup rx;
        rx.serial = QStringLiteral("5K2%1").arg(slot, 5, 10, QLatin1Char('0'));
        rx.location = sim::DefaultLocation(i);
        const QByteArray name = NameOf(slot).toLatin1();
        std::copy(name.begin(), name.end(), rx.name.begin());
        rx.frequency = *sim::FrequencyBytes(FrequencyOf(slot));
        rx.mute = 3 + i % 5;
        rx.muteHighBit = true;
        rx.bandType = 0;
        rx.rf = {100 + i % 20, 170};
        rx.audio = {10, 150 + i % 50};
        rx.battery = 180 + i % 20;
        rx.settingsEvery = slot == 1 ? 9 : 0;
        rx.presets.clear();
        rx.changes.clear();
        rx.faults = sim::FaultSwitches{};
        scenario.receivers.push_back(rx);
    }
    return scenario;
}

QByteArray FileFor(const sim::Scenario& scenario, LastFile kind) {
    QStringList lines{QStringLiteral("Veltora USB Receiver file"), QStringLiteral("40"),
                      QStringLiteral("5")};
    const int n = static_cast<int>(scenario.receivers.size());
    for (int slot = 1; slot <= 40; ++slot) {
        const bool same = kind == LastFile::SameButMute && slot <= n;
        const int mute = slot <= n ? scenario.receivers[slot - 1].mute % 10 + 1 : 5;
        lines << (same ? NameOf(slot) : QStringLiteral("SHOW%1").arg(slot, 2, 10, QLatin1Char('0')))
              << FrequencyOf(slot, same ? 0 : 50) << QString::number(mute) << QStringLiteral("0")
              << QString();
    }
    return (lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n")).toLatin1();
}

QString RecordedLog(int receivers) {
    return QStringLiteral(K7_SOURCE_DIR "/tests/e2e/wire/rack-%1.log").arg(receivers);
}

QList<QByteArray> Lines(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return file.readAll().split('\n');
}

class WireRecord : public ::testing::TestWithParam<WireCase> {};

TEST_P(WireRecord, TheWholeRunPutsTheRecordedBytesOnTheWire) {
    const WireCase c = GetParam();
    const sim::Scenario scenario = Rack(c.receivers);
    QTemporaryDir logs;
    const QString logPath = logs.filePath(QStringLiteral("wire.log"));
    {
        StationRig rig(scenario, {}, logPath);
        rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                                 QStringLiteral("True"));
        rig.settings.SaveSetting(QStringLiteral("NameSets"), QStringLiteral("LastSet"),
                                 QStringLiteral("Show.frq"));
        const QString data = rig.dir.filePath(QStringLiteral("app/USB Files"));
        ASSERT_TRUE(QDir().mkpath(data));
        QFile show(data + QStringLiteral("/Show.frq"));
        ASSERT_TRUE(show.open(QIODevice::WriteOnly));
        show.write(FileFor(scenario, c.file));
        show.close();

        Station& station = *rig.station;
        ASSERT_TRUE(station.Start());
        if (c.file == LastFile::OtherYes) {
            ASSERT_TRUE(rig.clock.runUntil(
                [&] { return station.core().engine().Activity() == RackActivity::LoadQuestion; },
                30000));
            rig.clock.advanceMs(1500);
            station.dialog().PressYes();
        }
        ASSERT_TRUE(rig.RunToMonitoring(60000));
        ASSERT_EQ(station.core().rackFile().FileInUse(), c.file != LastFile::OtherNoAnswer);
        const double meteringFrom = rig.clock.nowMs();

        // The operator opens the last receiver's panel, drags its mute level, renames it,
        // retunes it and switches its user mute.
        rig.clock.advanceMs(2000);
        ReceiverPanel& panel = station.core().panel();
        ASSERT_TRUE(panel.Open(c.receivers));
        panel.SliderPressed();
        rig.clock.advanceMs(40);
        panel.SliderValueChanged(panel.sliderValue() % 10 + 1);
        rig.clock.advanceMs(40);
        panel.SliderValueChanged(panel.sliderValue() % 10 + 1);
        panel.SliderReleased();
        rig.clock.advanceMs(300);
        panel.NameEdited(QStringLiteral("LEAD"));
        panel.FreqEdited(FrequencyOf(c.receivers, 25));
        panel.SaveChanges();
        rig.clock.advanceMs(500);
        panel.ToggleUserMute();
        panel.ControlClicked(ReceiverPanel::kOk);

        rig.clock.advanceMs(meteringFrom + kMeteringMs - rig.clock.nowMs());
        EXPECT_TRUE(rig.Monitoring());
        station.CloseNow();
        ASSERT_TRUE(station.Stopped());
        EXPECT_TRUE(rig.prompter.boxes.empty());
    }

    const QList<QByteArray> run = Lines(logPath);
    ASSERT_GT(run.size(), 400);
    const QString recorded = RecordedLog(c.receivers);
    if (qEnvironmentVariableIntValue("K7_RECORD_WIRE_LOGS") == 1) {
        QFile::remove(recorded);
        ASSERT_TRUE(QFile::copy(logPath, recorded));
        return;
    }
    const QList<QByteArray> expected = Lines(recorded);
    ASSERT_FALSE(expected.isEmpty()) << "no recorded log " << recorded.toStdString();
    const qsizetype common = std::min(run.size(), expected.size());
    for (qsizetype i = 0; i < common; ++i) {
        ASSERT_EQ(run[i].toStdString(), expected[i].toStdString()) << "line " << i + 1;
    }
    EXPECT_EQ(run.size(), expected.size());
}

INSTANTIATE_TEST_SUITE_P(Racks, WireRecord,
                         ::testing::Values(WireCase{1, LastFile::SameButMute},
                                           WireCase{8, LastFile::OtherYes},
                                           WireCase{24, LastFile::SameButMute},
                                           WireCase{40, LastFile::OtherNoAnswer}),
                         [](const auto& test) {
                             return QStringLiteral("Of%1").arg(test.param.receivers).toStdString();
                         });

} // namespace
} // namespace k7::test
