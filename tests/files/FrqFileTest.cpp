// The .frq writers and readers: round trips, the reader rules, failures and atomic writes.
#include "FrqTestRack.h"

#include <QFileInfo>

#include <gtest/gtest.h>

namespace k7 {
namespace {

class FrqFileTest : public ::testing::Test, public test::FrqTestRack {};

TEST_F(FrqFileTest, EditorFileRoundTrip) {
    editor.EntryCount = 12;
    editor.GlobalMuteLevel = 7;
    const QStringList bandTypes{"0", "64", "128", "192"};
    for (int i = 1; i <= 40; ++i) {
        editor.EditNames[i] = QStringLiteral("N%1").arg(i);
        editor.EditData[i] = {
            QString(),
            QStringLiteral("6%1.%2").arg(10 + i % 28).arg(i * 25 % 1000, 3, 10, QLatin1Char('0')),
            QString::number(i % 11), bandTypes[i % 4]};
    }
    editor.EditNames[1] = QStringLiteral("A b");
    editor.EditNames[2] = QStringLiteral("Lead Vocal");
    const FileResult result = frq.SaveEditorFile("Show.frq", editor);
    ASSERT_TRUE(result) << result.why().toStdString();

    EXPECT_EQ(lines("Show.frq")[3], "A b"); // written as it stands (the layout: FrqCodecTest)

    const EditorDocument saved = editor;
    editor = EditorDocument{};
    EXPECT_EQ(readEditor("Show.frq"), FrqResult::Read);
    EXPECT_EQ(editor.EntryCount, 12);
    EXPECT_EQ(editor.GlobalMuteLevel, 7);
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(editor.EditData[i].Frequency, saved.EditData[i].Frequency) << i;
        EXPECT_EQ(editor.EditData[i].MuteLevel, saved.EditData[i].MuteLevel) << i;
        EXPECT_EQ(editor.EditData[i].BandType, saved.EditData[i].BandType) << i;
    }
    EXPECT_EQ(editor.EditData[1].Name, "A_b___");
    EXPECT_EQ(editor.EditData[2].Name, "Lead_Vocal");
    EXPECT_EQ(editor.EditData[10].Name, "N10___");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FrqFileTest, RackFileRoundTripAndUserMuteFromTheSetInForce) {
    devices.DeviceCount = 3;
    FrqDocument document{3, 4, {}};
    for (int i = 1; i <= 40; ++i) {
        document.Entries[i] = {QStringLiteral("Rx%1___").arg(i % 10), QStringLiteral("613.575"),
                               QStringLiteral("3"),
                               i == 2 ? QStringLiteral("64") : QStringLiteral("1")};
    }
    rig.UseFile("Rack.frq", document); // CurData is now the file's entries
    EXPECT_EQ(files.EntryCount(), 3);
    EXPECT_EQ(files.GlobalMuteLevel(), 4);
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(rack.CurData[i], document.Entries[i]) << i;
    }
    rack.UserMute.fill(true);
    EXPECT_EQ(files.LoadRackFile("Rack.frq"), FrqResult::Read);
    EXPECT_FALSE(rack.UserMute[1]);
    EXPECT_TRUE(rack.UserMute[2]); // the set in force has bit 6, and so has the line read

    // The mute bit comes from CurData, not from the line just read.
    rack.CurData[2].BandType = QStringLiteral("0");
    EXPECT_EQ(files.LoadRackFile("Rack.frq"), FrqResult::Read);
    EXPECT_FALSE(rack.UserMute[2]);
}

TEST_F(FrqFileTest, WindowsTextAndEitherSeparator) {
    editor.EditNames[1] = QString::fromUtf8("Müller€Ω");
    for (int i = 1; i <= 40; ++i) {
        editor.EditData[i].Frequency = QStringLiteral("606,600");
    }
    rack.DecimalSeparatorCode = ',';
    ASSERT_TRUE(frq.SaveEditorFile("Euro.frq", editor).ok());
    EXPECT_TRUE(readRaw("Euro.frq").contains("M\xFCller\x80?\r\n606,600\r\n"));

    rack.DecimalSeparatorCode = '.';
    EXPECT_EQ(readEditor("Euro.frq"), FrqResult::Read);
    EXPECT_EQ(editor.EditData[1].Name, QString::fromUtf8("Müller€?"));
    EXPECT_EQ(editor.EditData[1].Frequency, "606.600");
    EXPECT_EQ(editor.EditData[40].Frequency, "606.600");

    QStringList text = validLines();
    text[lineOf(1, 1)] = QStringLiteral("613.575");
    writeLines("Point.frq", text);
    rack.DecimalSeparatorCode = ',';
    EXPECT_EQ(readRack("Point.frq"), FrqResult::Read);
    EXPECT_EQ(loaded.Entries[1].Frequency, "613,575");
}

