// Default.frq, Template.frq, a new editor file and the data folder.
#include "FrqTestRack.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class DefaultFilesTest : public ::testing::Test, public test::FrqTestRack {
protected:
    QString lastSet() { return settings.GetSetting("NameSets", "LastSet", "missing"); }
    void freshFolder() { QDir(folder).removeRecursively(); }
    // "LastSet" read as the station reads it at start, after the folder is prepared.
    QString currentFile() {
        files.ReadCurrentFile();
        return files.CurrentFile();
    }

    SettingsStore& settings = rig.settings;
    const DefaultFiles& defaults = rig.core.defaults();
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
    EXPECT_EQ(currentFile(), "Default.frq");

    // Their bytes for every band: StartupFilesTest's fingerprints.
    EXPECT_EQ(readEditor("Default.frq"), FrqResult::Read);
    EXPECT_EQ(editor.EditData[1].Name, "Def-1_");
    EXPECT_TRUE(QFile::exists(path("Template.frq")));
}

TEST_F(DefaultFilesTest, LaterStartsKeepTheChosenFileAndAnExistingDefault) {
    settings.SaveSetting("NameSets", "LastSet", "Show.frq");
    writeRaw("Default.frq", "edited");
    EXPECT_TRUE(defaults.PrepareDataFolder());
    EXPECT_EQ(currentFile(), "Show.frq");
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
    EXPECT_EQ(currentFile(), "Default.frq");
    EXPECT_EQ(lastSet(), "Default.frq");
    EXPECT_FALSE(QFile::exists(path("Template.frq")));

    // A data folder that cannot be made.
    freshFolder();
    QFile(dir.path() + "/USB Files").open(QIODevice::WriteOnly);
    const FileResult prepared = defaults.PrepareDataFolder();
    EXPECT_FALSE(prepared);
    EXPECT_TRUE(prepared.why().contains("USB Files"));
}

// The presets in the files of every band, in either separator: StartupFilesTest's fingerprints;
// here, the indices outside a band's list, and a file in the user's separator read back.
TEST_F(DefaultFilesTest, PresetsOutsideABandsListAndTheSeparator) {
    EXPECT_EQ(PresetFrequency(0, 10), "864.900");
    EXPECT_EQ(PresetFrequency(-5, 36), "637.975");
    EXPECT_EQ(PresetFrequency(1, 9), "");
    rack.DecimalSeparatorCode = ',';
    ASSERT_TRUE(defaults.WriteDefaultFile("Band36.frq").ok());
    EXPECT_EQ(readRack("Band36.frq"), FrqResult::Read);
}

TEST_F(DefaultFilesTest, ABandWithoutPresetsGivesAnUnreadableDefault) {
    devices.SlotBand[1] = 9;
    ASSERT_TRUE(defaults.WriteDefaultFile("Default.frq").ok());
    const QStringList lines = this->lines("Default.frq");
    EXPECT_EQ(lines[1], "");
    EXPECT_EQ(lines[lineOf(1, 1)], "");
    EXPECT_EQ(readEditor("Default.frq"), FrqResult::Number);
    EXPECT_EQ(readRack("Default.frq"), FrqResult::Failed);
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
