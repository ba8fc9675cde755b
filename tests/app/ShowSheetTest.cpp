// File > "Print show sheet..." over the simulated rack: 40 receivers on one A4 page (read back
// with poppler's pdfinfo and pdftotext), each with its label and the rack check's verdict; the
// battery and backups rows show; a file that cannot be written is told, nothing left behind.
#include "app/RackCoordination.h"
#include "app/ShowSheetCommand.h"
#include "support/StationRig.h"

#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <map>

namespace k7 {
namespace {

// A poppler tool's standard output (poppler-utils: scripts/install-deps.sh).
QString Poppler(const QString& tool, const QStringList& arguments) {
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ShowSheetTest : public ::testing::Test {
protected:
    void start(const sim::Scenario& scenario) {
        rig = std::make_unique<test::StationRig>(scenario);
        ASSERT_TRUE(rig->station->Start());
        ASSERT_TRUE(rig->RunToMonitoring());
    }
    Station& station() { return *rig->station; }
    QString print(const QString& name) {
        const QString path = QDir(rig->dir.path()).filePath(name);
        rig->chooser.choices = {path};
        station().window().MenuFileCommand(FileCommand::ShowSheet);
        return path;
    }
    // The sheets in the trace: "file|pages".
    QStringList sheetsTraced() {
        QStringList sheets;
        for (const QJsonObject& line : rig->Traced(QStringLiteral("show-sheet"))) {
            sheets << line["file"].toString() + QStringLiteral("|%1").arg(line["pages"].toInt());
        }
        return sheets;
    }

    std::unique_ptr<test::StationRig> rig;
};

TEST_F(ShowSheetTest, FortyReceiversFitOneA4PageThatNamesEveryReceiverWithTheCheckVerdicts) {
    // 20 receivers of band 34 beside 20 of band 36, coordinated clean under spacing and 3rd-order
    // 2-tx rules; then slot 6 is retuned 100 kHz from slot 5, and they (and whatever their
    // products land on) are hit.
    sim::Scenario scenario = sim::Scenario::simulated(40);
    for (std::size_t i = 0; i < 20; ++i) {
        scenario.receivers[i].serial.replace(0, 2, QStringLiteral("5I"));
        scenario.receivers[i].frequency = {64, static_cast<std::uint8_t>(i), 0};
    }
    start(scenario);
    CoordinationSetup setup = station().rackCoordination().Setup();
    setup.rules = CoordinationRules{350, 100, 0, 0};
    setup.backups = 3;
    std::optional<CoordinationRun> run = station().rackCoordination().Prepare(setup);
    ASSERT_TRUE(run.has_value());
    run->options.iterations = 400;
    const GeneratorResult set = GenerateSet(run->rows, run->options);
    for (const auto& [row, kHz] : FillRows(set.slotCarriers, {}).filled) {
        station().core().settings().Current(row + 1).Frequency =
            FrequencyText(kHz, QLatin1Char('.'));
    }
    station().core().settings().Current(6).Frequency = FrequencyText(
        *FrequencyKHz(station().core().rack().CurData[5].Frequency) + 100, QLatin1Char('.'));
    station().rackCoordination().backups().Replace(set.backups);
    // Labels on all but a few receivers (in the station's label store): the sheet as a show has it.
    const QStringList who = QStringLiteral("Anna - Lead vocal|Ben - Guitar|Ensemble|Presenter|"
                                           "\u0425\u043e\u0440 - Ch\u0153ur|Spare")
                                .split(QLatin1Char('|'));
    for (int slot = 1; slot <= 40; ++slot) {
        if (slot % 7 != 3) {
            station().core().labels().Set(
                QString::fromLatin1(station().core().devices().SlotSerial[slot].data()),
                {who[slot % 6] + QStringLiteral(" %1").arg(slot),
                 slot <= 12 ? QStringLiteral("Band") : QStringLiteral("Cast")});
        }
    }
    rig->clock.advanceMs(25000); // the gauges show a voltage once their hold has passed
    const QString pdf = print(QStringLiteral("sheet.pdf"));
    // K7_SHOW_SHEET_SNAPSHOT=FILE.pdf keeps the page for the README's picture of it.
    if (const QString keep = qEnvironmentVariable("K7_SHOW_SHEET_SNAPSHOT"); !keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(pdf, keep);
    }

    const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))) &&
                info.contains(QStringLiteral("(A4)")))
        << "pdfinfo: " << info.toStdString();
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});

    EXPECT_EQ(sheetsTraced(), QStringList{pdf + QStringLiteral("|1")});
    // The dialog proposed a PDF of the moment in the data folder.
    EXPECT_TRUE(rig->chooser.dialogs.at(0).folder.startsWith(station().core().frq().dataFolder() +
                                                             QStringLiteral("/Show sheet 20")));

    // Every row's verdict is the rack check's, slot by slot, and on the receiver's one line of
    // the page.
    rig->prompter.answers = {MsgAnswer::No};
    station().rackCoordination().Check();
    std::map<int, QString> checked;
    for (const ConflictTableLine& line : station().rackCoordination().conflictTable().lines) {
        checked[line.number] = line.kinds;
    }
    const ShowSheet sheet = station().showSheet().Sheet();
    ASSERT_EQ(sheet.rows.size(), 40u);
    int hit = 0;
    for (const ShowSheetRow& row : sheet.rows) {
        EXPECT_EQ(row.verdict,
                  checked.contains(row.slot) ? checked[row.slot] : QStringLiteral("clean"))
            << "slot " << row.slot;
        const QStringList lines = text.split(QLatin1Char('\n')).filter(row.name + QLatin1Char(' '));
        ASSERT_EQ(lines.size(), 1) << row.name.toStdString();
        EXPECT_TRUE(lines[0].contains(row.verdict) && lines[0].contains(row.label))
            << lines[0].toStdString();
        hit += row.hit ? 1 : 0;
    }
    EXPECT_GT(hit, 0);
    EXPECT_LT(hit, 40);
}