TEST_F(FrqFileTest, EntryCountLineByModel) {
    struct Case {
        int model;
        const char* line;
        int expected;
    };
    const Case cases[] = {{ModelK73, "Global Mute", 12},
                          {ModelK75, "Global Mute", 24},
                          {ModelJapanese, "Global Mute", 6},
                          {ModelK75, "30", 24},
                          {ModelK73, "13", 12},
                          {ModelJapanese, "7", 6},
                          {ModelJapanese, "6", 6},
                          {ModelK75, "0", 0},
                          {ModelK75, "-3", 0},
                          {0, "99", 40},
                          {0, "Global Mute", 17}};
    for (const Case& c : cases) {
        devices.ModelVariant = c.model;
        loaded.EntryCount = 17;
        QStringList text = validLines();
        text[1] = QString::fromLatin1(c.line);
        writeLines("Count.frq", text);
        EXPECT_EQ(readRack("Count.frq"), FrqResult::Read) << c.line;
        EXPECT_EQ(loaded.EntryCount, c.expected) << c.model << " " << c.line;
    }

    QStringList text = validLines();
    text[1] = QString();
    writeLines("Empty.frq", text);
    EXPECT_EQ(readEditor("Empty.frq"), FrqResult::Read);
    EXPECT_EQ(editor.EntryCount, 24);
    EXPECT_TRUE(prompter.boxes.empty());

    EXPECT_EQ(readRack("Empty.frq"), FrqResult::Failed);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].text,
              "An error occurred reading the file\r\nThe file may be corrupt\r\n13");
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.boxes[0].title.isEmpty());
}

