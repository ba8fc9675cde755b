// The editor's controller over the simulated rack: the edit commands and their limits, the
// names and mute levels it stores, the compaction of "**NA**" entries, the file on disk after
// every command, and the failures it must never hide.
#include "EditorRig.h"

namespace k7 {
namespace {

class FrequencyEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.started); }
    test::EditorRig rig;
    FrequencyEditor& editor = rig.editor;
};

TEST_F(FrequencyEditorTest, AddAppendsARowUntilTheFileHoldsTwentyFour) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(23)));
    ASSERT_TRUE(rig.open("Show.frq"));
    ASSERT_EQ(rig.rows().size(), 23u);

    rig.enter("Lead", "6071", "");
    editor.cmdAdd();
    ASSERT_EQ(rig.rows().size(), 24u);
    EXPECT_EQ(rig.rows()[23].cells,
              (std::array<QString, 4>{"24", "Lead", "607.100", "5"})); // mute "" becomes "5"
    EXPECT_EQ(rig.status(), "Performer 24 added to Show.frq");
    EXPECT_EQ(editor.state().lblNo, "24");
    EXPECT_EQ(editor.SelectedEntry(), 24);
    EXPECT_EQ(editor.state().txtName, "");
    EXPECT_TRUE(rig.fileMatchesGrid());

    const QByteArray full = rig.bytes("Show.frq");
    rig.enter("Extra", "607.2", "5");
    editor.cmdAdd();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = rig.prompter.boxes[0];
    EXPECT_EQ(box.title, "File full");
    EXPECT_EQ(box.text,
              "Your file already has 24 entries\r\nYou may only update or delete existing data");
    EXPECT_EQ(box.icon, MsgIcon::None);
    EXPECT_EQ(box.buttons, MsgButtons::OK);
    EXPECT_EQ(rig.rows().size(), 24u);
    EXPECT_EQ(rig.bytes("Show.frq"), full);
}

