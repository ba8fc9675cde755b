// Monitoring through a USB change on the simulated rack: the automatic rescan and "Rescan" in
// the countdown, slots that move with their history, alerts and labels, refusals, the wire log.
#include "../monitor/CsvLines.h"
#include "app/RescanSetting.h"
#include "support/StationRig.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <set>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

QString SerialAt(Station& station, int slot) {
    return QString::fromLatin1(
        station.core().devices().SlotSerial[static_cast<std::size_t>(slot)].data());
}

// The event log's rows of an event ("unplugged", "rescan", ...).
std::vector<QStringList> Logged(Station& station, const QString& event) {
    std::vector<QStringList> rows;
    const QDir logs(station.core().frq().dataFolder() + QStringLiteral("/Logs"));
    for (const QString& file : logs.entryList({QStringLiteral("*.csv")})) {
        for (const QStringList& row : test::CsvRows(logs.filePath(file))) {
            if (row.size() >= 5 && row[3] == event) {
                rows.push_back(row);
            }
        }
    }
    return rows;
}

// Lines of the wire log that call a device which is not open: after its CLOSE and before its
// next OPEN, or a call with no device at all (other than the device count).
QStringList CallsOnClosedHandles(const QString& path) {
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly));
    std::set<QString> open;
    QStringList wrong;
    for (const QByteArray& raw : file.readAll().split('\n')) {
        const QStringList f = QString::fromLatin1(raw).split(QLatin1Char(' '));
        if (f.size() < 4) {
            continue;
        }
        const QString& device = f[1];
        const QString& event = f[2];
        if (event == QLatin1String("COUNT")) {
            continue;
        }
        if (event == QLatin1String("OPEN")) {
            if (f[3] == QLatin1String("0")) {
                open.insert(device);
            }
            continue;
        }
        if (!open.contains(device)) {
            wrong << QString::fromLatin1(raw);
        }
        if (event == QLatin1String("CLOSE")) {
            open.erase(device);
        }
    }
    return wrong;
}

// The longest stretch without an answer in a receiver's history (found by its slot or away key).
std::int64_t LongestGap(const MeterHistory& history, int key) {
    std::int64_t gap = 0;
    for (std::size_t i = 1; i < history.size(key); ++i) {
        gap = std::max(gap, history.at(key, i).micros - history.at(key, i - 1).micros);
    }
    return gap;
}

struct Rescans {
    explicit Rescans(const sim::Scenario& scenario, bool automatic = true)
        : rig(scenario, {}, wires.filePath(QStringLiteral("wire.log"))) {
        SaveRescanAfterUsbChange(rig.settings, automatic);
        EXPECT_TRUE(rig.station->Start());
        EXPECT_TRUE(rig.RunToMonitoring());
    }
    Station& station() { return *rig.station; }
    RackActivity activity() { return station().core().engine().Activity(); }
    int receivers() { return station().core().devices().DeviceCount; }
    // Runs until monitoring has come back with n receivers.
    bool RunToMonitoringWith(int n, double limitMs) {
        return rig.clock.runUntil([&] { return rig.Monitoring() && receivers() == n; }, limitMs);
    }
    QString wireLog() const { return wires.filePath(QStringLiteral("wire.log")); }

    QTemporaryDir wires;
    StationRig rig;
};

sim::Scenario Unplugged(int receivers, int index, std::int64_t atMs,
                        std::optional<std::int64_t> backAtMs) {
    sim::Scenario scenario = RackOf(receivers);
    scenario.receivers[static_cast<std::size_t>(index)].faults.unplugAtMs = atMs;
    scenario.receivers[static_cast<std::size_t>(index)].faults.replugAtMs = backAtMs;
    return scenario;
}

