// The .frq writers and readers: round trips, the reader rules, failures and atomic writes.
#include "FrqTestRack.h"

#include <QFileInfo>

#include <functional>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace k7 {
namespace {

class FrqFileTest : public ::testing::Test, public test::FrqTestRack {
protected:
    // What the caller runs before a box of the rack's load: the start-up dialog goes first.
    std::size_t boxesWhenHidden = 99;
    std::function<void()> hideDialog = [this] {
        boxesWhenHidden = prompter.boxes.size();
        dialog.HideDialog();
    };
};

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
    editor.EditNames[3] = QStringLiteral("Sax__1");
    ASSERT_TRUE(frq.SaveEditorFile("Show.frq", editor)) << frq.errorString().toStdString();

    const QStringList written = lines("Show.frq");
    ASSERT_EQ(written.size(), 203);
    EXPECT_EQ(written[0], "Veltora USB Receiver file");
    EXPECT_EQ(written[1], "12");
    EXPECT_EQ(written[2], "7");
    EXPECT_EQ(written[3], "A b"); // written as it stands
    EXPECT_EQ(written[7], "");

    const EditorDocument saved = editor;
    editor = EditorDocument{};
    EXPECT_EQ(frq.ReadEditorFile("Show.frq", editor), "Show.frq");
    EXPECT_EQ(editor.EntryCount, 12);
    EXPECT_EQ(editor.GlobalMuteLevel, 7);
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(editor.EditData[i].Frequency, saved.EditData[i].Frequency) << i;
        EXPECT_EQ(editor.EditData[i].MuteLevel, saved.EditData[i].MuteLevel) << i;
        EXPECT_EQ(editor.EditData[i].BandType, saved.EditData[i].BandType) << i;
    }
    EXPECT_EQ(editor.EditData[1].Name, "A_b___");
    EXPECT_EQ(editor.EditData[2].Name, "Lead_Vocal");
    EXPECT_EQ(editor.EditData[3].Name, "Sax__1");
    EXPECT_EQ(editor.EditData[10].Name, "N10___");
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FrqFileTest, CurrentFileRoundTripAndUserMuteFromTheSetInForce) {
    devices.DeviceCount = 3;
    files.EntryCount = 3;
    files.GlobalMuteLevel = 4;
    for (int i = 1; i <= 40; ++i) {
        rack.CurData[i] = {QStringLiteral("Rx%1___").arg(i % 10), QStringLiteral("613.575"),
                           QStringLiteral("3"),
                           i == 2 ? QStringLiteral("64") : QStringLiteral("1")};
    }
    ASSERT_TRUE(frq.SaveCurrentFile("Rack.frq"));
    rack.UserMute.fill(true);
    EXPECT_EQ(frq.LoadRackFile("Rack.frq", RangeRule::RefuseOutOfRange), "Rack.frq");
    for (int i = 1; i <= 40; ++i) {
        EXPECT_EQ(files.LoadData[i], rack.CurData[i]) << i;
    }
    EXPECT_EQ(files.EntryCount, 3);
    EXPECT_EQ(files.GlobalMuteLevel, 4);
    EXPECT_FALSE(rack.UserMute[1]);
    EXPECT_TRUE(rack.UserMute[2]);

    // The mute bit comes from CurData, not from the line just read.
    rack.CurData[2].BandType = QStringLiteral("0");
    EXPECT_EQ(frq.LoadRackFile("Rack.frq", RangeRule::RefuseOutOfRange), "Rack.frq");
    EXPECT_FALSE(rack.UserMute[2]);
}

