// Default.frq, Template.frq, the rack snapshot and the choice between file and rack.
#include "FrqTestRack.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class DefaultFilesTest : public ::testing::Test, public test::FrqTestRack {
protected:
    DefaultFilesTest() { engine.CreateTimers(); }

    QString lastSet() { return settings.GetSetting("NameSets", "LastSet", "missing"); }
    void freshFolder() { QDir(folder).removeRecursively(); }

    SettingsStore& settings = rig.settings;
    DefaultFiles& defaults = *rig.core.defaults;
    RackEngine& engine = rig.engine;
    TimerBank& timers = rig.timers;
};

TEST_F(DefaultFilesTest, FirstStartMakesTheFolderAndBothDefaultFiles) {
    devices.SlotBand[1] = 34;
    freshFolder();
    settings.SaveSetting("NameSets", "Other", "x");
    // The start-up order: both default files, then the folder. The writes fail on a fresh
    // installation; the folder's preparation makes both files.
    EXPECT_FALSE(defaults.WriteDefaultFile("Default.frq"));
    EXPECT_FALSE(defaults.WriteDefaultFile("Template.frq"));
    EXPECT_TRUE(defaults.PrepareDataFolder());
    EXPECT_EQ(lastSet(), "Default.frq");
    EXPECT_EQ(files.CurrentFile, "Default.frq");

    const QStringList lines = this->lines("Default.frq");
    ASSERT_EQ(lines.size(), 203);
    EXPECT_EQ(lines[1], "24");
    EXPECT_EQ(lines[2], "5");
    EXPECT_EQ(lines[lineOf(1, 0)], "Def-1");
    EXPECT_EQ(lines[lineOf(40, 0)], "Def-40");
    EXPECT_EQ(lines[lineOf(1, 1)], "636.975");
    EXPECT_EQ(lines[lineOf(24, 1)], "665.500");
    EXPECT_EQ(lines[lineOf(25, 1)], "665.500");
    EXPECT_EQ(lines[lineOf(40, 1)], "665.500");
    EXPECT_EQ(lines[lineOf(7, 2)], "5");
    EXPECT_EQ(lines[lineOf(7, 3)], "0");

    EXPECT_EQ(frq.ReadEditorFile("Default.frq", editor), "Default.frq");
    EXPECT_EQ(editor.EditData[1].Name, "Def-1_");
    EXPECT_EQ(editor.EditData[10].Name, "Def-10");

    const QStringList performers = this->lines("Template.frq");
    ASSERT_EQ(performers.size(), 203);
    EXPECT_EQ(performers[lineOf(9, 0)], "Perf_9");
    EXPECT_EQ(performers[lineOf(10, 0)], "Perf10");
    EXPECT_EQ(performers[lineOf(3, 1)], "639.475");
}

TEST_F(DefaultFilesTest, LaterStartsKeepTheChosenFileAndAnExistingDefault) {
    settings.SaveSetting("NameSets", "LastSet", "Show.frq");
    writeRaw("Default.frq", "edited");
    EXPECT_TRUE(defaults.PrepareDataFolder());
    EXPECT_EQ(files.CurrentFile, "Show.frq");
    EXPECT_EQ(readRaw("Default.frq"), "edited");
    EXPECT_FALSE(QFile::exists(path("Template.frq")));

    QFile::remove(path("Default.frq"));
    EXPECT_TRUE(defaults.PrepareDataFolder());
    EXPECT_EQ(lines("Default.frq").size(), 203);
    EXPECT_EQ(lastSet(), "Show.frq");

    // A folder that went missing is made again and the rack falls back to Default.frq.
    freshFolder();
    devices.ModelVariant = ModelK73;
    EXPECT_TRUE(defaults.PrepareDataFolder());
    EXPECT_EQ(files.CurrentFile, "Default.frq");
    EXPECT_EQ(lastSet(), "Default.frq");
    EXPECT_FALSE(QFile::exists(path("Template.frq")));

    // A data folder that cannot be made.
    freshFolder();
    QFile(dir.path() + "/USB Files").open(QIODevice::WriteOnly);
    EXPECT_FALSE(defaults.PrepareDataFolder());
    EXPECT_TRUE(defaults.errorString().contains("USB Files"));
}

