// Check and Coordinate in the editor's controller over the simulated rack (band 36): marks,
// conflict table, fixed transmitters, the set written and its backups, the remembered setup.
#include "editor/EditorCoordination.h"
#include "EditorRig.h"
#include "editor/ConflictTable.h"

namespace k7 {
namespace {

class EditorCoordinationTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.started); }

    // The file's frequencies in kHz, as its reader gives them.
    std::vector<int> fileKHz(const QString& name, int count) {
        const EditorDocument file = rig.readBack(name);
        std::vector<int> kHz;
        for (int i = 1; i <= count; ++i) {
            kHz.push_back(
                FrequencyKHz(file.EditData[static_cast<std::size_t>(i)].Frequency).value_or(-1));
        }
        return kHz;
    }
    GeneratorResult search(const CoordinationSetup& setup) {
        std::optional<CoordinationRun> run = coordination.Prepare(setup);
        EXPECT_TRUE(run.has_value());
        run->options.iterations = 3000; // the same set on any machine
        return GenerateSet(run->rows, run->options);
    }

    test::EditorRig rig;
    FrequencyEditor& editor = rig.editor;
    EditorCoordination coordination{rig.editor};
};

TEST_F(EditorCoordinationTest, CheckMarksEveryConflictingRowAndCountsTheRowsHit) {
    // 2 x 611 - 610 lands on 612 and 2 x 611 - 612 on 610; 620.1 is 100 kHz from 620. Row 2
    // (611) only makes products: it is not hit.
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document({"610.000", "611.000", "612.000",
                                                                 "620.000", "620.100"})));
    ASSERT_TRUE(rig.open("Show.frq"));
    const ConflictReport report = coordination.Check();
    EXPECT_EQ(rig.status(),
              QStringLiteral("4 of 5 rows in conflict; 2 products; 1 pair too close"));
    EXPECT_EQ(report.conflicts, 3);
    const auto tip = [&](int row) { return rig.rows()[static_cast<std::size_t>(row)].decoration; };
    EXPECT_EQ(tip(3).toolTip, QStringLiteral("spacing: 100 kHz from row 5 (Mic005)"));
    EXPECT_EQ(tip(4).toolTip, QStringLiteral("spacing: 100 kHz from row 4 (Mic004)"));
    EXPECT_EQ(tip(3).background, EditorCoordination::ConflictColour());
    // The victim names the product and its makers; the makers name the victim.
    EXPECT_TRUE(tip(2).toolTip.contains(QStringLiteral(
        "3rd order 2-tx: 2 \u00D7 row 2 (Mic002) - row 1 (Mic001) = 612.000 MHz, 0 kHz from this "
        "carrier")))
        << tip(2).toolTip.toStdString();
    EXPECT_TRUE(tip(1).toolTip.contains(QStringLiteral("from row 3 (Mic003)")));

    // The table: the rows hit in row order, each with its kinds and nearest offender.
    const ConflictTable* table = coordination.conflictTable();
    ASSERT_NE(table, nullptr);
    ASSERT_EQ(table->lines.size(), 4u);
    const ConflictTableLine& third = table->lines[1];
    EXPECT_EQ(third.number, 3);
    EXPECT_EQ(third.kinds, QStringLiteral("3rd order 2-tx"));
    EXPECT_EQ(third.nearest, QStringLiteral("2 \u00D7 row 2 (Mic002) - row 1 (Mic001) = "
                                            "612.000 MHz (3rd order 2-tx)"));
    EXPECT_EQ(third.distanceKHz, 0);
    EXPECT_EQ(table->lines[3].nearest, QStringLiteral("row 4 (Mic004) (spacing)"));
    EXPECT_EQ(ConflictTableCsv(*table).split('\n').at(1),
              QByteArray("1,Mic001,610.000,3rd order 2-tx,1,2 \xC3\x97 row 2 (Mic002) - row 3 "
                         "(Mic003) = 610.000 MHz (3rd order 2-tx),0\r"));

    // Any change of the rows takes the marks and the table away.
    editor.SelectRow(0);
    rig.enter("Mic001", "610.000", "6");
    editor.cmdUpdate();
    for (const GridRow& row : rig.rows()) {
        EXPECT_EQ(row.decoration, RowDecoration{});
    }
    EXPECT_EQ(coordination.conflictTable(), nullptr);

    // A clean set says so and marks nothing.
    ASSERT_TRUE(rig.write("Clean.frq", test::EditorRig::Document({"610.000", "615.000"})));
    ASSERT_TRUE(rig.open("Clean.frq"));
    EXPECT_TRUE(coordination.Check().clean());
    EXPECT_EQ(rig.status(), QStringLiteral("No conflicts"));
}