TEST_F(FrqFileTest, WindowsTextAndEitherSeparator) {
    editor.EditNames[1] = QString::fromUtf8("Müller€Ω");
    for (int i = 1; i <= 40; ++i) {
        editor.EditData[i].Frequency = QStringLiteral("606,600");
    }
    rack.DecimalSeparatorCode = ',';
    ASSERT_TRUE(frq.SaveEditorFile("Euro.frq", editor));
    EXPECT_TRUE(readRaw("Euro.frq").contains("M\xFCller\x80?\r\n606,600\r\n"));

    rack.DecimalSeparatorCode = '.';
    EXPECT_EQ(frq.ReadEditorFile("Euro.frq", editor), "Euro.frq");
    EXPECT_EQ(editor.EditData[1].Name, QString::fromUtf8("Müller€?"));
    EXPECT_EQ(editor.EditData[1].Frequency, "606.600");
    EXPECT_EQ(editor.EditData[40].Frequency, "606.600");

    QStringList text = validLines();
    text[lineOf(1, 1)] = QStringLiteral("613.575");
    writeLines("Point.frq", text);
    rack.DecimalSeparatorCode = ',';
    EXPECT_EQ(frq.LoadRackFile("Point.frq", RangeRule::RefuseOutOfRange), "Point.frq");
    EXPECT_EQ(files.LoadData[1].Frequency, "613,575");
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
        files.EntryCount = 17;
        QStringList text = validLines();
        text[1] = QString::fromLatin1(c.line);
        writeLines("Count.frq", text);
        EXPECT_EQ(frq.LoadRackFile("Count.frq", RangeRule::RefuseOutOfRange), "Count.frq")
            << c.line;
        EXPECT_EQ(files.EntryCount, c.expected) << c.model << " " << c.line;
    }

    QStringList text = validLines();
    text[1] = QString();
    writeLines("Empty.frq", text);
    EXPECT_EQ(frq.ReadEditorFile("Empty.frq", editor), "Empty.frq");
    EXPECT_EQ(editor.EntryCount, 24);
    EXPECT_TRUE(prompter.boxes.empty());

    dialog.ShowProgress();
    EXPECT_EQ(frq.LoadRackFile("Empty.frq", RangeRule::RefuseOutOfRange, hideDialog), "");
    EXPECT_FALSE(dialog.IsDialogVisible());
    EXPECT_EQ(boxesWhenHidden, 0u);
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

    EXPECT_EQ(frq.ReadEditorFile("Rules.frq", editor), "Rules.frq");
    EXPECT_EQ(editor.GlobalMuteLevel, 0);
    const QStringList editorMutes{"5", "5", "10", "5"};
    const QStringList editorBands{"128", "0", "64", "0"};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(editor.EditData[i].MuteLevel, editorMutes[i - 1]) << i;
        EXPECT_EQ(editor.EditData[i].BandType, editorBands[i - 1]) << i;
    }

    EXPECT_EQ(frq.LoadRackFile("Rules.frq", RangeRule::RefuseOutOfRange), "Rules.frq");
    EXPECT_EQ(files.GlobalMuteLevel, 2);
    const QStringList rackBands{"0", "1", "64", "0"};
    for (int i = 1; i <= 4; ++i) {
        EXPECT_EQ(files.LoadData[i].MuteLevel, editorMutes[i - 1]) << i;
        EXPECT_EQ(files.LoadData[i].BandType, rackBands[i - 1]) << i;
    }

    for (const char* line : {"abc", "11", ""}) {
        text[2] = QString::fromLatin1(line);
        writeLines("Rules.frq", text);
        EXPECT_EQ(frq.ReadEditorFile("Rules.frq", editor), "Rules.frq");
        EXPECT_EQ(editor.GlobalMuteLevel, 5) << line;
        EXPECT_EQ(frq.LoadRackFile("Rules.frq", RangeRule::RefuseOutOfRange), "Rules.frq");
        EXPECT_EQ(files.GlobalMuteLevel, 2) << line;
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
    EXPECT_EQ(frq.ReadEditorFile("Hole.frq", editor), "NUMBER");
    EXPECT_EQ(editor.EditData[2].Frequency, "606.625");
    EXPECT_EQ(editor.EditData[3].Name, "Mic003");
    EXPECT_EQ(editor.EditData[3].Frequency, "old");
    EXPECT_EQ(editor.EditData[4].Name, "old");

    text = validLines();
    text[lineOf(3, 4)] = QStringLiteral("x");
    writeLines("NoLine.frq", text);
    EXPECT_EQ(frq.LoadRackFile("NoLine.frq", RangeRule::RefuseOutOfRange), "NOLINE");
    EXPECT_EQ(files.LoadData[3].Name, "Mic003");
    EXPECT_EQ(files.LoadData[3].Frequency, "606.650");
    EXPECT_EQ(files.LoadData[3].BandType, "0");
    EXPECT_TRUE(files.LoadData[4].Name.isEmpty());
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(FrqFileTest, OutOfRangeEntryInEachReader) {
    QStringList text = validLines();
    text[lineOf(5, 1)] = QStringLiteral("865.000");
    writeLines("Wide.frq", text);

    EXPECT_EQ(frq.ReadEditorFile("Wide.frq", editor), "EXIT");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].title, "Possible file error");
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::None);
    EXPECT_EQ(prompter.boxes[0].text,
              "865.000 Frequency is out of range\r\nThe Possible reasons may be :\r\n\r\n"
              "  1. The frequency file contains data that does not\r\n"
              "      match the receiver band\r\n\r\n  2. Wide.frq may be corrupt\r\n\r\n"
              "  Please check your settings.\r\n\r\n  Exiting file load \r\n");

    dialog.ShowProgress();
    EXPECT_EQ(frq.LoadRackFile("Wide.frq", RangeRule::RefuseOutOfRange, hideDialog), "EXIT");
    EXPECT_FALSE(dialog.IsDialogVisible());
    EXPECT_EQ(boxesWhenHidden, 1u);
    ASSERT_EQ(prompter.boxes.size(), 2u);
    EXPECT_EQ(prompter.boxes[1].title, "Possible file error");
    EXPECT_EQ(prompter.boxes[1].text,
              "Frequency 865.000 MHz is out of range\r\n\r\nIt may be that :\r\n"
              "  1. The frequency in the file may not lie inside \r\n"
              "     the Band spread for your receivers.\r\n\r\n"
              "  2. The file ''Wide.frq'' may be corrupt\r\n\r\n  Please check the file.\r\n\r\n"
              "  Exiting file load \r\n");
    EXPECT_TRUE(files.LoadData[6].Name.isEmpty());

    // During discovery the entry is kept and the read goes on.
    EXPECT_EQ(frq.LoadRackFile("Wide.frq", RangeRule::KeepOutOfRange), "Wide.frq");
    EXPECT_EQ(files.LoadData[5].Frequency, "865.000");
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(FrqFileTest, JapaneseFileOutsideItsBandAsksOnceAtMost) {
    devices.SlotBand[1] = 14;
    writeLines("Band36.frq", validLines());
    EXPECT_EQ(frq.LoadRackFile("Band36.frq", RangeRule::KeepOutOfRange), "Band36.frq");
    EXPECT_TRUE(prompter.boxes.empty());

    EXPECT_EQ(frq.LoadRackFile("Band36.frq", RangeRule::RefuseOutOfRange), "EXIT");
    EXPECT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(frq.ReadEditorFile("Band36.frq", editor), "EXIT");
    EXPECT_EQ(prompter.boxes.size(), 2u);
}