TEST_F(DefaultFilesTest, PresetsByBand) {
    EXPECT_EQ(PresetFrequency(1, 10), "831.900");
    EXPECT_EQ(PresetFrequency(18, 10), "862.875");
    EXPECT_EQ(PresetFrequency(19, 10), "864.900");
    EXPECT_EQ(PresetFrequency(0, 10), "864.900");
    EXPECT_EQ(PresetFrequency(-5, 36), "637.975");
    EXPECT_EQ(PresetFrequency(6, 14), "809.500");
    EXPECT_EQ(PresetFrequency(1, 9), "");
    EXPECT_EQ(PresetFrequency(1, 37), "");

    devices.SlotBand[1] = 10;
    ASSERT_TRUE(defaults.WriteDefaultFile("Default.frq"));
    QStringList lines = this->lines("Default.frq");
    EXPECT_EQ(lines[1], "19");
    EXPECT_EQ(lines[lineOf(18, 1)], "862.875");
    for (int i = 19; i <= 40; ++i) {
        EXPECT_EQ(lines[lineOf(i, 1)], "864.900") << i;
    }

    devices.SlotBand[1] = 36;
    rack.DecimalSeparatorCode = ',';
    ASSERT_TRUE(defaults.WriteDefaultFile("Band36.frq"));
    lines = this->lines("Band36.frq");
    EXPECT_EQ(lines[1], "24");
    EXPECT_EQ(lines[lineOf(1, 0)], "Perf_1");
    EXPECT_EQ(lines[lineOf(10, 1)], "613,500");
    for (int i = 11; i <= 40; ++i) {
        EXPECT_EQ(lines[lineOf(i, 1)], "637,975") << i;
    }
    EXPECT_EQ(frq.LoadRackFile("Band36.frq", RangeRule::RefuseOutOfRange), "Band36.frq");
}

TEST_F(DefaultFilesTest, ABandWithoutPresetsGivesAnUnreadableDefault) {
    devices.SlotBand[1] = 9;
    ASSERT_TRUE(defaults.WriteDefaultFile("Default.frq"));
    const QStringList lines = this->lines("Default.frq");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[lineOf(1, 1)], "");
    EXPECT_EQ(frq.ReadEditorFile("Default.frq", editor), "NUMBER");
    EXPECT_EQ(frq.LoadRackFile("Default.frq", RangeRule::RefuseOutOfRange), "");
}

TEST_F(DefaultFilesTest, SnapshotOfThreeReceivers) {
    devices.DeviceCount = 3;
    for (int i = 1; i <= 3; ++i) {
        devices.SlotBand[i] = 14;
        rack.RxData[i] = {QStringLiteral("Gtr__%1").arg(i), QStringLiteral("807.125"),
                          QString::number(i + 2), i == 2 ? "64" : "0"};
    }
    files.GlobalMuteLevel = 6;
    ASSERT_TRUE(defaults.WriteRackSnapshot());
    const QStringList lines = this->lines("Rack_Data.frq");
    ASSERT_EQ(lines.size(), 203);
    EXPECT_EQ(lines[1], "3");
    EXPECT_EQ(lines[2], "6");
    EXPECT_EQ(lines[lineOf(4, 0)], "Perf 4");
    EXPECT_EQ(lines[lineOf(40, 0)], "Perf 40");

    EXPECT_EQ(frq.LoadRackFile("Rack_Data.frq", RangeRule::RefuseOutOfRange), "Rack_Data.frq");
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(files.LoadData[i], rack.RxData[i]) << i;
    }
    EXPECT_EQ(files.LoadData[4], (SettingsRow{"Perf_4", "808.000", "5", "0"}));
    EXPECT_TRUE(prompter.boxes.empty());

    devices.SlotBand[1] = 11;
    ASSERT_TRUE(defaults.WriteRackSnapshot());
    EXPECT_EQ(this->lines("Rack_Data.frq")[lineOf(40, 1)], "800.000");
}

TEST_F(DefaultFilesTest, RackDiffersComparesNameFrequencyAndBandType) {
    devices.DeviceCount = 2;
    for (int i = 1; i <= 40; ++i) {
        rack.RxData[i] = {"Bob___", "606.600", "5", "0"};
        rack.CurData[i] = rack.RxData[i];
    }
    EXPECT_FALSE(defaults.RackDiffers());

    rack.CurData[2].MuteLevel = "9";
    EXPECT_FALSE(defaults.RackDiffers());

    rack.CurData[3].Frequency = "610.000"; // beyond the receivers in the rack
    EXPECT_FALSE(defaults.RackDiffers());

    rack.CurData[2].Name = "Bob";
    EXPECT_TRUE(defaults.RackDiffers()); // "Bob   " against "Bob___"
    rack.RxData[2].Name = "Bob   ";
    EXPECT_FALSE(defaults.RackDiffers());

    rack.CurData[2].Name = "Bob   xy";
    EXPECT_FALSE(defaults.RackDiffers());
    rack.CurData[2].Name = "bob   ";
    EXPECT_TRUE(defaults.RackDiffers());
    rack.CurData[2].Name = "Bob   ";

    rack.CurData[1].BandType = "64";
    EXPECT_TRUE(defaults.RackDiffers());
    rack.CurData[1].BandType = "0";
    rack.CurData[1].Frequency = "606.625";
    EXPECT_TRUE(defaults.RackDiffers());

    devices.DeviceCount = 0;
    EXPECT_FALSE(defaults.RackDiffers());
    devices.DeviceCount = 999;
    EXPECT_TRUE(defaults.RackDiffers());
}

