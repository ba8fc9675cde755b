// File > "Print show sheet..." on the whole station over the simulated rack: a 40-receiver rack
// on one A4 page that names every receiver (read back with poppler's pdfinfo and pdftotext),
// each row's verdict as the rack check decides it, the backups its band can take, the labels
// given, the trace; a file that cannot be written is told and nothing is left behind.
#include "app/RackCoordination.h"
#include "app/ShowSheetCommand.h"
#include "app/ShowSheetPage.h"
#include "support/StationRig.h"

#include <QDir>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <map>

namespace k7 {
namespace {

// A poppler tool's standard output on the file ("" when it cannot run: the test says so).
QString Poppler(const QString& tool, const QStringList& arguments) {
    const QString program = QStandardPaths::findExecutable(tool);
    if (program.isEmpty()) {
        ADD_FAILURE() << tool.toStdString() << " is missing: install poppler-utils";
        return {};
    }
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

class ShowSheetTest : public ::testing::Test {
protected:
    void start(int receivers) {
        rig = std::make_unique<test::StationRig>(test::RackOf(receivers));
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
    std::vector<QJsonObject> sheetsTraced() {
        std::vector<QJsonObject> sheets;
        for (const QJsonObject& line : rig->TraceLines()) {
            if (line["event"].toString() == QStringLiteral("show-sheet")) {
                sheets.push_back(line);
            }
        }
        return sheets;
    }

    std::unique_ptr<test::StationRig> rig;
};

TEST_F(ShowSheetTest, FortyReceiversFitOneA4PageThatNamesEveryReceiverWithTheCheckVerdicts) {
    start(40);
    // Labels on all but a few receivers, and backups: the sheet as a show has it.
    const DeviceTables& devices = station().core().devices();
    std::map<QString, int> slotOf;
    for (int slot = 1; slot <= 40; ++slot) {
        slotOf[QString::fromLatin1(devices.SlotSerial[static_cast<std::size_t>(slot)].data())] =
            slot;
    }
    station().showSheet().SetLabels([&](const QString& serial) {
        static const std::array<const char*, 6> kWho{"Anna - Lead vocal",
                                                     "Ben - Guitar",
                                                     "Ensemble",
                                                     "Presenter",
                                                     "\u0425\u043e\u0440 - Ch\u0153ur",
                                                     "Spare"};
        const int slot = slotOf[serial];
        return slot % 7 == 3
                   ? std::pair<QString, QString>()
                   : std::pair{QString::fromUtf8(kWho[slot % 6]) + QStringLiteral(" %1").arg(slot),
                               slot <= 12 ? QStringLiteral("Band") : QStringLiteral("Cast")};
    });
    station().rackCoordination().backups().Replace(std::vector<int>{630000, 632000, 636500});
    rig->clock.advanceMs(25000); // the gauges show a voltage once their hold has passed
    const QString pdf = print(QStringLiteral("sheet.pdf"));
    // K7_SHOW_SHEET_SNAPSHOT=FILE.pdf keeps the page for the README's picture of it.
    if (const QString keep = qEnvironmentVariable("K7_SHOW_SHEET_SNAPSHOT"); !keep.isEmpty()) {
        QFile::remove(keep);
        QFile::copy(pdf, keep);
    }

    const QString info = Poppler(QStringLiteral("pdfinfo"), {pdf});
    EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))))
        << info.toStdString();
    EXPECT_TRUE(info.contains(QStringLiteral("(A4)"))) << info.toStdString();
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    const RackTables& rack = station().core().rack();
    for (int slot = 1; slot <= 40; ++slot) {
        const QString& name = rack.CurData[static_cast<std::size_t>(slot)].Name;
        EXPECT_TRUE(text.contains(name)) << "slot " << slot << " " << name.toStdString();
    }
    EXPECT_TRUE(text.contains(QStringLiteral("Rules: spacing 350 kHz, 3rd order 2-tx")));

