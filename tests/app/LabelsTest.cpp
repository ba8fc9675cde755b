// The receivers' labels on a station on the simulated rack: the CSV export and import, which
// refuses a bad file whole with a box that names the file and the line (labels that follow a
// receiver a rescan moved: RescanTest).
#include "support/StationRig.h"

#include <QDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::StationRig;

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