TEST(Rescan, AReceiverUnpluggedAndReplugged_MonitoringGoesOnWithSevenThenEight) {
    Rescans r(Unplugged(8, 2, 10000, 25000));
    Station& station = r.station();
    const QString third = SerialAt(station, 3);
    const QString thirdName = station.core().rack().CurData[3].Name;
    r.rig.clock.advanceMs(10000 - r.rig.clock.nowMs());

    // Seen within one watchdog period; no countdown, a notice on the meters instead.
    ASSERT_TRUE(r.rig.clock.runUntil([&] { return r.activity() == RackActivity::Settling; }, 2000));
    EXPECT_EQ(station.window().state().meterNotice, Station::SettlingText());
    EXPECT_NE(DialogStateName(station.dialog().state()), QStringLiteral("close"));
    const double seen = r.rig.clock.nowMs();
    ASSERT_TRUE(r.RunToMonitoringWith(7, 8000));
    // Discovery as at start: the identify answers of the first sweep come after its reads (the
    // latency timer), so the second sweep finds them.
    EXPECT_NEAR(r.rig.clock.nowMs() - seen, 4000 + 2 * 8 * 120, 50) << "4 s steady, then discovery";
    EXPECT_NE(SerialAt(station, 3), third) << "receiver 4 moved up into slot 3";
    EXPECT_TRUE(station.window().state().meterNotice.isEmpty());
    EXPECT_FALSE(station.dialog().state().visible);

    ASSERT_TRUE(r.RunToMonitoringWith(8, 20000));
    EXPECT_EQ(SerialAt(station, 3), third);
    r.rig.display.draws.clear();
    r.rig.clock.advanceMs(1000);
    for (int slot = 1; slot <= 8; ++slot) {
        EXPECT_TRUE(r.rig.display.draws.contains(QStringLiteral("8:%1,%1").arg(slot)))
            << "cell " << slot << " live";
    }
    EXPECT_TRUE(station.window().state().caption.endsWith(QStringLiteral("Using: Receiver Data")));

    // The trace: both changes, both rescans with their counts.
    std::vector<QJsonObject> changedAt = r.rig.Traced(QStringLiteral("rack"));
    std::erase_if(changedAt,
                  [](const QJsonObject& line) { return line["kind"] != "devices-changed"; });
    const auto rescans = r.rig.Traced(QStringLiteral("rescan"));
    ASSERT_EQ(rescans.size(), 4u);
    EXPECT_EQ(rescans[1]["state"].toString(), QStringLiteral("end"));
    EXPECT_EQ(rescans[1]["receivers"].toInt(), 7);
    EXPECT_EQ(rescans[3]["receivers"].toInt(), 8);
    ASSERT_EQ(changedAt.size(), 2u);
    EXPECT_LT(changedAt[0]["t"].toDouble() - 10000, 2000.5);
    EXPECT_LT(changedAt[1]["t"].toDouble() - 25000, 2000.5);

    // History: receiver 3 has a gap over its absence; the others lost only the rescans' time.
    const MeterHistory& history = station.core().monitor().history();
    EXPECT_GT(LongestGap(history, 3), 15'000'000);
    EXPECT_LT(history.at(3, 0).micros, 10'000'000) << "its hour from before the unplug";
    // From the unplug (and the replug) to monitoring with every receiver: the change seen
    // within a watchdog period, 4 s steady, discovery's two sweeps.
    const std::array<double, 2> changes{10000, 25000};
    const std::array<int, 2> found{7, 8};
    double rescanTime = 0;
    for (std::size_t i = 0; i < changedAt.size(); ++i) {
        const double ended = rescans[2 * i + 1]["t"].toDouble();
        rescanTime = std::max(rescanTime, ended - changedAt[i]["t"].toDouble());
        EXPECT_LT(ended - changes[i], 2000 + 4000 + 2 * (found[i] + 1) * 120 + 50) << i;
    }
    for (int slot : {1, 2, 4, 5, 6, 7, 8}) {
        EXPECT_LT(LongestGap(history, slot), (rescanTime + 200) * 1000) << "slot " << slot;
        EXPECT_LT(history.at(slot, 0).micros, 5'000'000) << "slot " << slot;
    }
    EXPECT_TRUE(history.AwayKeys().empty()) << "the receiver is back with its ring";

    // The event log: the receiver gone and back, one row per rescan with its counts.
    const auto unplugged = Logged(station, QStringLiteral("unplugged"));
    ASSERT_EQ(unplugged.size(), 1u);
    EXPECT_EQ(unplugged[0][1], QStringLiteral("3"));
    EXPECT_EQ(unplugged[0][2], thirdName);
    EXPECT_EQ(unplugged[0][4], QStringLiteral("serial ") + third);
    EXPECT_EQ(Logged(station, QStringLiteral("plugged in")).at(0).at(1), QStringLiteral("3"));
    const auto rows = Logged(station, QStringLiteral("rescan"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][4], QStringLiteral("8 receivers before, 7 after"));
    EXPECT_EQ(rows[1][4], QStringLiteral("7 receivers before, 8 after"));
    EXPECT_EQ(Logged(station, QStringLiteral("disconnected start")).size(), 1u);
    EXPECT_EQ(Logged(station, QStringLiteral("disconnected end")).size(), 1u);

    station.CloseNow();
    EXPECT_EQ(r.rig.stoppedWith, std::vector<int>{0});
    EXPECT_EQ(r.rig.simRack.openHandles(), 0u) << "every handle, dead or alive, closed";
    EXPECT_EQ(CallsOnClosedHandles(r.wireLog()), QStringList());
}