TEST_F(EditorCoordinationTest, CoordinateKeepsLockedRowsAndWritesACleanSet) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document({"610.000", "610.025", "620.000",
                                                                 "620.050", "620.075"})));
    ASSERT_TRUE(rig.open("Show.frq"));
    CoordinationSetup setup = coordination.Setup({0, 2, 7}); // row 8 does not exist
    EXPECT_EQ(setup.locked, (std::set<int>{0, 2}));
    const GeneratorResult result = search(setup);
    ASSERT_TRUE(coordination.Apply(setup, result));

    const std::vector<int> kHz = fileKHz("Show.frq", 5);
    EXPECT_EQ(kHz[0], 610000);
    EXPECT_EQ(kHz[2], 620000);
    EXPECT_TRUE(IsClean(kHz, setup.rules));
    const BandPlan band = *coordination.Band();
    for (const int carrier : kHz) {
        EXPECT_TRUE(band.IsChannel(carrier)) << carrier;
    }
    EXPECT_TRUE(rig.fileMatchesGrid());
    // Names and mute levels stay.
    EXPECT_EQ(rig.rows()[1].cells[1], QStringLiteral("Mic002"));
    EXPECT_EQ(rig.rows()[1].cells[3], QStringLiteral("5"));
    EXPECT_EQ(rig.status(), QStringLiteral("Coordinated: 3 rows filled; the set is clean"));
    EXPECT_TRUE(rig.prompter.boxes.empty());
}

TEST_F(EditorCoordinationTest, FixedTransmittersCountAndBackupsStayInTheStatusLine) {
    // 2 x 612 - 614 = 610: the fixed in-ear monitor at 614 and row 2 hit row 1; and
    // 2 x 612 - 610 = 614 hits the in-ear monitor.
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document({"610.000", "612.000"})));
    ASSERT_TRUE(rig.open("Show.frq"));
    CoordinationSetup setup = coordination.Setup({});
    setup.fixed = {{614000, "IEM 1"}};
    SaveCoordinationSetup(rig.harness.settings, setup);
    EXPECT_EQ(coordination.Check().conflicts, 2);
    EXPECT_EQ(rig.status(),
              QStringLiteral("1 of 2 rows in conflict; 2 products; 1 fixed transmitter hit"));
    ASSERT_NE(coordination.conflictTable(), nullptr);
    EXPECT_EQ(coordination.conflictTable()->lines.back().number, 0); // the fixed one, last
    EXPECT_EQ(coordination.conflictTable()->lines.back().name, QStringLiteral("IEM 1"));
    EXPECT_TRUE(rig.rows()[0].decoration.toolTip.contains(
        QStringLiteral("2 \u00D7 row 2 (Mic002) - fixed 614.000 (IEM 1) = 610.000 MHz")));

    // Coordinated around the fixed carrier, with backups clean against set and fixed carrier.
    setup.backups = 3;
    const GeneratorResult result = search(setup);
    ASSERT_EQ(result.backups.size(), 3u);
    ASSERT_TRUE(coordination.Apply(setup, result));
    const std::vector<int> kHz = fileKHz("Show.frq", 2);
    EXPECT_TRUE(CountConflicts(kHz, setup.fixed, setup.rules).clean());
    QStringList backups;
    for (const int backup : result.backups) {
        EXPECT_TRUE(ConflictsBeside(backup, kHz, setup.fixed, setup.rules).empty()) << backup;
        backups << FrequencyText(backup, QLatin1Char('.'));
    }
    const QString kept = QStringLiteral("; backups ") + backups.join(QStringLiteral(", "));
    EXPECT_EQ(rig.status(), QStringLiteral("Coordinated: 2 rows filled; the set is clean") + kept);
    EXPECT_EQ(coordination.conflictTable(), nullptr); // clean: no table

    // A backup a row now takes is no longer clean: Check says so.
    editor.SelectRow(1);
    rig.enter(QStringLiteral("Mic002"), backups[0], QStringLiteral("5"));
    editor.cmdUpdate();
    coordination.Check();
    EXPECT_TRUE(rig.status().endsWith(backups[0] + QStringLiteral(" no longer clean)")))
        << rig.status().toStdString();
}

