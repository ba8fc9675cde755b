// File > Load, Edit and New on the whole station over the simulated rack: frames, caption,
// settings, refusals and questions, the timers each command gives back, the trace.
#include "../monitor/CsvLines.h"
#include "support/DiskFull.h"
#include "support/StationRig.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

// Entry i: name "Perf_<i>", 610.000 + i * 25 kHz, mute level 5 + i % 3 (band 36).
FrqDocument ShowDocument() {
    FrqDocument document;
    document.EntryCount = 3;
    for (int i = 1; i <= kFileEntries; ++i) {
        document.Entries[static_cast<std::size_t>(i)] = SettingsRow{
            QStringLiteral("Perf_%1").arg(i % 10), QString::number(610.0 + i * 0.025, 'f', 3),
            QString::number(5 + i % 3), QStringLiteral("0")};
    }
    return document;
}

class FileCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(station.Start());
        ASSERT_TRUE(rig.RunToMonitoring());
        ASSERT_TRUE(station.core().frq().WriteFile("Band1.frq", ShowDocument()));
    }
    QString path(const QString& name) const {
        return QDir(station.core().frq().dataFolder()).filePath(name);
    }
    QByteArray bytes(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    void choose(FileCommand command, const QString& name) {
        rig.chooser.choices = {name.contains('/') ? name : path(name)};
        station.window().MenuFileCommand(command);
    }
    bool polling() const { return rig.Polling(); }
    // The editor holds the meters; the USB watchdog watches on.
    bool pollingStopped() const {
        const TimerBank& timers = station.core().timers();
        return !timers.enabled(PollTimer) && timers.enabled(WatchdogTimer) &&
               !timers.enabled(AnswerRateTimer);
    }
    bool available() const { return station.window().state().fileCommandsEnabled; }
    // The trace's events of a kind, as "name|caption|state" or "window|text".
    QStringList traced(const QString& event) {
        QStringList lines;
        for (const QJsonObject& line : rig.Traced(event)) {
            lines << (event == "window"
                          ? line["name"].toString() + "|" + line["caption"].toString() + "|" +
                                line["state"].toString()
                          : line["window"].toString() + "|" + line["text"].toString());
        }
        return lines;
    }

    test::StationRig rig{test::RackOf(3)};
    Station& station = *rig.station;
    FrequencyEditor& editor = station.core().editor();
};

TEST_F(FileCommandsTest, LoadProgramsEveryReceiverAndIsGreyedOutsideMetering) {
    for (int i = 0; i < 3; ++i) {
        rig.simRack.receiver(i).clearFrames();
    }
    choose(FileCommand::Open, "Band1.frq");
    const FileDialogSpec& dialog = rig.chooser.dialogs.at(0);
    EXPECT_EQ(dialog.title, "Open an Veltora Frequency file");
    EXPECT_EQ(dialog.folder, station.core().frq().dataFolder());
    EXPECT_EQ(dialog.filter, "\"Frequency Files (*.frq)");
    EXPECT_EQ(dialog.defaultSuffix, "frq");
    EXPECT_TRUE(dialog.hideReadOnly);

    EXPECT_EQ(station.window().state().caption,
              station.window().TitleBase() + QStringLiteral("FILE: Band1"));
    EXPECT_EQ(rig.Setting("NameSets", "LastSet"), "Band1.frq");
    EXPECT_EQ(station.core().rackFile().CurrentFile(), "Band1.frq");
    EXPECT_TRUE(station.core().rackFile().FileInUse());
    EXPECT_FALSE(station.core().timers().enabled(PollTimer));
    EXPECT_FALSE(station.core().timers().enabled(AnswerRateTimer));
    EXPECT_TRUE(station.core().timers().enabled(PassTimer));
    EXPECT_FALSE(available()) << "no second pass can start inside the first";

    ASSERT_TRUE(rig.RunToMonitoring());
    EXPECT_TRUE(available());
    // What a full pass sends, and when: the e2e Passes tests.
    const FrqDocument file = ShowDocument();
    for (int slot = 1; slot <= 3; ++slot) {
        const sim::SimulatedReceiver& rx = rig.simRack.receiver(slot - 1);
        EXPECT_EQ(QString::fromLatin1(rx.name().data(), 6), file.Entries[slot].Name);
        EXPECT_EQ(rx.frequency(), sim::FrequencyBytes(file.Entries[slot].Frequency));
        EXPECT_EQ(rx.muteLevel(), 5 + slot % 3);
    }
    EXPECT_TRUE(rig.prompter.boxes.empty());

    // Outside metering (the exit question up) the commands are greyed and do nothing.
    station.RequestExit(ExitSource::EscapeKey);
    EXPECT_FALSE(available());
    choose(FileCommand::Open, "Band1.frq");
    EXPECT_EQ(rig.chooser.dialogs.size(), 1u);
    station.ContinueAfterExitRequest();
    EXPECT_TRUE(available());
}