TEST_F(DefaultFilesTest, AcceptingTheFileOrTheRackStartsTheProgrammingPass) {
    files.LoadData[1] = {"Vox___", "606.600", "5", "64"};
    files.LoadData[40] = {"Last__", "637.975", "5", "0"};
    defaults.AcceptLoadedFile();
    EXPECT_EQ(rack.CurData[1], files.LoadData[1]);
    EXPECT_EQ(rack.CurData[40], files.LoadData[40]);
    EXPECT_TRUE(engine.State().PassStart);
    EXPECT_EQ(engine.State().PollMode, PollMetering);
    EXPECT_TRUE(engine.State().ProgramRack);
    EXPECT_TRUE(engine.State().ChangedOnly);
    EXPECT_TRUE(timers.enabled(PassTimer));
    EXPECT_FALSE(timers.enabled(PollTimer));

    rig.clock.advanceMs(120); // the pass starts: PassStart is taken
    timers.setEnabled(PassTimer, false);
    ASSERT_FALSE(engine.State().PassStart);
    devices.DeviceCount = 2;
    rack.RxData[1] = {"One___", "606.600", "4", "0"};
    rack.RxData[2] = {"Two___", "607.500", "3", "64"};
    rack.DecimalSeparatorCode = ',';
    defaults.CurrentFromRack();
    EXPECT_EQ(rack.CurData[1], rack.RxData[1]);
    EXPECT_EQ(rack.CurData[2], rack.RxData[2]);
    EXPECT_EQ(rack.CurData[3], (SettingsRow{"Spare", "635,500", "5", "0"}));
    EXPECT_EQ(rack.CurData[40], (SettingsRow{"Spare", "635,500", "5", "0"}));
    EXPECT_TRUE(engine.State().PassStart);
    EXPECT_FALSE(engine.State().ProgramRack);
    EXPECT_TRUE(timers.enabled(PassTimer));
}

// Discovery's load of the last file: the start-up dialog, which stays on top, is hidden before
// a box about the file and stays up (the pass goes on in it) when the file loads.
TEST_F(DefaultFilesTest, DiscoverysLoadHidesTheStartupDialogOnlyForAMessage) {
    writeLines("Short.frq", validLines().mid(0, 100));
    dialog.ShowProgress();
    EXPECT_EQ(defaults.DefaultFiles::LoadRackFile("Short.frq"), "");
    EXPECT_FALSE(dialog.IsDialogVisible());
    ASSERT_EQ(prompter.boxes.size(), 1u);
    EXPECT_EQ(prompter.boxes[0].icon, MsgIcon::Critical);

    QStringList wide = validLines();
    wide[lineOf(2, 1)] = QStringLiteral("865.000"); // kept at discovery, without a word
    writeLines("Wide.frq", wide);
    dialog.ShowProgress();
    EXPECT_EQ(defaults.DefaultFiles::LoadRackFile("Wide.frq"), "Wide.frq");
    EXPECT_TRUE(dialog.IsDialogVisible());
    EXPECT_EQ(files.LoadData[2].Frequency, "865.000");
    EXPECT_EQ(prompter.boxes.size(), 1u);
}

TEST_F(DefaultFilesTest, NewEditorFile) {
    defaults.InitEditorDefaults(editor);
    EXPECT_EQ(editor.EditNames[9], "User 9");
    EXPECT_EQ(editor.EditNames[10], "User 10");
    EXPECT_EQ(editor.EditData[9], (SettingsRow{"User 9", "635.500", "5", "0"}));
    EXPECT_EQ(editor.EditData[10].Name, "User10");

    devices.SlotBand[1] = 14;
    defaults.InitEditorDefaults(editor);
    EXPECT_EQ(editor.EditData[1].Frequency, "N/A");
    devices.SlotBand[1] = 37;
    defaults.InitEditorDefaults(editor);
    EXPECT_EQ(editor.EditData[1].Frequency, "");
}

} // namespace
} // namespace k7