QJsonObject CrewSlot(Station& station, int slot) {
    const QJsonObject snapshot =
        QJsonDocument::fromJson(station.crewView().model().Snapshot()).object();
    return snapshot[QStringLiteral("slots")].toArray()[slot - 1].toObject();
}

// Receiver 2 moves up into slot 1 with its hour, its alert and its label (in the monitor, the
// Labels rows, the crew view's JSON, the history export's columns and the event log's lines).
TEST(Rescan, ReceiversMovingUpTakeTheirHistoryAlertsAndLabelsWithThem) {
    sim::Scenario scenario = Unplugged(8, 0, 10000, std::nullopt);
    scenario.receivers[1].levels.push_back({5000, std::array<int, 2>{0, 0}, {}, {}});
    Rescans r(scenario);
    Station& station = r.station();
    const QString firstName = station.core().rack().CurData[1].Name;
    const QString anna = station.core().rack().CurData[2].Name;
    std::vector<QString> serials;
    for (int slot = 1; slot <= 8; ++slot) {
        serials.push_back(SerialAt(station, slot));
    }
    ASSERT_TRUE(station.core()
                    .labels()
                    .Set(serials[1],
                         {QStringLiteral("Anna, lead"), QStringLiteral("Band"), LabelColour::Red})
                    .isEmpty());
    EXPECT_EQ(CrewSlot(station, 2)[QStringLiteral("colour")].toString(), QStringLiteral("red"));
    ASSERT_TRUE(r.RunToMonitoringWith(7, 20000));
    for (int slot = 1; slot <= 7; ++slot) {
        EXPECT_EQ(SerialAt(station, slot), serials[static_cast<std::size_t>(slot)]);
    }

    // Receiver 2 lost its RF at 5 s: the alert is up on slot 1 now, where the receiver is.
    AlertList& alerts = station.core().monitor().alerts();
    EXPECT_EQ(alerts.CellOf(1).active, AlertKind::RfLost);
    EXPECT_FALSE(alerts.CellOf(2).active);
    bool rfLost = false, disconnected = false;
    for (std::size_t i = 0; i < alerts.size(); ++i) {
        const Alert& alert = alerts.at(i);
        if (alert.kind == AlertKind::RfLost && alert.active()) {
            rfLost = true;
            EXPECT_EQ(alert.slot, 1);
            EXPECT_EQ(alert.serial, serials[1]);
        }
        if (alert.kind == AlertKind::Disconnected) {
            disconnected = alert.active() && alert.serial == serials[0] && alert.name == firstName;
        }
    }
    EXPECT_TRUE(rfLost);
    EXPECT_TRUE(disconnected) << "receiver 1 is marked disconnected until the stop";

    // Each receiver's hour moved with it; receiver 1's stays readable under its away key.
    const MeterHistory& history = station.core().monitor().history();
    r.rig.clock.advanceMs(2000);
    for (int slot = 1; slot <= 7; ++slot) {
        EXPECT_LT(history.at(slot, 0).micros, 5'000'000) << "slot " << slot;
    }
    ASSERT_EQ(history.Marks(1, 0, 60'000'000).size(), 1u);
    EXPECT_EQ(history.Marks(1, 0, 60'000'000)[0].kind, AlertKind::RfLost);
    ASSERT_EQ(history.AwayKeys().size(), 1u); // its name and answers: the History window's test
    EXPECT_EQ(history.Marks(history.AwayKeys()[0], 0, 60'000'000).back().kind,
              AlertKind::Disconnected);

    // The label: on slot 1 now; the export's columns append it for Anna only; the alert's log
    // line has its own detail first, the label and group after it.
    Monitor& monitor = station.core().monitor();
    EXPECT_EQ(monitor.labelOf(1), QStringLiteral("Anna, lead"));
    EXPECT_EQ(monitor.groupOf(1), QStringLiteral("Band"));
    EXPECT_TRUE(monitor.labelOf(2).isEmpty());
    EXPECT_EQ(station.labelCommands().RackRows().front().label.label, QStringLiteral("Anna, lead"));
    EXPECT_EQ(CrewSlot(station, 1)[QStringLiteral("label")].toString(),
              QStringLiteral("Anna, lead"));
    EXPECT_EQ(CrewSlot(station, 1)[QStringLiteral("group")].toString(), QStringLiteral("Band"));
    EXPECT_FALSE(CrewSlot(station, 2).contains(QStringLiteral("label")));
    const QString header = QString::fromUtf8(monitor.historyExport().Header());
    EXPECT_TRUE(header.contains(QStringLiteral("\"1 %1 (Anna, lead) RF A\"").arg(anna)))
        << header.toStdString();
    EXPECT_TRUE(
        header.contains(QStringLiteral(",2 %1 RF A,").arg(station.core().rack().CurData[2].Name)));
    const auto started = Logged(station, QStringLiteral("rf-lost start"));
    ASSERT_EQ(started.size(), 1u);
    EXPECT_TRUE(started[0][4].endsWith(QStringLiteral("; label: Anna, lead; group: Band")))
        << started[0][4].toStdString();

    // At the stop the alert of the receiver that is gone ends too.
    station.CloseNow();
    EXPECT_EQ(alerts.ActiveCount(), 0);
    EXPECT_EQ(Logged(station, QStringLiteral("disconnected end")).size(), 1u);
}