TEST_F(FrqFileTest, MissingShortOversizedAndForeignFiles) {
    files.LoadData[1].Name = QStringLiteral("keep");
    for (const char* name : {"Nothing.frq", "../Outside.frq", "sub/x.frq", "", ".."}) {
        EXPECT_EQ(frq.LoadRackFile(name, RangeRule::RefuseOutOfRange), "No frq file") << name;
    }
    EXPECT_EQ(files.LoadData[1].Name, "keep");
    EXPECT_TRUE(prompter.boxes.empty());

    EXPECT_EQ(frq.ReadEditorFile("Nothing.frq", editor), "");
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Critical);
    EXPECT_TRUE(prompter.boxes[0].text.endsWith("\r\n53"));

    QStringList text = validLines();
    text = text.mid(0, 150);
    writeLines("Short.frq", text);
    EXPECT_EQ(frq.LoadRackFile("Short.frq", RangeRule::RefuseOutOfRange), "");
    EXPECT_EQ(prompter.boxes.back().text,
              "An error occurred reading the file\r\nThe file may be corrupt\r\n62");
    EXPECT_EQ(files.LoadData[29].Name, "Mic029"); // what came before the end stays

    // Without the final line end the last separator line is missing too.
    QByteArray whole = (validLines().join("\r\n")).toLatin1();
    writeRaw("NoEnd.frq", whole);
    EXPECT_EQ(frq.ReadEditorFile("NoEnd.frq", editor), "");
    writeRaw("Unix.frq", (validLines().join("\n") + "\n").toLatin1());
    EXPECT_EQ(frq.ReadEditorFile("Unix.frq", editor), "Unix.frq");

    text = validLines();
    text[lineOf(1, 0)] = QString(kMaxFrqBytes, QLatin1Char('x'));
    writeLines("Huge.frq", text);
    EXPECT_EQ(frq.ReadEditorFile("Huge.frq", editor), "");
    EXPECT_TRUE(prompter.boxes.back().text.endsWith("\r\n7"));

    text[lineOf(1, 0)] = QString(20000, QLatin1Char('x'));
    writeLines("Long.frq", text);
    EXPECT_EQ(frq.ReadEditorFile("Long.frq", editor), "Long.frq");
    EXPECT_EQ(editor.EditData[1].Name.size(), 20000);

    QDir(folder).mkdir("Folder.frq");
    EXPECT_FALSE(frq.FrqFileExists("Folder.frq"));
    EXPECT_EQ(frq.LoadRackFile("Folder.frq", RangeRule::RefuseOutOfRange), "No frq file");
}

