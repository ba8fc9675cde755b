// "Save" of the editor and the key rules of its boxes.
#include "EditorRig.h"
#include "editor/EditorKeys.h"
#include "platform/SettingsStore.h"

#include <QTemporaryDir>

namespace k7 {
namespace {

class EditorSaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(rig.started);
        ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
        // A set without a file name, as an upload from a receiver leaves it.
        EditorDocument document = rig.readBack("Show.frq");
        document.EditFile.clear();
        editor.Open(document, EditorMode::Edit);
    }
    QStringList files() const {
        return QDir(rig.harness.dataFolder()).entryList(QDir::Files, QDir::Name);
    }
    test::EditorRig rig;
    FrequencyEditor& editor = rig.editor;
};

TEST_F(EditorSaveTest, ASetWithoutANameStaysReadOnlyUntilAValidNameIsChosen) {
    rig.harness.UseFile("Live.frq", test::EditorRig::Document(2)); // the rack's file in force
    const QStringList before = files();
    EXPECT_TRUE(editor.readOnly());
    for (EditorControl control : {EditorControl::txtName, EditorControl::cmdAdd,
                                  EditorControl::cmdUpdate, EditorControl::cmdDelete}) {
        EXPECT_FALSE(editor.state().controls[control].enabled);
    }
    rig.enter("Lead", "606.6", "5");
    editor.cmdAdd();
    editor.cmdUpdate();
    editor.cmdDelete();
    EXPECT_EQ(rig.rows().size(), 2u);

    QTemporaryDir elsewhere;
    const QString defaultBytes = rig.bytes("Default.frq");
    rig.chooser.choices = {QString(), elsewhere.filePath("Show2.frq"), rig.path("Default.frq"),
                           rig.path("Live.frq")};
    for (int attempt = 0; attempt < 4; ++attempt) {
        editor.mnuSave();
        EXPECT_TRUE(editor.readOnly()) << attempt;
        EXPECT_EQ(editor.document().EditFile, "") << attempt;
    }
    EXPECT_EQ(files(), before) << "nothing is written without a valid name";
    ASSERT_EQ(rig.prompter.boxes.size(), 3u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "File location");
    EXPECT_TRUE(
        rig.prompter.boxes[0].text.contains(QDir::toNativeSeparators(rig.harness.dataFolder())));
    EXPECT_EQ(rig.prompter.boxes[1].title, "Default File ");
    EXPECT_EQ(rig.prompter.boxes[1].text,
              "You cannot save as Default.frq \r\nPlease choose a different filename\r\n");
    EXPECT_EQ(rig.prompter.boxes[2].title, "Live.frq file open ");
    EXPECT_EQ(rig.prompter.boxes[2].text, "Live.frq in use \r\nPlease choose a different file\r\n");
    EXPECT_EQ(rig.bytes("Default.frq"), defaultBytes);
    for (const FileDialogSpec& refused : rig.chooser.dialogs) {
        EXPECT_FALSE(refused.confirmOverwrite) << "a protected name is refused before any question";
    }

    rig.chooser.choices = {rig.path("Named.frq")};
    editor.mnuSave();
    const FileDialogSpec& dialog = rig.chooser.dialogs.back();
    EXPECT_EQ(dialog.title, "Save the Frequency file");
    EXPECT_EQ(dialog.folder, rig.harness.dataFolder());
    EXPECT_EQ(dialog.filter, "Frequency Files (*.frq)");
    EXPECT_EQ(dialog.defaultSuffix, "frq");
    EXPECT_EQ(editor.document().EditFile, "Named.frq");
    EXPECT_EQ(editor.state().caption, "Veltora frequency File: Named.frq");
    EXPECT_FALSE(editor.readOnly());
    EXPECT_TRUE(editor.state().controls[EditorControl::cmdAdd].enabled);
    EXPECT_FALSE(editor.state().mnuFileEnabled);
    EXPECT_EQ(rig.harness.settings.GetSetting("NameSets", "LastTransfer", ""), "Named.frq");
    EXPECT_TRUE(rig.fileMatchesGrid());

    editor.SelectRow(0);
    rig.enter("Lead", "606.6", "5");
    editor.cmdUpdate();
    EXPECT_EQ(rig.status(), "Perfomer 1 updated in Named.frq");
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(EditorSaveTest, SaveAsAsksBeforeItReplacesAFileThatMayBeReplaced) {
    ASSERT_TRUE(rig.write("Other.frq", test::EditorRig::Document(5)));
    const QByteArray other = rig.bytes("Other.frq");
    rig.chooser.choices = {rig.path("Other.frq"), rig.path("Other.frq")};
    rig.prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    editor.mnuSave();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "File overwrite");
    EXPECT_EQ(rig.prompter.boxes[0].text, "You have chosen to overwrite Other.frq\r\nAll data "
                                          "will be lost\r\nDo you wish to continue? \r\n");
    EXPECT_EQ(rig.bytes("Other.frq"), other);
    EXPECT_TRUE(editor.readOnly());
    editor.mnuSave();
    EXPECT_EQ(editor.document().EditFile, "Other.frq");
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(EditorSaveTest, AFailedSaveAsIsToldAndLeavesTheSetUnnamed) {
    rig.chooser.choices = {rig.path("Full.frq")};
    {
        test::DiskFull full;
        editor.mnuSave();
    }
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "File not saved");
    EXPECT_TRUE(editor.readOnly());
    EXPECT_FALSE(QFile::exists(rig.path("Full.frq")));
    EXPECT_EQ(rig.harness.settings.GetSetting("NameSets", "LastTransfer", "none"), "none");
}

