// The rack's file: the snapshot, the choice between file and rack, discovery's load of the last
// file, File > Load, and the save of the file in force after a rack change.
#include "FrqTestRack.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class RackFileTest : public ::testing::Test, public test::FrqTestRack {
protected:
    RackFileTest() { rig.engine.CreateTimers(); }

    // A band-36 document of n entries named "Abc_01" ... from the three letters.
    static FrqDocument Document(int count, std::uint8_t mute, const QString& name) {
        FrqDocument document{count, mute, {}};
        for (int i = 1; i <= 40; ++i) {
            document.Entries[i] = {QStringLiteral("%1_%2").arg(name).arg(i, 2, 10, QChar('0')),
                                   QStringLiteral("606.600"), QStringLiteral("5"),
                                   QStringLiteral("0")};
        }
        return document;
    }

    RackEngine& engine = rig.engine;
    const TimerBank& timers = rig.timers;
};

TEST_F(RackFileTest, SnapshotOfThreeReceivers) {
    rig.UseFile("Six.frq", Document(3, 6, "Six")); // the count and mute the rack writes with
    devices.DeviceCount = 3;
    for (int i = 1; i <= 3; ++i) {
        devices.SlotBand[i] = 14;
        rack.RxData[i] = {QStringLiteral("Gtr__%1").arg(i), QStringLiteral("807.125"),
                          QString::number(i + 2), i == 2 ? "64" : "0"};
    }
    ASSERT_TRUE(files.WriteRackSnapshot());
    const QStringList lines = this->lines("Rack_Data.frq");
    ASSERT_EQ(lines.size(), 203);
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "6"); // the fill of the slots past the rack: StartupFilesTest

    EXPECT_EQ(readRack("Rack_Data.frq"), FrqResult::Read);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(loaded.Entries[i], rack.RxData[i]) << i;
    }
    EXPECT_EQ(loaded.Entries[4], (SettingsRow{"Perf_4", "808.000", "5", "0"}));
    EXPECT_TRUE(prompter.boxes.empty());
}

TEST_F(RackFileTest, RackDiffersComparesNameFrequencyAndBandType) {
    devices.DeviceCount = 2;
    for (int i = 1; i <= 40; ++i) {
        rack.RxData[i] = {"Bob___", "606.600", "5", "0"};
        rack.CurData[i] = rack.RxData[i];
    }
    EXPECT_FALSE(files.RackDiffers());

    rack.CurData[2].MuteLevel = "9";
    EXPECT_FALSE(files.RackDiffers());

    rack.CurData[3].Frequency = "610.000"; // beyond the receivers in the rack
    EXPECT_FALSE(files.RackDiffers());

    rack.CurData[2].Name = "Bob";
    EXPECT_TRUE(files.RackDiffers()); // "Bob   " against "Bob___"
    rack.RxData[2].Name = "Bob   ";
    EXPECT_FALSE(files.RackDiffers());

    rack.CurData[2].Name = "Bob   xy";
    EXPECT_FALSE(files.RackDiffers());
    rack.CurData[2].Name = "bob   ";
    EXPECT_TRUE(files.RackDiffers());
    rack.CurData[2].Name = "Bob   ";

    rack.CurData[1].BandType = "64";
    EXPECT_TRUE(files.RackDiffers());
    rack.CurData[1].BandType = "0";
    rack.CurData[1].Frequency = "606.625";
    EXPECT_TRUE(files.RackDiffers());

    devices.DeviceCount = 0;
    EXPECT_FALSE(files.RackDiffers());
    devices.DeviceCount = 999;
    EXPECT_TRUE(files.RackDiffers());
}

// Discovery's load: the file read is taken, but the rack's count and global mute only once the
// operator takes the file (or it matches the rack); "No" leaves them as they were.
TEST_F(RackFileTest, TheLoadedFileBecomesTheRacksOnlyWhenAccepted) {
    rig.UseFile("First.frq", Document(7, 3, "One"));
    FrqDocument second = Document(12, 8, "Two");
    second.Entries[1] = {"Vox___", "606.600", "5", "64"};
    ASSERT_TRUE(frq.WriteFile("Second.frq", second));

    EXPECT_EQ(files.LoadRackFile("Second.frq"), FrqResult::Read);
    EXPECT_EQ(files.LoadData()[1], second.Entries[1]);
    files.CurrentFromRack(); // the operator's "No"
    EXPECT_FALSE(files.FileInUse());
    EXPECT_EQ(files.EntryCount(), 7);
    EXPECT_EQ(files.GlobalMuteLevel(), 3);
    EXPECT_TRUE(engine.State().PassStart);
    EXPECT_FALSE(engine.State().ProgramRack);

    rig.clock.advanceMs(120); // the pass starts: PassStart is taken
    EXPECT_EQ(files.LoadRackFile("Second.frq"), FrqResult::Read);
    files.AcceptLoadedFile();
    EXPECT_TRUE(files.FileInUse());
    EXPECT_EQ(files.EntryCount(), 12);
    EXPECT_EQ(files.GlobalMuteLevel(), 8);
    EXPECT_EQ(rack.CurData[1], second.Entries[1]);
    EXPECT_EQ(rack.CurData[40], second.Entries[40]);
    EXPECT_TRUE(engine.State().ProgramRack);
    EXPECT_TRUE(engine.State().ChangedOnly);
    EXPECT_TRUE(timers.enabled(PassTimer));
}