TEST_F(FrequencyEditorTest, InsertGoesBeforeTheSelectedRowAndAtTwentyFourOverwritesAfterYes) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(23)));
    ASSERT_TRUE(rig.open("Show.frq"));
    editor.SelectRow(1);
    EXPECT_EQ(editor.state().txtName, "Mic002");
    rig.enter("New", "606.650", "7");
    editor.cmdInsert();
    ASSERT_EQ(rig.rows().size(), 24u);
    EXPECT_EQ(rig.rows()[1].cells, (std::array<QString, 4>{"2", "New", "606.650", "7"}));
    EXPECT_EQ(rig.rows()[2].cells[1], "Mic002");
    EXPECT_EQ(rig.rows()[23].cells[0], "24");
    EXPECT_EQ(rig.status(), "Performer 2 inserted into Show.frq");
    EXPECT_TRUE(rig.fileMatchesGrid());

    // A full file: the question, and No changes nothing.
    const QByteArray full = rig.bytes("Show.frq");
    editor.SelectRow(4);
    rig.enter("Over", "607.000", "3");
    rig.prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    editor.cmdInsert();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "File full");
    EXPECT_EQ(rig.prompter.boxes[0].text,
              "Your file already has 24 entries\r\nDo you wish to overwrite the selected data");
    EXPECT_EQ(rig.prompter.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_EQ(rig.bytes("Show.frq"), full);
    EXPECT_EQ(rig.rows()[4].cells[1], "Mic004");

    editor.cmdInsert(); // Yes: row 5 is replaced, no row is added
    EXPECT_EQ(rig.rows().size(), 24u);
    EXPECT_EQ(rig.rows()[4].cells, (std::array<QString, 4>{"5", "Over", "607.000", "3"}));
    EXPECT_EQ(rig.rows()[5].cells[1], "Mic005");
    EXPECT_EQ(rig.status(), "Performer 5 inserted into Show.frq");
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(FrequencyEditorTest, UpdateAndDeleteKeepOneRowAtLeast) {
    ASSERT_TRUE(rig.write("Duo.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.open("Duo.frq"));
    editor.SelectRow(1);
    rig.enter("Bass", "606.7", "");
    editor.cmdUpdate();
    EXPECT_EQ(rig.status(), "Perfomer 2 updated in Duo.frq");
    EXPECT_EQ(rig.rows()[1].cells, (std::array<QString, 4>{"2", "Bass", "606.700", "5"}));
    EXPECT_EQ(editor.state().txtFreq, "");
    EXPECT_TRUE(rig.fileMatchesGrid());

    editor.SelectRow(0);
    editor.cmdDelete();
    EXPECT_EQ(rig.status(), "Performer 1 deleted from Duo.frq");
    ASSERT_EQ(rig.rows().size(), 1u);
    EXPECT_EQ(rig.rows()[0].cells, (std::array<QString, 4>{"1", "Bass", "606.700", "5"}));
    EXPECT_EQ(editor.state().txtName, "Bass"); // row 0 fills the boxes
    EXPECT_TRUE(rig.fileMatchesGrid());

    const QByteArray one = rig.bytes("Duo.frq");
    editor.cmdDelete();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Deletion error");
    EXPECT_EQ(rig.prompter.boxes[0].text,
              "Your file must contain one frequency\r\nUse 'Update' to change the data");
    EXPECT_EQ(rig.rows().size(), 1u);
    EXPECT_EQ(rig.bytes("Duo.frq"), one);
}

TEST_F(FrequencyEditorTest, NamesAndMuteLevelsAreTidiedOrRefused) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(1)));
    ASSERT_TRUE(rig.open("Show.frq"));
    rig.enter("a b", "606.9", "0"); // "0" has no lower bound
    editor.cmdAdd();
    rig.enter("", "606.95", "10");
    editor.cmdAdd();
    ASSERT_EQ(rig.rows().size(), 3u);
    EXPECT_EQ(rig.rows()[1].cells[1], "a_b");
    EXPECT_EQ(rig.rows()[1].cells[3], "0");
    EXPECT_EQ(rig.rows()[2].cells[1], "______");
    const EditorDocument file = rig.readBack("Show.frq");
    EXPECT_EQ(file.EditData[2].Name, "a_b___");
    EXPECT_EQ(file.EditData[3].Name, "______");
    EXPECT_TRUE(rig.prompter.boxes.empty());

    rig.enter("Loud", "607", "11");
    editor.cmdAdd();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Size error");
    EXPECT_EQ(rig.prompter.boxes[0].icon, MsgIcon::Exclamation);
    EXPECT_EQ(rig.prompter.boxes[0].text,
              "The mute value is too large!\r\nPlease enter a number less than 10.");
    EXPECT_EQ(rig.rows().size(), 3u);
    EXPECT_EQ(editor.state().focus, EditorFocus::Mute);

    EXPECT_FALSE(editor.CheckMuteEntry("x", 10));
    EXPECT_EQ(rig.prompter.boxes.back().title, "Entry error");
    EXPECT_EQ(rig.prompter.boxes.back().text, "Mute level must be 1 to 10\r\nPlease re enter");
}

TEST_F(FrequencyEditorTest, AFrequencyOutsideTheBandOrUnreadableIsClearedAndKeepsTheFocus) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(1)));
    ASSERT_TRUE(rig.open("Show.frq"));
    const QByteArray before = rig.bytes("Show.frq");
    for (const char* typed : {"700", "6.0.1"}) { // "Err", then "E: ..."
        rig.prompter.boxes.clear();
        rig.enter("Mic", typed, "5");
        editor.cmdAdd();
        EXPECT_EQ(editor.state().txtFreq, "") << typed;
        EXPECT_EQ(editor.state().focus, EditorFocus::Freq) << typed;
        EXPECT_EQ(rig.prompter.boxes.size(), 1u) << typed;
        EXPECT_EQ(rig.rows().size(), 1u) << typed;
    }
    EXPECT_EQ(rig.bytes("Show.frq"), before);

    // Nothing entered: the check says so and the box keeps the focus.
    rig.prompter.boxes.clear();
    rig.enter("Mic", "", "5");
    editor.cmdAdd();
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].text, "Please enter\r\nNo frequency data");
    EXPECT_EQ(rig.rows().size(), 1u);
}