TEST(Rescan, WithTheSettingOffRescanInTheCountdownBringsMonitoringBack) {
    Rescans r(Unplugged(8, 2, 10000, 25000), false);
    Station& station = r.station();
    ASSERT_TRUE(r.rig.clock.runUntil(
        [&] { return DialogStateName(station.dialog().state()) == "close"; }, 12000));
    const StartupDialogState& form = station.dialog().state();
    EXPECT_TRUE(form.rescanButton && form.closeButton && form.closeButtonFocused);
    r.rig.clock.advanceMs(3000);
    station.dialog().PressRescan();
    EXPECT_FALSE(station.dialog().CountdownRunning());
    EXPECT_EQ(DialogStateName(form), QStringLiteral("startup")) << "discovery's progress";
    EXPECT_EQ(form.progressMaximum, 7);
    ASSERT_TRUE(r.RunToMonitoringWith(7, 3000));

    ASSERT_TRUE(r.rig.clock.runUntil(
        [&] { return DialogStateName(station.dialog().state()) == "close"; }, 20000));
    station.dialog().PressRescan();
    ASSERT_TRUE(r.RunToMonitoringWith(8, 3000));
    r.rig.clock.advanceMs(30000);
    EXPECT_TRUE(r.rig.stoppedWith.empty());
    EXPECT_EQ(Logged(station, QStringLiteral("rescan")).size(), 2u);
}