TEST(EditorKeys, NameKeysKeepSixPrintableSingleBytes) {
    EXPECT_EQ(NameKey(' ', "ab"), QChar('_'));
    EXPECT_EQ(NameKey('x', "abcdef"), std::nullopt);
    EXPECT_EQ(NameKey('\b', "abcdef"), QChar('\b'));
    EXPECT_EQ(NameKey('\r', ""), std::nullopt);
    EXPECT_EQ(NameKey(QChar(0xE9), ""), std::nullopt);
    EXPECT_EQ(NameTextAllowed("a b\t\u00e9cdefgh"), "a_bcde");
}

TEST(EditorKeys, FrequencyKeysTakeDigitsPointsAndOneUserSeparator) {
    EXPECT_EQ(FreqKey('.', "606.", '.'), std::nullopt);
    EXPECT_EQ(FreqKey(',', "606", ','), QChar(','));
    EXPECT_EQ(FreqKey(',', "606,1", ','), std::nullopt);
    EXPECT_EQ(FreqKey('.', "606,1", ','), QChar('.'));
    EXPECT_EQ(FreqKey('a', "", '.'), std::nullopt);
    EXPECT_EQ(FreqTextAllowed("6a0 6.5.9", '.'), "606.59");
    EXPECT_EQ(MuteKey('1', "10"), std::nullopt);
    EXPECT_EQ(MuteKey('x', ""), std::nullopt);
    EXPECT_EQ(MuteTextAllowed("1a23"), "12");
}

// The boxes' rules judge a key typed over a selection by the text it leaves.
TEST_F(EditorSaveTest, AKeyTypedOverASelectionReplacesIt) {
    rig.enter("ABCDEF", "606,600", "10");
    rig.harness.rack.DecimalSeparatorCode = ',';
    EXPECT_EQ(editor.NameKeyPress('X', {0, 6}), QChar('X'));
    EXPECT_EQ(editor.NameKeyPress(' ', {5, 1}), QChar('_'));
    EXPECT_EQ(editor.NameKeyPress('X', {6, 0}), std::nullopt);
    EXPECT_EQ(editor.FreqKeyPress(',', {3, 1}), QChar(','));
    EXPECT_EQ(editor.FreqKeyPress(',', {4, 3}), std::nullopt);
    EXPECT_EQ(editor.MuteKeyPress('7', {1, 1}), QChar('7'));
    EXPECT_EQ(editor.MuteKeyPress('7', {}), std::nullopt);
}

TEST_F(EditorSaveTest, AFrequencyTypedWithAPointIsReadWithTheUsersSeparator) {
    rig.harness.rack.DecimalSeparatorCode = ',';
    rig.chooser.choices = {rig.path("Comma.frq")};
    editor.mnuSave();
    rig.enter("Lead", "606.725", "5");
    editor.cmdAdd();
    ASSERT_EQ(rig.rows().size(), 3u);
    EXPECT_EQ(rig.rows()[2].cells[2], "606,725");
    EXPECT_TRUE(rig.prompter.boxes.empty());
}

} // namespace
} // namespace k7