TEST_F(ShowSheetTest, RowsCarryTheKindsThatHitThemTheBatteryAndBackupsAndAFailedWriteIsTold) {
    start(test::RackOf(3));
    StationCore& core = station().core();
    for (const auto& [slot, frequency] :
         {std::pair{1, "610.000"}, {2, "610.100"}, {3, "615.000"}}) {
        core.settings().Current(slot).Frequency = QString::fromLatin1(frequency);
    }
    // 630.000 is clean beside the rack; 620.000 is 2 x 615.000 - 610.000; 700.000 is no
    // channel of the rack's band.
    station().rackCoordination().backups().Replace(std::vector<int>{620000, 630000, 700000});

    // The battery as the gauge shows it: its step, the low frame, or nothing while unknown.
    RackTables& rack = core.rack();
    rack.VoltageKnown[1] = rack.VoltageKnown[2] = true;
    rack.MeterData[1][Voltage] = 107;
    rack.MeterData[2][Voltage] = 212;
    rack.VoltageKnown[3] = false;

    const ShowSheet sheet = station().showSheet().Sheet();
    ASSERT_EQ(sheet.rows.size(), 3u);
    EXPECT_EQ(sheet.rows[0].battery, QStringLiteral("low"));
    EXPECT_EQ(sheet.rows[1].battery, QStringLiteral("10/10"));
    EXPECT_EQ(sheet.rows[2].battery, QStringLiteral("-"));
    EXPECT_EQ(sheet.rows[0].verdict, QStringLiteral("spacing"));
    EXPECT_EQ(sheet.rows[2].verdict, QStringLiteral("clean"));
    EXPECT_TRUE(sheet.rows[0].hit && !sheet.rows[2].hit);
    for (const ShowSheetRow& row : sheet.rows) {
        EXPECT_EQ(row.backups, QStringList{QStringLiteral("630.000")}) << "slot " << row.slot;
    }
    EXPECT_TRUE(sheet.backups.contains(QStringLiteral("620.000 no longer clean")))
        << sheet.backups.toStdString();
    EXPECT_EQ(sheet.summary, QStringLiteral("2 of 3 receivers in conflict; 1 pair too close"));

    // A file that cannot be written is told, and nothing is traced.
    const QString pdf = print(QStringLiteral("no such folder/sheet.pdf"));
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_EQ(rig->prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = rig->prompter.boxes[0];
    EXPECT_EQ(box.title, QStringLiteral("Print show sheet"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_TRUE(box.text.contains(QDir::toNativeSeparators(pdf))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("Choose another folder")));
    EXPECT_TRUE(sheetsTraced().isEmpty());
    EXPECT_TRUE(rig->Monitoring()); // the box paused polling and gave it back
}

} // namespace
} // namespace k7