TEST(Rescan, ANewReceiverJoinsInItsPortOrder) {
    sim::Scenario scenario = RackOf(8);
    sim::ReceiverSetup added = RackOf(9).receivers.back();
    added.location = scenario.receivers[3].location | 0x1000; // behind a hub on port 4
    added.plugInAtMs = 20000;
    scenario.receivers.push_back(added);
    Rescans r(scenario);
    Station& station = r.station();
    ASSERT_EQ(r.receivers(), 8);
    const QString fifth = SerialAt(station, 5);
    ASSERT_TRUE(r.RunToMonitoringWith(9, 30000));
    EXPECT_EQ(SerialAt(station, 5), added.serial);
    EXPECT_EQ(SerialAt(station, 6), fifth);
    EXPECT_EQ(station.core().devices().RackLayout, 2);
    EXPECT_EQ(station.dialog().state().receiverCount, QStringLiteral("9 K7.5s"));
    const MeterHistory& history = station.core().monitor().history();
    r.rig.clock.advanceMs(1000);
    EXPECT_GT(history.size(5), 0u);
    EXPECT_GT(history.at(5, 0).micros, 20'000'000) << "a ring of its own";
    EXPECT_LT(history.at(6, 0).micros, 5'000'000);
    const auto joined = Logged(station, QStringLiteral("plugged in"));
    ASSERT_EQ(joined.size(), 1u);
    EXPECT_EQ(joined[0][1], QStringLiteral("5"));
    EXPECT_EQ(joined[0][4], QStringLiteral("serial ") + added.serial);
}

TEST(Rescan, FortyOneDevicesGoToTheCountdownWithTheRefusal) {
    sim::Scenario scenario = RackOf(40);
    sim::ReceiverSetup extra = RackOf(41).receivers.back();
    extra.plugInAtMs = 15000;
    scenario.receivers.push_back(extra);
    Rescans r(scenario);
    Station& station = r.station();
    ASSERT_TRUE(r.rig.clock.runUntil(
        [&] { return DialogStateName(station.dialog().state()) == "close"; }, 20000));
    ASSERT_FALSE(r.rig.prompter.boxes.empty());
    EXPECT_TRUE(r.rig.prompter.boxes.back().text.startsWith(
        QStringLiteral("More than 40 USB serial devices are attached")));
    EXPECT_TRUE(station.dialog().state().rescanButton);
    EXPECT_EQ(r.rig.simRack.openHandles(), 0u) << "nothing of a refused rack stays open";
    const auto rescans = r.rig.Traced(QStringLiteral("rescan"));
    ASSERT_EQ(rescans.size(), 2u);
    EXPECT_EQ(rescans[1]["state"].toString(), QStringLiteral("refused"));
    EXPECT_EQ(rescans[1]["reason"].toString(), QStringLiteral("too-many"));
    ASSERT_TRUE(r.rig.clock.runUntil([&] { return !r.rig.stoppedWith.empty(); }, 22000));
    EXPECT_EQ(r.rig.stoppedWith, std::vector<int>{0}) << "an orderly stop, not a refusal";
    EXPECT_EQ(CallsOnClosedHandles(r.wireLog()), QStringList());
}