TEST_F(FrequencyEditorTest, LeavingTheFrequencyBoxChecksOnceAndNormalises) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(3)));
    ASSERT_TRUE(rig.open("Show.frq"));
    editor.SelectRow(2);
    editor.FreqEdited("6070");
    editor.FreqBoxLeft();
    EXPECT_EQ(editor.state().txtFreq, "607.000");
    EXPECT_EQ(editor.state().selectedRow, 2);
    EXPECT_TRUE(rig.prompter.boxes.empty());

    // The box of a refused frequency takes the focus away; that is not leaving the box again.
    int checks = 0;
    rig.prompter.onShow = [&](const MessageBoxSpec&) {
        ++checks;
        editor.FreqBoxLeft();
    };
    editor.FreqEdited("650");
    editor.FreqBoxLeft();
    EXPECT_EQ(checks, 1);
    EXPECT_EQ(editor.state().txtFreq, "");
    EXPECT_EQ(editor.state().focus, EditorFocus::Freq);
    rig.prompter.onShow = nullptr;

    editor.FreqBoxLeft(); // an empty box is not checked
    EXPECT_EQ(checks, 1);
}

TEST_F(FrequencyEditorTest, NotAvailableEntriesAreShownApartAndCompactedWithTheirOwnNames) {
    FrqDocument document = test::EditorRig::Document(5);
    document.Entries[2].Name = "**NA**";
    document.Entries[4].BandType = "64";
    document.Entries[5].Name = "Longname"; // the file keeps it whole, the grid shows six
    ASSERT_TRUE(rig.write("Gaps.frq", document));
    ASSERT_TRUE(rig.open("Gaps.frq"));
    ASSERT_EQ(rig.rows().size(), 4u);
    EXPECT_EQ(rig.rows()[1].cells[0], "3");
    EXPECT_EQ(rig.rows()[3].cells[0], "5");
    EXPECT_EQ(rig.rows()[3].cells[1], "Longna");

    // The second row is entry 3: the boxes follow that entry.
    editor.SelectRow(1);
    EXPECT_EQ(editor.state().txtName, "Mic003");
    EXPECT_EQ(editor.state().txtFreq, "606.650");
    EXPECT_EQ(editor.state().lblRow, "2");

    editor.SelectRow(0);
    rig.enter("Lead", "606.600", "6");
    editor.cmdUpdate();
    const EditorDocument file = rig.readBack("Gaps.frq");
    EXPECT_EQ(file.EntryCount, 4); // no entry counted twice
    const std::array<std::pair<const char*, const char*>, 4> expected{{{"Lead__", "606.600"},
                                                                       {"Mic003", "606.650"},
                                                                       {"Mic004", "606.675"},
                                                                       {"Longname", "606.700"}}};
    for (std::size_t e = 1; e <= expected.size(); ++e) {
        EXPECT_EQ(file.EditData[e].Name, expected[e - 1].first) << e;
        EXPECT_EQ(file.EditData[e].Frequency, expected[e - 1].second) << e;
        EXPECT_EQ(file.EditData[e].BandType, "0") << e; // every edit clears the flags
    }
    EXPECT_EQ(rig.rows()[1].cells[0], "2");
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(FrequencyEditorTest, UpdateWithAnEmptyGridWritesNothing) {
    FrqDocument document = test::EditorRig::Document(1);
    document.Entries[1].Name = "**NA**";
    ASSERT_TRUE(rig.write("Empty.frq", document));
    ASSERT_TRUE(rig.open("Empty.frq"));
    ASSERT_TRUE(rig.rows().empty());
    const QByteArray before = rig.bytes("Empty.frq");
    rig.enter("Lead", "606.600", "5");
    editor.cmdUpdate();
    editor.cmdDelete();
    EXPECT_EQ(rig.bytes("Empty.frq"), before);
    EXPECT_EQ(rig.status(), "");

    editor.cmdInsert(); // an empty grid takes its first row at the top
    ASSERT_EQ(rig.rows().size(), 1u);
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(FrequencyEditorTest, AFailedSaveIsToldTakenBackAndNeverReportedAsDone) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.open("Show.frq"));
    const QByteArray before = rig.bytes("Show.frq");
    const std::vector<GridRow> rows = rig.rows();
    std::vector<QString> told;
    editor.SetStatusListener([&](const QString& text) { told.push_back(text); });
    rig.enter("Late", "606.900", "5");
    {
        test::DiskFull full;
        editor.cmdAdd();
    }
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "File not saved");
    EXPECT_TRUE(rig.prompter.boxes[0].text.contains("(" + test::DiskFull::Reason() + ")"))
        << rig.prompter.boxes[0].text.toStdString();
    for (const QString& text : told) {
        EXPECT_FALSE(text.contains("added")) << text.toStdString();
    }
    EXPECT_TRUE(rig.status().startsWith("Not saved"));
    EXPECT_EQ(rig.rows(), rows);
    EXPECT_EQ(editor.state().txtName, "Late"); // the entry waits in the boxes
    EXPECT_EQ(rig.bytes("Show.frq"), before);
    EXPECT_EQ(editor.document().EntryCount, 2);

    editor.cmdAdd(); // once the disk has room the same entry goes in
    EXPECT_EQ(rig.rows().size(), 3u);
    EXPECT_TRUE(rig.fileMatchesGrid());
}

