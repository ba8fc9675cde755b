// CSV export and import of the editor's entries over the simulated rack (band 36): the round
// trip, the point whatever the user's separator, and the files an import refuses whole, with
// the editor and its file left as they were.
#include "editor/EditorCsv.h"
#include "EditorRig.h"

namespace k7 {
namespace {

class EditorCsvTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.started); }

    bool writeCsv(const QString& name, const QByteArray& bytes) const {
        QFile file(rig.path(name));
        return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
    }
    // Refuses the file and leaves grid and file as they were; the refusal's text.
    QString refused(const QString& name) {
        const std::vector<GridRow> rows = rig.rows();
        const QByteArray file = rig.bytes("Show.frq");
        const std::size_t boxes = rig.prompter.boxes.size();
        EXPECT_FALSE(csv.ImportFile(rig.path(name)));
        EXPECT_EQ(rig.rows(), rows);
        EXPECT_EQ(rig.bytes("Show.frq"), file);
        EXPECT_EQ(rig.prompter.boxes.size(), boxes + 1);
        if (rig.prompter.boxes.size() != boxes + 1) {
            return {};
        }
        EXPECT_EQ(rig.prompter.boxes.back().title, QStringLiteral("Import refused"));
        return rig.prompter.boxes.back().text;
    }
    static QByteArray Lines(int count) {
        QByteArray text = "name,frequency,mute\r\n";
        for (int i = 0; i < count; ++i) {
            text += "P" + QByteArray::number(i) + "," + QByteArray::number(610 + i) + ".000,5\r\n";
        }
        return text;
    }

    test::EditorRig rig;
    FrequencyEditor& editor = rig.editor;
    EditorCsv csv{rig.editor};
};

TEST_F(EditorCsvTest, ExportThenImportGivesTheSameEntries) {
    FrqDocument document = test::EditorRig::Document({"606.600", "612.025", "637.975"});
    document.Entries[2].Name = QStringLiteral("a,\"b");
    document.Entries[3].MuteLevel = QStringLiteral("10");
    ASSERT_TRUE(rig.write("Show.frq", document));
    ASSERT_TRUE(rig.open("Show.frq"));
    const std::vector<GridRow> original = rig.rows();
    ASSERT_TRUE(csv.ExportFile(rig.path("plan.csv")));
    EXPECT_TRUE(rig.bytes("plan.csv").startsWith("name,frequency,mute\r\nMic001,606.600,5\r\n"));
    EXPECT_TRUE(rig.status().startsWith(QStringLiteral("Exported 3 entries to ")));

    editor.SelectRow(2);
    editor.cmdDelete();
    rig.enter("Other", "630", "2");
    editor.cmdUpdate();
    ASSERT_NE(rig.rows(), original);
    ASSERT_TRUE(csv.ImportFile(rig.path("plan.csv")));
    ASSERT_EQ(rig.rows().size(), original.size());
    for (std::size_t r = 0; r < original.size(); ++r) {
        EXPECT_EQ(rig.rows()[r].cells, original[r].cells) << r;
    }
    EXPECT_TRUE(rig.fileMatchesGrid());
    EXPECT_EQ(rig.status(), QStringLiteral("Imported 3 entries from plan.csv into Show.frq"));
}

TEST_F(EditorCsvTest, ACommaLocaleExportsAPointAndImportsIt) {
    rig.harness.rack.DecimalSeparatorCode = ',';
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document({"606,600", "612,025"})));
    ASSERT_TRUE(rig.open("Show.frq"));
    ASSERT_EQ(rig.rows()[1].cells[2], QStringLiteral("612,025"));
    ASSERT_TRUE(csv.ExportFile(rig.path("plan.csv")));
    EXPECT_EQ(rig.bytes("plan.csv"),
              QByteArray("name,frequency,mute\r\nMic001,606.600,5\r\nMic002,612.025,5\r\n"));

    // A spreadsheet's short form comes back in the editor's own: separator, raster, three
    // decimals; names as a receiver shows them.
    ASSERT_TRUE(writeCsv("in.csv", "name,frequency,mute\n\"Lead vocal\",612.03,\nx,606.6,10\n"));
    ASSERT_TRUE(csv.ImportFile(rig.path("in.csv")));
    ASSERT_EQ(rig.rows().size(), 2u);
    EXPECT_EQ(rig.rows()[0].cells, (std::array<QString, 4>{"1", "Lead_v", "612,025", "5"}));
    EXPECT_EQ(rig.rows()[1].cells, (std::array<QString, 4>{"2", "x", "606,600", "10"}));
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(EditorCsvTest, AFileThatDoesNotFitIsRefusedWholeNamingTheLine) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(3)));
    ASSERT_TRUE(rig.open("Show.frq"));

    ASSERT_TRUE(writeCsv("band.csv", "name,frequency,mute\r\na,610.000,5\r\nb,611.000,5\r\n"
                                     "c,700.000,5\r\nd,612.000,5\r\n"));
    const QString band = refused("band.csv");
    EXPECT_TRUE(band.contains(QStringLiteral("Line 4: 700.000 MHz is out of the receivers' band. "
                                             "Only 606.000 to 638.000 is allowed")))
        << band.toStdString();
    EXPECT_TRUE(band.contains(QStringLiteral("The editor and Show.frq are unchanged")));
    EXPECT_EQ(rig.status(), QStringLiteral("Not imported: band.csv"));

    ASSERT_TRUE(writeCsv("full.csv", Lines(25)));
    EXPECT_TRUE(refused("full.csv").contains(QStringLiteral("a set holds at most 24 (line 26")));
    ASSERT_TRUE(writeCsv("most.csv", Lines(24)));
    EXPECT_TRUE(csv.ImportFile(rig.path("most.csv")));
    EXPECT_EQ(rig.rows().size(), 24u);

    ASSERT_TRUE(writeCsv("mute.csv", "name,frequency,mute\r\na,610.000,11\r\n"));
    EXPECT_TRUE(refused("mute.csv").contains(QStringLiteral("Line 2: the mute level \"11\"")));
    ASSERT_TRUE(writeCsv("text.csv", "name,frequency,mute\r\na,610.000,5\r\nb,6l0.000,5\r\n"));
    EXPECT_TRUE(refused("text.csv").contains(QStringLiteral("Line 3: \"6l0.000\" is not a")));
    ASSERT_TRUE(writeCsv("none.csv", "name,frequency,mute\r\n"));
    EXPECT_TRUE(refused("none.csv").contains(QStringLiteral("no entries")));
    EXPECT_TRUE(refused("missing.csv").contains(QStringLiteral("could not be opened")));
}

TEST_F(EditorCsvTest, AnExportThatCannotBeWrittenSaysSoAndLeavesNoFile) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.open("Show.frq"));
    const QString path = rig.path("no/such/folder/plan.csv");
    EXPECT_FALSE(csv.ExportFile(path));
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, QStringLiteral("Export failed"));
    EXPECT_TRUE(rig.prompter.boxes[0].text.contains(QStringLiteral("could not be written")));
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
} // namespace k7