TEST_F(FrqFileTest, AFailedWriteLeavesTheOldFileIntact) {
    editor.EntryCount = 5;
    ASSERT_TRUE(frq.SaveEditorFile("Show.frq", editor));
    const QByteArray before = readRaw("Show.frq");
    editor.EntryCount = 9;

    // A disk that fills up in the middle of the write.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tiny = saved;
    tiny.rlim_cur = 100;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const bool written = frq.SaveEditorFile("Show.frq", editor);
    setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_FALSE(written);
    EXPECT_FALSE(frq.errorString().isEmpty());
    EXPECT_EQ(readRaw("Show.frq"), before);
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), QStringList{"Show.frq"});

    // A folder standing where the file should be.
    QDir(folder).mkdir("Busy.frq");
    EXPECT_FALSE(frq.SaveCurrentFile("Busy.frq"));
    EXPECT_TRUE(QFileInfo(path("Busy.frq")).isDir());

    // Names that would leave the folder are refused.
    EXPECT_FALSE(frq.SaveCurrentFile("../Escape.frq"));
    EXPECT_FALSE(frq.SaveCurrentFile("a\\b.frq"));
    EXPECT_FALSE(QFileInfo::exists(dir.path() + "/Escape.frq"));

    // No folder at all.
    QDir(folder).removeRecursively();
    EXPECT_FALSE(frq.SaveCurrentFile("Show.frq"));
    EXPECT_TRUE(frq.errorString().contains("Show.frq"));

    editor.EntryCount = 5;
    QDir().mkpath(folder);
    EXPECT_TRUE(frq.SaveEditorFile("Show.frq", editor));
    EXPECT_EQ(readRaw("Show.frq"), before);
}

} // namespace
} // namespace k7