TEST_F(FrqFileTest, GlobalMuteMuteLevelAndBandTypeRulesDifferByReader) {
    QStringList text = validLines();
    text[2] = QStringLiteral("0");
    text[lineOf(1, 2)] = QStringLiteral("11");
    text[lineOf(2, 2)] = QStringLiteral("-1");
    text[lineOf(3, 2)] = QStringLiteral("10");
    text[lineOf(4, 2)] = QStringLiteral("x");
    text[lineOf(1, 3)] = QStringLiteral("128");
    text[lineOf(2, 3)] = QStringLiteral("1");
    text[lineOf(3, 3)] = QStringLiteral("64");
    text[lineOf(4, 3)] = QStringLiteral("65");
    writeLines("Rules.frq", text);

    EXPECT_EQ(readEditor("Rules.frq"), FrqResult::Read);
    EXPECT_EQ(editor.GlobalMuteLevel, 0);
    const QStringList editorMutes{"5", "5", "10", "5"};
    const QStringList editorBands{"128", "0", "64", "0"};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(editor.EditData[i].MuteLevel, editorMutes[i - 1]) << i;
        EXPECT_EQ(editor.EditData[i].BandType, editorBands[i - 1]) << i;
    }

    EXPECT_EQ(readRack("Rules.frq"), FrqResult::Read);
    EXPECT_EQ(loaded.GlobalMuteLevel, 2);
    const QStringList rackBands{"0", "1", "64", "0"};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(loaded.Entries[i].MuteLevel, editorMutes[i - 1]) << i;
        EXPECT_EQ(loaded.Entries[i].BandType, rackBands[i - 1]) << i;
    }

    for (const char* line : {"abc", "11", ""}) {
        text[2] = QString::fromLatin1(line);
        writeLines("Rules.frq", text);
        EXPECT_EQ(readEditor("Rules.frq"), FrqResult::Read);
        EXPECT_EQ(editor.GlobalMuteLevel, 5) << line;
        EXPECT_EQ(readRack("Rules.frq"), FrqResult::Read);
        EXPECT_EQ(loaded.GlobalMuteLevel, 2) << line;
    }
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FrqFileTest, ReadsStopAtAnEmptyFrequencyOrAMissingSeparatorLine) {
    for (int i = 1; i <= 40; ++i) {
        editor.EditData[i] = {"old", "old", "old", "old"};
    }
    QStringList text = validLines();
    text[lineOf(3, 1)] = QString();
    writeLines("Hole.frq", text);
    EXPECT_EQ(readEditor("Hole.frq"), FrqResult::Number); // what it keeps: FrqCodecTest
    EXPECT_EQ(editor.EditData[3].Name, "Mic003");
    EXPECT_EQ(editor.EditData[3].Frequency, "old");

    text = validLines();
    text[lineOf(3, 4)] = QStringLiteral("x");
    writeLines("NoLine.frq", text);
    EXPECT_EQ(readRack("NoLine.frq"), FrqResult::NoLine);
    EXPECT_EQ(loaded.Entries[3].BandType, "0");
    EXPECT_TRUE(loaded.Entries[4].Name.isEmpty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FrqFileTest, OutOfRangeEntryInEachReader) {
    QStringList text = validLines();
    text[lineOf(5, 1)] = QStringLiteral("865.000");
    writeLines("Wide.frq", text);

    EXPECT_EQ(readEditor("Wide.frq"), FrqResult::Exit);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Possible file error");
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(prompter.boxes[0].text,
              "865.000 Frequency is out of range\r\nThe Possible reasons may be :\r\n\r\n"
              "  1. The frequency file contains data that does not\r\n"
              "      match the receiver band\r\n\r\n  2. Wide.frq may be corrupt\r\n\r\n"
              "  Please check your settings.\r\n\r\n  Exiting file load \r\n");

    EXPECT_EQ(readRack("Wide.frq"), FrqResult::Exit);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[1].title, "Possible file error");
    EXPECT_EQ(prompter.boxes[1].text,
              "Frequency 865.000 MHz is out of range\r\n\r\nIt may be that :\r\n"
              "  1. The frequency in the file may not lie inside \r\n"
              "     the Band spread for your receivers.\r\n\r\n"
              "  2. The file ''Wide.frq'' may be corrupt\r\n\r\n  Please check the file.\r\n\r\n"
              "  Exiting file load \r\n");
    EXPECT_TRUE(loaded.Entries[6].Name.isEmpty());

    // During discovery the entry is kept and the read goes on.
    EXPECT_EQ(readRack("Wide.frq", RangeRule::KeepOutOfRange), FrqResult::Read);
    EXPECT_EQ(loaded.Entries[5].Frequency, "865.000");
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(FrqFileTest, JapaneseFileOutsideItsBandAsksOnceAtMost) {
    devices.SlotBand[1] = 14;
    writeLines("Band36.frq", validLines());
    EXPECT_EQ(readRack("Band36.frq", RangeRule::KeepOutOfRange), FrqResult::Read);
    EXPECT_TRUE(prompter.boxes.empty());

    EXPECT_EQ(readRack("Band36.frq"), FrqResult::Exit);
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(readEditor("Band36.frq"), FrqResult::Exit);
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(FrqFileTest, MissingShortOversizedAndForeignFiles) {
    loaded.Entries[1].Name = QStringLiteral("keep");
    for (const char* name : {"Nothing.frq", "../Outside.frq", "sub/x.frq", "", ".."}) {
        EXPECT_EQ(readRack(name), FrqResult::NoFile) << name;
    }
    EXPECT_EQ(loaded.Entries[1].Name, "keep");
    EXPECT_TRUE(prompter.boxes.empty());

    EXPECT_EQ(readEditor("Nothing.frq"), FrqResult::Failed);
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.boxes[0].text.endsWith("\r\n53"));

    QStringList text = validLines();
    text = text.mid(0, 150);
    writeLines("Short.frq", text);
    EXPECT_EQ(readRack("Short.frq"), FrqResult::Failed);
    EXPECT_EQ(prompter.boxes.back().text,
              "An error occurred reading the file\r\nThe file may be corrupt\r\n62");
    EXPECT_EQ(loaded.Entries[29].Name, "Mic029"); // what came before the end stays

    // Without the final line end the last separator line is missing too.
    QByteArray whole = (validLines().join("\r\n")).toLatin1();
    writeRaw("NoEnd.frq", whole);
    EXPECT_EQ(readEditor("NoEnd.frq"), FrqResult::Failed);
    writeRaw("Unix.frq", (validLines().join("\n") + "\n").toLatin1());
    EXPECT_EQ(readEditor("Unix.frq"), FrqResult::Read);

    text = validLines();
    text[lineOf(1, 0)] = QString(kMaxFrqBytes, QLatin1Char('x'));
    writeLines("Huge.frq", text);
    EXPECT_EQ(readEditor("Huge.frq"), FrqResult::Failed);
    EXPECT_TRUE(prompter.boxes.back().text.endsWith("\r\n7"));

    text[lineOf(1, 0)] = QString(20000, QLatin1Char('x'));
    writeLines("Long.frq", text);
    EXPECT_EQ(readEditor("Long.frq"), FrqResult::Read);
    EXPECT_EQ(editor.EditData[1].Name.size(), 20000);

    QDir(folder).mkdir("Folder.frq");
    EXPECT_FALSE(frq.FrqFileExists("Folder.frq"));
    EXPECT_EQ(readRack("Folder.frq"), FrqResult::NoFile);
}

TEST_F(FrqFileTest, AWriteWithNowhereToGoFailsAndNamesTheFile) {
    // (A disk that fills up in the middle of the write: WholeFileTest.)
    // A folder standing where the file should be.
    QDir(folder).mkdir("Busy.frq");
    EXPECT_FALSE(frq.WriteFile("Busy.frq", {}));
    EXPECT_TRUE(QFileInfo(path("Busy.frq")).isDir());

    // Names that would leave the folder are refused.
    EXPECT_FALSE(frq.WriteFile("../Escape.frq", {}));
    EXPECT_FALSE(frq.WriteFile("a\\b.frq", {}));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/Escape.frq"));

    // No folder at all.
    QDir(folder).removeRecursively();
    const FileResult nowhere = frq.WriteFile("Show.frq", {});
    EXPECT_FALSE(nowhere);
    EXPECT_TRUE(nowhere.why().contains("Show.frq"));
}

} // namespace
} // namespace k7