TEST_F(FrequencyEditorTest, PollingStopsWhileTheEditorIsOpenAndComesBackExactly) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.polling());
    ASSERT_TRUE(rig.open("Show.frq"));
    EXPECT_TRUE(rig.pollingStopped());
    EXPECT_TRUE(editor.pollingHeld());
    const int queries = rig.harness.receiver(0).countOf('D');
    rig.harness.clock.advanceMs(500);
    EXPECT_EQ(rig.harness.receiver(0).countOf('D'), queries);

    editor.Activate(); // again: nothing more to stop, nothing started
    EXPECT_TRUE(rig.pollingStopped());
    editor.Finish();
    EXPECT_TRUE(rig.polling());
    EXPECT_EQ(rig.timers.interval(PollTimer), rig.harness.devices.PollInterval);
    EXPECT_FALSE(editor.state().visible);

    // Polling that another command had already stopped is not the editor's to start.
    {
        const TimerPause elsewhere = rig.harness.engine.PauseQueries();
        ASSERT_TRUE(rig.open("Show.frq"));
        editor.Finish();
        EXPECT_FALSE(rig.timers.enabled(PollTimer));
        EXPECT_TRUE(rig.timers.enabled(WatchdogTimer));
    }

    // A pass that ends while the editor is open starts metering; the editor stops it again.
    ASSERT_TRUE(rig.open("Show.frq"));
    ASSERT_TRUE(rig.harness.engine.StartProgrammingPass(PassKind::OpenOnly));
    editor.Finish(); // inside a pass: nothing restarted under it
    EXPECT_FALSE(rig.timers.enabled(PollTimer));
    ASSERT_TRUE(rig.harness.RunToMonitoring(5000));
    ASSERT_TRUE(rig.open("Show.frq"));
    ASSERT_TRUE(rig.harness.engine.StartProgrammingPass(PassKind::OpenOnly));
    rig.harness.clock.advanceMs(2000);
    EXPECT_EQ(rig.harness.engine.Activity(), RackActivity::Monitoring);
    EXPECT_TRUE(rig.pollingStopped());
    editor.Finish();
    EXPECT_TRUE(rig.polling());
}

TEST_F(FrequencyEditorTest, AnEditOpensWithoutTheTransferControlsAndChangedRowsLoseTheirMarks) {
    ASSERT_TRUE(rig.write("Show.frq", test::EditorRig::Document(2)));
    ASSERT_TRUE(rig.open("Show.frq"));
    EXPECT_FALSE(editor.state().controls[EditorControl::cmdUpload].visible);
    EXPECT_FALSE(editor.state().controls[EditorControl::cmbRxs].visible);
    EXPECT_TRUE(editor.state().controls[EditorControl::cmdDelete].enabled);
    EXPECT_EQ(editor.state().caption, "Veltora frequency File: Show.frq");
    EXPECT_EQ(editor.state().cmbRxsItems, (QStringList{"1", "2", "3"}));
    editor.SetRowDecoration(1, RowDecoration{QColor(Qt::red), "clash"});
    EXPECT_EQ(rig.rows()[1].decoration.toolTip, "clash");
    rig.enter("Lead", "606.6", "5");
    editor.cmdUpdate();
    EXPECT_EQ(rig.rows()[1].decoration, RowDecoration{}) << "marks go when the rows change";
}

} // namespace
} // namespace k7