TEST_F(RackFileTest, TheRacksOwnSettingsFillTheSlotsPastTheReceivers) {
    devices.DeviceCount = 2;
    rack.RxData[1] = {"One___", "606.600", "4", "0"};
    rack.RxData[2] = {"Two___", "607.500", "3", "64"};
    rack.DecimalSeparatorCode = ',';
    files.CurrentFromRack();
    EXPECT_EQ(rack.CurData[1], rack.RxData[1]);
    EXPECT_EQ(rack.CurData[2], rack.RxData[2]);
    EXPECT_EQ(rack.CurData[3], (SettingsRow{"Spare", "635,500", "5", "0"}));
    EXPECT_EQ(rack.CurData[40], (SettingsRow{"Spare", "635,500", "5", "0"}));
    EXPECT_TRUE(timers.enabled(PassTimer));
}

// The start-up dialog, which stays on top, is hidden before a box about the file and stays up
// (the pass goes on in it) when the file loads.
TEST_F(RackFileTest, DiscoverysLoadHidesTheStartupDialogOnlyForAMessage) {
    writeLines("Short.frq", validLines().mid(0, 100));
    dialog.ShowProgress();
    EXPECT_EQ(files.LoadRackFile("Short.frq"), FrqResult::Failed);
    EXPECT_FALSE(dialog.IsDialogVisible());
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Critical);

    QStringList wide = validLines();
    wide[lineOf(2, 1)] = QStringLiteral("865.000"); // kept at discovery, without a word
    writeLines("Wide.frq", wide);
    dialog.ShowProgress();
    EXPECT_EQ(files.LoadRackFile("Wide.frq"), FrqResult::Read);
    EXPECT_TRUE(dialog.IsDialogVisible());
    EXPECT_EQ(files.LoadData()[2].Frequency, "865.000");
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(RackFileTest, AFailedLoadIntoTheRackChangesNothing) {
    rig.UseFile("Good.frq", Document(5, 4, "Goo"));
    const SettingsTable current = rack.CurData;
    QStringList text = validLines();
    text[lineOf(9, 1)] = QStringLiteral("865.000");
    writeLines("Wide.frq", text);
    for (const char* name : {"Wide.frq", "Missing.frq"}) {
        const FrqLoad load = files.LoadIntoRack(name);
        EXPECT_FALSE(load.ok()) << name;
        EXPECT_EQ(files.CurrentFile(), "Good.frq");
        EXPECT_EQ(files.EntryCount(), 5);
        EXPECT_EQ(files.GlobalMuteLevel(), 4);
        EXPECT_EQ(files.LoadData()[9].Name, "Goo_09");
        EXPECT_EQ(rack.CurData, current);
    }
    EXPECT_EQ(rig.settings.GetSetting("NameSets", "LastSet", ""), "Good.frq");
    EXPECT_TRUE(files.InForce("Good.frq"));
    EXPECT_FALSE(files.InForce("Wide.frq"));
}

TEST_F(RackFileTest, TheFileInUseFollowsRackChangesAndSaysWhyItCouldNot) {
    EXPECT_TRUE(files.SaveAfterRackChange("nothing in use").ok());
    EXPECT_FALSE(QFile::exists(path("Default.frq")));

    rig.UseFile("Live.frq", Document(4, 6, "Liv"));
    rack.CurData[2].Frequency = QStringLiteral("607.000");
    ASSERT_TRUE(files.SaveAfterRackChange("with a test's change"));
    EXPECT_EQ(lines("Live.frq")[lineOf(2, 1)], "607.000");
    EXPECT_EQ(lines("Live.frq")[1], "4");
    EXPECT_TRUE(QFile(rig.LogFile()).exists());

    QFile::remove(path("Live.frq"));
    QDir(folder).mkdir("Live.frq"); // a folder where the file should be
    const FileResult failed = files.SaveAfterRackChange("again");
    EXPECT_FALSE(failed);
    EXPECT_TRUE(failed.why().contains("Live.frq"));
}

} // namespace
} // namespace k7