    const std::vector<QJsonObject> sheets = sheetsTraced();
    ASSERT_EQ(sheets.size(), 1u);
    EXPECT_EQ(sheets[0]["file"].toString(), pdf);
    EXPECT_EQ(sheets[0]["pages"].toInt(), 1);
    // The dialog proposed a name of the moment in the data folder, as a PDF.
    ASSERT_EQ(rig->chooser.dialogs.size(), 1u);
    EXPECT_TRUE(rig->chooser.dialogs[0].folder.startsWith(station().core().frq().dataFolder()));
    EXPECT_TRUE(rig->chooser.dialogs[0].folder.endsWith(QStringLiteral(".pdf")));

    // Every row's verdict is the rack check's, slot by slot.
    rig->prompter.answers = {MsgAnswer::No};
    station().rackCoordination().Check();
    std::map<int, QString> checked;
    for (const ConflictTableLine& line : station().rackCoordination().conflictTable().lines) {
        checked[line.number] = line.kinds;
    }
    const ShowSheet sheet = station().showSheet().Sheet();
    ASSERT_EQ(sheet.rows.size(), 40u);
    for (const ShowSheetRow& row : sheet.rows) {
        EXPECT_EQ(row.verdict,
                  checked.contains(row.slot) ? checked[row.slot] : QStringLiteral("clean"))
            << "slot " << row.slot;
    }
}

TEST_F(ShowSheetTest, RowsCarryTheKindsThatHitThemTheirLabelsAndTheBackupsTheirBandTakes) {
    start(3);
    StationCore& core = station().core();
    for (const auto& [slot, frequency] :
         {std::pair{1, "610.000"}, {2, "610.100"}, {3, "615.000"}}) {
        core.settings().Current(slot).Frequency = QString::fromLatin1(frequency);
    }
    // 630.000 is clean beside the rack; 620.000 is 2 x 615.000 - 610.000; 700.000 is no
    // channel of the rack's band.
    station().rackCoordination().backups().Replace(std::vector<int>{620000, 630000, 700000});
    const QString serial2 = QString::fromLatin1(core.devices().SlotSerial[2].data());
    station().showSheet().SetLabels([&](const QString& serial) {
        return serial == serial2
                   ? std::pair{QStringLiteral("Anna - Lead vocal"), QStringLiteral("Band")}
                   : std::pair<QString, QString>();
    });

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
    EXPECT_TRUE(sheet.rows[0].hit);
    EXPECT_EQ(sheet.rows[2].verdict, QStringLiteral("clean"));
    EXPECT_FALSE(sheet.rows[2].hit);
    EXPECT_EQ(sheet.rows[1].label, QStringLiteral("Anna - Lead vocal"));
    EXPECT_TRUE(sheet.rows[0].label.isEmpty());
    for (const ShowSheetRow& row : sheet.rows) {
        EXPECT_EQ(row.backups, QStringList{QStringLiteral("630.000")}) << "slot " << row.slot;
    }
    EXPECT_TRUE(sheet.backups.contains(QStringLiteral("620.000 no longer clean")))
        << sheet.backups.toStdString();
    EXPECT_EQ(sheet.summary, QStringLiteral("2 of 3 receivers in conflict; 1 pair too close"));

    // What the page shows of it.
    const QString pdf = print(QStringLiteral("three.pdf"));
    const QString text =
        Poppler(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
    for (const char* shown : {"Anna - Lead vocal", "spacing", "clean", "630.000", "610.100",
                              "2 of 3 receivers in conflict"}) {
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << "\n" << text.toStdString();
    }
}

TEST_F(ShowSheetTest, AFileThatCannotBeWrittenIsToldAndNothingIsTraced) {
    start(3);
    const QString pdf = print(QStringLiteral("no such folder/sheet.pdf"));
    EXPECT_FALSE(QFile::exists(pdf));
    ASSERT_EQ(rig->prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = rig->prompter.boxes[0];
    EXPECT_EQ(box.title, QStringLiteral("Print show sheet"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_TRUE(box.text.contains(QDir::toNativeSeparators(pdf))) << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("Choose another folder")));
    EXPECT_TRUE(sheetsTraced().empty());
    EXPECT_TRUE(rig->Monitoring()); // the box paused polling and gave it back

    // Cancelled: no box, no file.
    rig->chooser.choices = {QString()};
    station().window().MenuFileCommand(FileCommand::ShowSheet);
    EXPECT_EQ(rig->prompter.boxes.size(), 1u);
}

} // namespace
} // namespace k7
