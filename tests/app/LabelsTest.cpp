// The receivers' labels on a station on the simulated rack: they follow a receiver that a rescan
// moved to another slot (in the monitor, the history export's columns, the event log's alert
// lines, the Labels rows and the crew view's JSON), and the CSV import refuses a bad file whole,
// with a box that names the file and the line.
#include "../monitor/CsvLines.h"
#include "app/RescanSetting.h"
#include "support/StationRig.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::StationRig;

QJsonObject CrewSlot(Station& station, int slot) {
    const QJsonObject snapshot =
        QJsonDocument::fromJson(station.crewView().model().Snapshot()).object();
    return snapshot[QStringLiteral("slots")].toArray()[slot - 1].toObject();
}

TEST(Labels, FollowAReceiverThatARescanMovedToAnotherSlot) {
    // The receiver in slot 1 is unplugged at 10 s; the one in slot 2, labelled, loses its RF at
    // 5 s and sits in slot 1 after the rescan.
    sim::Scenario scenario = test::RackOf(4);
    scenario.receivers[0].faults.unplugAtMs = 10000;
    scenario.receivers[1].levels.push_back({5000, std::array<int, 2>{0, 0}, {}, {}});
    StationRig rig(scenario);
    SaveRescanAfterUsbChange(rig.settings, true);
    Station& station = *rig.station;
    ASSERT_TRUE(station.Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    Monitor& monitor = station.core().monitor();
    const QString anna = monitor.serialOf(2);
    const QString name = station.core().rack().CurData[2].Name;
    ASSERT_TRUE(
        station.core()
            .labels()
            .Set(anna, {QStringLiteral("Anna, lead"), QStringLiteral("Band"), LabelColour::Red})
            .isEmpty());
    EXPECT_FALSE(CrewSlot(station, 1).contains(QStringLiteral("label")));
    EXPECT_EQ(CrewSlot(station, 2)[QStringLiteral("colour")].toString(), QStringLiteral("red"));

    ASSERT_TRUE(rig.clock.runUntil(
        [&] { return rig.Monitoring() && station.core().devices().DeviceCount == 3; }, 20000));
    EXPECT_EQ(monitor.serialOf(1), anna);
    EXPECT_EQ(monitor.labelOf(1), QStringLiteral("Anna, lead"));
    EXPECT_EQ(monitor.groupOf(1), QStringLiteral("Band"));
    EXPECT_TRUE(monitor.labelOf(2).isEmpty());
    EXPECT_EQ(station.labelCommands().RackRows().front().label.label, QStringLiteral("Anna, lead"));
    const QJsonObject crew = CrewSlot(station, 1);
    EXPECT_EQ(crew[QStringLiteral("label")].toString(), QStringLiteral("Anna, lead"));
    EXPECT_EQ(crew[QStringLiteral("group")].toString(), QStringLiteral("Band"));
    EXPECT_FALSE(CrewSlot(station, 2).contains(QStringLiteral("label")));

    // The export's columns: the label appended for Anna, the others as they always were.
    const QString header = QString::fromUtf8(monitor.historyExport().Header());
    EXPECT_TRUE(header.contains(QStringLiteral("\"1 %1 (Anna, lead) RF A\"").arg(name)))
        << header.toStdString();
    EXPECT_TRUE(
        header.contains(QStringLiteral(",2 %1 RF A,").arg(station.core().rack().CurData[2].Name)));

    // The event log: the alert's own detail first, the label and group after it.
    const QDir logs(station.core().frq().dataFolder() + QStringLiteral("/Logs"));
    QStringList details;
    for (const QString& file : logs.entryList({QStringLiteral("*.csv")})) {
        for (const QStringList& row : test::CsvRows(logs.filePath(file))) {
            if (row.size() == 5 && row[3] == QStringLiteral("rf-lost start")) {
                details << row[4];
            }
        }
    }
    ASSERT_EQ(details.size(), 1);
    EXPECT_TRUE(details[0].endsWith(QStringLiteral("; label: Anna, lead; group: Band")))
        << details[0].toStdString();
    station.CloseNow();
}

TEST(Labels, AnImportWithABadLineChangesNothingAndTheBoxNamesFileAndLine) {
    StationRig rig(test::RackOf(2));
    Station& station = *rig.station;
    ASSERT_TRUE(station.Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    LabelCommands& commands = station.labelCommands();
    ReceiverLabels& labels = station.core().labels();
    const QString first = station.core().monitor().serialOf(1);
    ASSERT_TRUE(
        labels.Set(QStringLiteral("ELSEWHERE"), {QStringLiteral("Kept"), {}, {}}).isEmpty());

    // The export lists the rack's receivers, then those labelled elsewhere.
    const QString exported = rig.dir.filePath(QStringLiteral("labels.csv"));
    rig.chooser.choices = {exported};
    ASSERT_TRUE(commands.Export());
    QFile file(exported);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    ASSERT_GE(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith(first + QStringLiteral(",1,")));
    EXPECT_EQ(lines[3], QStringLiteral("ELSEWHERE,,,Kept,,"));

    const QString bad = rig.dir.filePath(QStringLiteral("bad.csv"));
    QFile out(bad);
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write("serial,slot,name,label,group,colour\n" + first.toUtf8() +
              ",1,X,New,,\nELSEWHERE,,,Gone,,teal\n");
    out.close();
    rig.chooser.choices = {bad};
    EXPECT_FALSE(commands.Import());
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    const QString text = rig.prompter.boxes[0].text;
    EXPECT_TRUE(text.contains(QDir::toNativeSeparators(bad))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Line 3: the colour \"teal\""))) << text.toStdString();
    EXPECT_TRUE(labels.LabelOf(first).isEmpty());
    EXPECT_EQ(labels.LabelOf(QStringLiteral("ELSEWHERE")), QStringLiteral("Kept"));

    rig.chooser.choices = {exported};
    EXPECT_TRUE(commands.Import()); // the export read back: the same labels
    EXPECT_EQ(labels.all().size(), 1u);
    station.CloseNow();
}

} // namespace
} // namespace k7