TEST_F(EditorCoordinationTest, ABandTooSmallFillsWhatItCanAndMarksTheRest) {
    ASSERT_TRUE(rig.write("Show.frq",
                          test::EditorRig::Document({"610.000", "610.025", "610.050", "610.075",
                                                     "610.100", "610.125", "610.150", "610.175"})));
    ASSERT_TRUE(rig.open("Show.frq"));
    const QByteArray before = rig.bytes("Show.frq");
    CoordinationSetup setup = coordination.Setup({});
    setup.excluded = {{606000, 636000}}; // 2 MHz left: far fewer than eight clean carriers
    const GeneratorResult result = search(setup);
    const auto found = static_cast<int>(result.carriers.size());
    ASSERT_GT(found, 0);
    ASSERT_LT(found, 8);
    ASSERT_TRUE(coordination.Apply(setup, result));
    EXPECT_NE(rig.bytes("Show.frq"), before);

    const std::vector<int> kHz = fileKHz("Show.frq", 8);
    for (int r = 0; r < 8; ++r) {
        const RowDecoration& mark = rig.rows()[static_cast<std::size_t>(r)].decoration;
        if (r < found) {
            EXPECT_GE(kHz[static_cast<std::size_t>(r)], 636025);
        } else {
            EXPECT_EQ(kHz[static_cast<std::size_t>(r)], 610000 + 25 * r); // unchanged
            EXPECT_EQ(mark.background, EditorCoordination::UnfilledColour());
            EXPECT_TRUE(mark.toolTip.startsWith(QStringLiteral("Not filled")));
        }
    }
    EXPECT_TRUE(rig.status().startsWith(QStringLiteral("Coordinated: %1 of 8 rows filled; the "
                                                       "set is not clean")
                                            .arg(found)))
        << rig.status().toStdString();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_TRUE(rig.prompter.boxes[0].text.contains(
        QStringLiteral("The band holds only %1 clean carriers").arg(found)));
}

TEST_F(EditorCoordinationTest, TheRulesAreRememberedAndRangesAreReadOrRefusedByLine) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.open("Show.frq"));
    CoordinationSetup setup = coordination.Setup({});
    EXPECT_EQ(setup.rules, CoordinationRules{});
    setup.rules = {400, 0, 60, 30};
    setup.budgetSeconds = 7;
    const ExclusionsRead ranges = ParseExclusions(QStringLiteral("\n 610,5 - 610.000 \n620\n"));
    ASSERT_EQ(ranges.errorLine, 0);
    const QString rangesText = QStringLiteral("610.000-610.500\n620.000-620.000");
    EXPECT_EQ(ExclusionsText(ranges.ranges), rangesText);
    setup.excluded = ranges.ranges;
    ASSERT_TRUE(coordination.Prepare(setup).has_value());

    CoordinationSetup again = coordination.Setup({1});
    EXPECT_EQ(again.rules, setup.rules);
    EXPECT_EQ(again.budgetSeconds, 7);
    EXPECT_EQ(ExclusionsText(again.excluded), rangesText);
    EXPECT_EQ(again.locked, std::set<int>{1});

    EXPECT_EQ(ParseExclusions(QStringLiteral("610-611\n612-x\n")).errorLine, 2);
    EXPECT_EQ(ParseExclusions(QStringLiteral("610-611-612")).errorLine, 1);

    // Fixed transmitters: a frequency and an optional label a line, kept with their labels.
    const FixedRead fixed =
        ParseFixed(QStringLiteral(" 612,4  IEM 1 \n\n630.000\tTalk; back\n640"));
    ASSERT_EQ(fixed.errorLine, 0);
    EXPECT_EQ(fixed.carriers,
              (std::vector<FixedCarrier>{{612400, "IEM 1"}, {630000, "Talk; back"}, {640000, ""}}));
    EXPECT_EQ(ParseFixed(QStringLiteral("612.400\nIEM 2 613.000")).errorLine, 2);
    EXPECT_EQ(ParseFixed(QStringLiteral("0 nothing")).errorLine, 1);
    setup.fixed = fixed.carriers;
    setup.backups = 4;
    ASSERT_TRUE(coordination.Prepare(setup).has_value());
    const CoordinationSetup kept = LoadCoordinationSetup(rig.harness.settings);
    EXPECT_EQ(kept.fixed, fixed.carriers);
    EXPECT_EQ(kept.backups, 4);
    EXPECT_EQ(FixedText(kept.fixed), QStringLiteral("612.400 IEM 1\n630.000 Talk; back\n640.000"));
}

} // namespace
} // namespace k7