TEST(Rescan, TheFileStaysInForceOnlyWhenTheRackFoundAgainHoldsIt) {
    for (const int gone : {2, 0}) {
        Rescans r(Unplugged(3, gone, 15000, std::nullopt), false);
        Station& station = r.station();
        ASSERT_TRUE(station.core().rackFile().LoadIntoRack(QStringLiteral("Default.frq")).ok());
        ASSERT_TRUE(station.core().engine().StartProgrammingPass(PassKind::ChangedOnly));
        ASSERT_TRUE(r.rig.RunToMonitoring(5000));
        ASSERT_TRUE(station.window().state().caption.endsWith(QStringLiteral("FILE: Default")));
        ASSERT_TRUE(r.rig.clock.runUntil(
            [&] { return DialogStateName(station.dialog().state()) == "close"; }, 20000));
        station.dialog().PressRescan();
        ASSERT_TRUE(r.RunToMonitoringWith(2, 3000));
        const bool kept = gone == 2; // the last one gone: slots 1 and 2 still hold the file
        EXPECT_EQ(station.core().rackFile().FileInUse(), kept) << gone;
        EXPECT_TRUE(station.window().state().caption.endsWith(
            kept ? QStringLiteral("FILE: Default") : QStringLiteral("Using: Receiver Data")))
            << gone;
        int passes = 0;
        for (const QJsonObject& line : r.rig.Traced(QStringLiteral("rack"))) {
            passes += line["kind"].toString() == QLatin1String("programming-pass") ? 1 : 0;
        }
        EXPECT_EQ(passes, 2) << "the start's and the file's: the rescan programs nothing";
    }
}

TEST(Rescan, NothingIsSentToAReceiverAfterTheUsbChange) {
    Rescans r(Unplugged(4, 3, 12000, 30000));
    Station& station = r.station();
    ReceiverPanel& panel = station.core().panel();

    // A frequency waiting to be sent when the USB system changes is dropped and logged.
    ASSERT_TRUE(panel.Open(2));
    panel.NameEdited(QStringLiteral("NEWNAM"));
    panel.FreqEdited(QStringLiteral("608.000"));
    panel.SaveChanges();
    ASSERT_TRUE(panel.reProgPending());
    const auto frequencyFrames = [&] { return r.rig.simRack.receiver(1).countOf('I'); };
    const int frames = frequencyFrames();
    panel.DeviceCountChanged(3, 4);
    EXPECT_FALSE(panel.visible());
    EXPECT_FALSE(panel.reProgPending());
    r.rig.clock.advanceMs(500);
    EXPECT_EQ(frequencyFrames(), frames);
    const auto logged = Logged(station, QStringLiteral("frequency"));
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_TRUE(logged[0][4].endsWith(
        QStringLiteral("-> 608.000, not sent: the USB system changed before it went out")));

    // The editor stays open through a change and a rescan; its receiver commands wait.
    r.rig.chooser.choices = {station.core().frq().dataFolder() + QStringLiteral("/Default.frq")};
    station.window().MenuFileCommand(FileCommand::Transfer);
    FrequencyEditor& editor = station.core().editor();
    ASSERT_TRUE(editor.state().visible);
    ASSERT_TRUE(editor.state().controls[EditorControl::cmdDownload].enabled);
    ASSERT_TRUE(
        r.rig.clock.runUntil([&] { return r.activity() == RackActivity::Settling; }, 15000));
    EXPECT_TRUE(editor.state().visible);
    EXPECT_FALSE(editor.state().controls[EditorControl::cmdDownload].enabled);
    const std::size_t received = r.rig.simRack.receiver(0).frames().size();
    editor.cmdDownload();
    EXPECT_EQ(r.rig.simRack.receiver(0).frames().size(), received);
    ASSERT_TRUE(r.rig.clock.runUntil(
        [&] { return r.receivers() == 3 && r.activity() == RackActivity::Monitoring; }, 10000));
    EXPECT_TRUE(editor.state().controls[EditorControl::cmdDownload].enabled);
    EXPECT_EQ(editor.state().cmbRxsItems.size(), 3);
    EXPECT_EQ(station.window().state().meterNotice, Station::MeterPausedText());
    editor.Finish();
    ASSERT_TRUE(r.RunToMonitoringWith(4, 30000));
    station.CloseNow();
    EXPECT_EQ(CallsOnClosedHandles(r.wireLog()), QStringList());
}

} // namespace
} // namespace k7