TEST_F(FileCommandsTest, AFailedLoadChangesNothingAndRestartsTheTimersItStopped) {
    FrqDocument bad = ShowDocument();
    bad.Entries[2].Frequency = "700.000"; // outside band 36
    ASSERT_TRUE(station.core().frq().WriteFile("Bad.frq", bad));
    station.core().settings().Current(1).BandType = "64"; // the set in force is user-muted
    // The rack's file state and table as they were: RackFileTest.
    const auto userMute = station.core().rack().UserMute;
    const QString caption = station.window().state().caption;
    std::vector<bool> watchdogDuringLoad;
    rig.prompter.onShow = [&](const MessageBoxSpec&) {
        watchdogDuringLoad.push_back(station.core().timers().enabled(WatchdogTimer));
        EXPECT_FALSE(station.core().timers().enabled(PollTimer));
        EXPECT_FALSE(station.core().timers().enabled(AnswerRateTimer));
    };
    choose(FileCommand::Open, "Bad.frq");
    ASSERT_EQ(rig.prompter.boxes.size(), 2u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Possible file error");
    const MessageBoxSpec& box = rig.prompter.boxes[1];
    EXPECT_EQ(box.text, "An error occurred reading the file\r\nExiting file load\r\n");
    EXPECT_EQ(box.title, "");
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(watchdogDuringLoad, (std::vector<bool>{true, true}));

    EXPECT_EQ(station.core().rack().UserMute, userMute);
    EXPECT_EQ(station.window().state().caption, caption);
    EXPECT_TRUE(polling());
    EXPECT_FALSE(station.core().timers().enabled(PassTimer));

    // A cancelled dialog: nothing stopped, nothing started.
    rig.chooser.choices = {QString()};
    station.window().MenuFileCommand(FileCommand::Open);
    EXPECT_TRUE(polling());
    EXPECT_EQ(rig.prompter.boxes.size(), 2u);
}

TEST_F(FileCommandsTest, EditRefusesDefaultTheFileInForceAndOtherFoldersWithPollingPaused) {
    std::vector<bool> pollingWhileAsked;
    rig.prompter.onShow = [&](const MessageBoxSpec&) { pollingWhileAsked.push_back(polling()); };
    choose(FileCommand::Edit, "Default.frq");
    ASSERT_TRUE(station.core().rackFile().LoadIntoRack("Band1.frq").ok()); // the file in force
    choose(FileCommand::Edit, "Band1.frq");
    QTemporaryDir elsewhere;
    choose(FileCommand::Edit, elsewhere.filePath("Band1.frq"));
    ASSERT_EQ(rig.prompter.boxes.size(), 3u);
    EXPECT_EQ(rig.chooser.dialogs[0].title, "Open an K7 series frequency file");
    EXPECT_FALSE(rig.chooser.dialogs[0].hideReadOnly);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Default File ");
    EXPECT_EQ(rig.prompter.boxes[0].text,
              "You cannot edit Default.frq \r\nPlease choose a different file\r\n");
    EXPECT_EQ(rig.prompter.boxes[1].title, "Band1.frq file open ");
    EXPECT_EQ(rig.prompter.boxes[1].text,
              "Band1.frq in use \r\nPlease choose a different file\r\n");
    EXPECT_EQ(rig.prompter.boxes[2].title, "File location");
    EXPECT_TRUE(rig.prompter.boxes[2].text.contains(
        QDir::toNativeSeparators(station.core().frq().dataFolder())));
    EXPECT_EQ(pollingWhileAsked, (std::vector<bool>{false, false, false}));
    EXPECT_TRUE(polling());
    EXPECT_FALSE(editor.state().visible);

    // A file that cannot be read: the reader's box, then the command's; the editor stays shut.
    QFile corrupt(path("Short.frq"));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write("Veltora USB Receiver file\r\n3\r\n5\r\nMic\r\n");
    corrupt.close();
    choose(FileCommand::Edit, "Short.frq");
    ASSERT_EQ(rig.prompter.boxes.size(), 5u);
    EXPECT_EQ(rig.prompter.boxes[4].text,
              "An error occurred reading the file: Short.frq\r\nExiting file load\r\n");
    EXPECT_EQ(rig.prompter.boxes[4].icon, MsgIcon::Exclamation);
    EXPECT_FALSE(editor.state().visible);
    EXPECT_TRUE(polling());
}

TEST_F(FileCommandsTest, EditOpensTheEditorWithPollingPausedAndANoticeOnTheMeters) {
    choose(FileCommand::Edit, "Band1.frq");
    EXPECT_TRUE(editor.state().visible);
    EXPECT_EQ(editor.mode(), EditorMode::Edit);
    EXPECT_EQ(editor.state().caption, "Veltora frequency File: Band1.frq");
    EXPECT_EQ(editor.state().rows.size(), 3u);
    EXPECT_EQ(rig.Setting("NameSets", "LastTransfer"), "Band1.frq");
    EXPECT_TRUE(pollingStopped());
    EXPECT_EQ(station.window().state().meterNotice, Station::MeterPausedText());
    EXPECT_TRUE(available()) << "the rack still meters, only paused";

    // The file the editor has open cannot be loaded into the rack until the editor closes.
    choose(FileCommand::Open, "Band1.frq");
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Band1.frq file open ");
    EXPECT_FALSE(station.core().timers().enabled(PassTimer));
    EXPECT_FALSE(station.core().rackFile().FileInUse());

    editor.SelectRow(0);
    editor.NameEdited("Lead");
    editor.cmdUpdate();
    editor.Finish();
    EXPECT_TRUE(polling());
    EXPECT_EQ(station.window().state().meterNotice, "");
    EXPECT_EQ(traced("window"), (QStringList{"editor|Veltora frequency File: Band1.frq|shown",
                                             "editor|Veltora frequency File: Band1.frq|hidden"}));
    EXPECT_TRUE(traced("status").contains("editor|Perfomer 1 updated in Band1.frq"));

    station.core().panel().Open(2);
    station.core().panel().Hide();
    EXPECT_EQ(traced("window").mid(2),
              (QStringList{"panel|Receiver Parameters|shown", "panel|Receiver Parameters|hidden"}));
}

TEST_F(FileCommandsTest, NewAsksBeforeItOverwritesAndNoLeavesTheFileAndPolling) {
    choose(FileCommand::New, "Default.frq");
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_EQ(rig.prompter.boxes[0].title, "Default File ");
    EXPECT_EQ(rig.prompter.boxes[0].text,
              "You cannot overwrite Default.frq \r\nPlease choose a different name\r\n");
    const FileDialogSpec& dialog = rig.chooser.dialogs[0];
    EXPECT_EQ(dialog.title, "New Veltora Frequency file");
    EXPECT_TRUE(dialog.hideReadOnly);
    EXPECT_FALSE(dialog.confirmOverwrite) << "the command asks its own question";

    const QByteArray old = bytes("Band1.frq");
    rig.prompter.answers = {MsgAnswer::No};
    choose(FileCommand::New, "Band1.frq");
    ASSERT_EQ(rig.prompter.boxes.size(), 2u);
    EXPECT_EQ(rig.prompter.boxes[1].title, "File overwrite");
    EXPECT_EQ(rig.prompter.boxes[1].text, "You have chosen to overwrite Band1.frq\r\nAll data will "
                                          "be lost\r\nDo you wish to continue? \r\n");
    EXPECT_EQ(rig.prompter.boxes[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(bytes("Band1.frq"), old);
    EXPECT_TRUE(polling());
    EXPECT_FALSE(editor.state().visible);

    rig.prompter.answers = {MsgAnswer::Yes};
    choose(FileCommand::New, "Band1.frq");
    EXPECT_TRUE(pollingStopped());
    EXPECT_EQ(editor.mode(), EditorMode::NewFile);
    ASSERT_EQ(editor.state().rows.size(), 1u);
    EXPECT_EQ(editor.state().rows[0].cells,
              (std::array<QString, 4>{"1", "User_1", "635.500", "5"}));
    EXPECT_EQ(editor.state().txtName, "User 1");
    EXPECT_EQ(editor.state().txtFreq, "635.500");
    EXPECT_EQ(editor.state().lblStatus, "Performer 1 added to Band1.frq");
    EXPECT_EQ(editor.state().focus, EditorFocus::Name); // its controls: EditorWindowTest
    EXPECT_EQ(rig.Setting("NameSets", "LastTransfer"), "Band1.frq");
    const EditorDocument file = rig.ReadEditorFile("Band1.frq");
    EXPECT_EQ(file.EntryCount, 1);
    EXPECT_EQ(file.EditData[1].Name, "User_1");
    EXPECT_EQ(file.EditData[2].Name, "User_2") << "the defaults fill the rest of the file";

    editor.Finish(); // the timers the question stopped come back with the editor's unload
    EXPECT_TRUE(polling());

    // A new file that cannot be written: told, the old file kept, polling back, no editor.
    const QByteArray made = bytes("Band1.frq");
    rig.prompter.answers = {MsgAnswer::Yes};
    {
        test::DiskFull full;
        choose(FileCommand::New, "Band1.frq");
    }
    EXPECT_EQ(rig.prompter.boxes.back().title, "File not saved");
    EXPECT_EQ(bytes("Band1.frq"), made);
    EXPECT_TRUE(polling());
    EXPECT_FALSE(editor.state().visible);
}

TEST_F(FileCommandsTest, LoadsNewFilesAndEditorSavesAreInTheEventLog) {
    choose(FileCommand::Open, "Band1.frq");
    ASSERT_TRUE(rig.RunToMonitoring());
    ASSERT_TRUE(station.core().frq().WriteFile("Other.frq", ShowDocument()));
    choose(FileCommand::Edit, "Other.frq");
    editor.SelectRow(1);
    editor.cmdUpdate();
    editor.Finish();
    choose(FileCommand::New, "Fresh.frq");
    editor.Finish();
    choose(FileCommand::Edit, "Band1.frq"); // refused: the file in force; nothing logged

    // Slot, name, event and detail of the log's rows without a slot, in order.
    QStringList rows;
    const QDir logs(station.core().frq().dataFolder() + "/Logs");
    for (const QString& file : logs.entryList({"*.csv"}, QDir::Files, QDir::Name)) {
        for (const QStringList& row : test::CsvRows(logs.filePath(file))) {
            if (row.size() == 5 && row[0] != "time" && row[1].isEmpty()) {
                rows << row.mid(3).join('|');
            }
        }
    }
    EXPECT_EQ(rows.filter(QRegularExpression("^file-")),
              (QStringList{"file-load|Band1.frq, every setting to every receiver (3)",
                           "file-save|Other.frq, entry 2 updated in the editor",
                           "file-new|Fresh.frq, the band's defaults",
                           "file-save|Fresh.frq, entry 1 added in the editor"}));
    EXPECT_TRUE(rows.contains("programming-pass|file Band1.frq, every setting"))
        << rows.join('\n').toStdString();
}

TEST_F(FileCommandsTest, TheOrderlyStopClosesTheEditorWithoutStartingATimer) {
    choose(FileCommand::Edit, "Band1.frq");
    ASSERT_TRUE(editor.state().visible);
    station.RequestExit(ExitSource::MenuExit);
    station.CloseNow();
    ASSERT_TRUE(station.Stopped());
    EXPECT_FALSE(editor.state().visible);
    bool stopping = false;
    for (const QJsonObject& line : rig.TraceLines()) {
        if (line["event"] == "window" && line["state"] == "hidden") {
            stopping = true;
        }
        EXPECT_FALSE(stopping && line["event"] == "timer" && line["enabled"].toBool())
            << line["tag"].toInt();
    }
    EXPECT_TRUE(stopping);
}

} // namespace
} // namespace k7
