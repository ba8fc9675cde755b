// The receiver control panel's controller over the simulated rack: key rules, saves with the
// frames the receivers take, user mute, slider, cancel, activation, the timers it pauses, and
// the backups it offers.
#include "PanelRig.h"

#include <QFile>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using Bytes = std::vector<std::uint8_t>;

QString NameOf(const Bytes& m) {
    QString name;
    for (int i : {3, 4, 5, 7, 8, 9}) {
        name += QChar(m[static_cast<std::size_t>(i)]);
    }
    return name;
}

class ReceiverPanelTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(rig.started); }
    void TearDown() override { EXPECT_EQ(rig.refusedFrames(), 0); }
    void open(int slot = 1) { ASSERT_TRUE(rig.panel.Open(slot)); }
    test::PanelRig rig;
    ReceiverPanel& panel = rig.panel;
};

TEST_F(ReceiverPanelTest, NameKeysKeepSixCharactersAndSaveWithUnderscores) {
    open();
    rig.type(true, QString(QChar('\b')).repeated(6) + "AB CDE"); // the seventh is refused
    EXPECT_EQ(panel.txtName(), "AB_CDE");
    EXPECT_FALSE(panel.NameKeyPress('X'));
    rig.type(true, "\b\b\b\bZ");
    EXPECT_EQ(panel.txtName(), "ABZ");
    rig.type(true, "\b");
    EXPECT_EQ(panel.txtName(), "AB");
    EXPECT_FALSE(panel.NameKeyPress(QChar(0xE9))) << "a receiver shows one byte per character";
    // A key typed over a selection is judged by the text it leaves.
    panel.NameEdited("AB_CDE");
    EXPECT_EQ(panel.NameKeyPress('X', {2, 1}), QChar('X'));
    EXPECT_FALSE(panel.NameKeyPress('X', {2, 0}));
    panel.NameEdited("AB");

    rig.type(true, "\r"); // Enter saves and closes
    EXPECT_FALSE(panel.visible());
    const auto sent = rig.frames(1);
    ASSERT_EQ(sent.size(), 1u);
    const Bytes& m = sent[0].bytes;
    EXPECT_EQ(m[2], 'M');
    EXPECT_EQ(NameOf(m), "AB____");
    EXPECT_EQ(m[6], 5);
    EXPECT_EQ(rig.rack.CurData[1].Name, "AB____");
    EXPECT_TRUE(rig.fileBytes().contains("\r\nAB____\r\n")) << "the file in force follows";
    EXPECT_TRUE(rig.polling());

    open(2);
    panel.NameEdited("");
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_EQ(NameOf(rig.frames(2).at(0).bytes), "______");
}

TEST_F(ReceiverPanelTest, FrequencyKeysTakeDigitsAndOneUserSeparator) {
    rig.rack.DecimalSeparatorCode = ',';
    open();
    rig.type(false, "\b\b\b\b\b\b\b");
    EXPECT_EQ(panel.txtFreq(), "");
    EXPECT_FALSE(panel.FreqKeyPress('\r')) << "Enter in an empty field does nothing";
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_TRUE(panel.visible());
    rig.type(false, "6a1x3,5.7,5");
    EXPECT_EQ(panel.txtFreq(), "613,575");
    EXPECT_EQ(panel.FreqKeyPress(',', {2, 3}), QChar(',')) << "typed over the separator";
    EXPECT_FALSE(panel.FreqKeyPress(',', {4, 3}));
    EXPECT_EQ(rig.settingsFrames(), 0u);
    EXPECT_TRUE(rig.prompter.boxes.empty());
}

TEST_F(ReceiverPanelTest, ValidFrequencyIsSnappedProgrammedAndWritten) {
    open();
    panel.FreqEdited("620013"); // 13 kHz above a raster point
    rig.type(false, "\r");
    EXPECT_FALSE(panel.visible());
    const auto sent = rig.frames(1);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(Bytes(sent[0].bytes.begin() + 2, sent[0].bytes.begin() + 7),
              (Bytes{'I', 62, 0, 25, 5}));
    EXPECT_EQ(rig.rack.CurData[1].Frequency, "620.025");
    EXPECT_EQ(rig.rack.RxData[1].Frequency, "620.025");
    EXPECT_TRUE(rig.fileBytes().contains("620.025"));
    EXPECT_TRUE(rig.polling());

    // The captured values went with the save: leaving now takes nothing back.
    panel.Unload(false);
    EXPECT_EQ(rig.rack.CurData[1].Frequency, "620.025");
    EXPECT_EQ(rig.rack.CurData[1].Name, "VOCAL1");
    EXPECT_EQ(rig.settingsFrames(), 1u);
}

// The list, the check's line and the box are the window's test; here what goes out.
TEST_F(ReceiverPanelTest, ABackupTakenSendsNothingUntilOkAndIsThenUsedUp) {
    test::RecordingBackups backups;
    open();
    EXPECT_TRUE(panel.backups().isEmpty()) << "none offered without a coordination";
    panel.SetBackupFrequencies(&backups);
    panel.TakeBackup("612.400");
    EXPECT_TRUE(panel.backupClean());
    EXPECT_EQ(rig.settingsFrames(), 0u);
    EXPECT_TRUE(backups.used.isEmpty());
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_EQ(rig.receiver(1).frequency(), (std::array<std::uint8_t, 3>{61, 24, 0}));
    EXPECT_EQ(backups.used, QStringList{"612.400"});
    panel.SetBackupFrequencies(nullptr);
}

// "OK" sends only what changed since the panel last sent: again after a frequency save, and a
// second click let through while the first one lets pending messages run.
TEST_F(ReceiverPanelTest, ASecondOkSendsOnlyWhatChangedSinceTheLastSend) {
    open();
    panel.FreqEdited("620.025");
    panel.SaveChanges();
    ASSERT_EQ(rig.frames(1).size(), 1u);
    panel.SaveChanges();
    EXPECT_EQ(rig.frames(1).size(), 1u) << "nothing changed since the frequency went out";

    panel.NameEdited("LEAD");
    // The test's own timer (not one of the station's): the operator's second click, 1 ms on.
    constexpr int kSecondClickMs = 1;
    const std::unique_ptr<Timer> secondClick = rig.clock.createTimer();
    secondClick->setInterval(kSecondClickMs);
    secondClick->setHandler([&] {
        secondClick->setEnabled(false);
        panel.ControlClicked(ReceiverPanel::kOk);
    });
    secondClick->setEnabled(true);
    rig.clock.sleepMicros(1000); // due: it runs with the pending messages of the first "OK"
    panel.ControlClicked(ReceiverPanel::kOk);
    const auto frames = rig.frames(1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(NameOf(frames[1].bytes), "LEAD__");
    panel.SaveChanges();
    EXPECT_EQ(rig.frames(1).size(), 2u);
}

TEST_F(ReceiverPanelTest, AFrequencyThatDidNotGoOutIsSentByTheNextPass) {
    open();
    const QString before = rig.rack.RxData[1].Frequency;
    rig.harness.line.stall(0, true); // the write runs out: the receiver takes nothing
    panel.FreqEdited("620.025");
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_EQ(rig.rack.CurData[1].Frequency, "620.025");
    EXPECT_EQ(rig.rack.RxData[1].Frequency, before) << "the receiver does not hold it";
    EXPECT_TRUE(rig.frames(1).empty());

    rig.harness.line.stall(0, false);
    ASSERT_TRUE(rig.engine.StartProgrammingPass(PassKind::ChangedOnly));
    ASSERT_TRUE(rig.clock.runUntil([this] { return rig.monitoring(); }, 3000));
    ASSERT_EQ(rig.frames(1).size(), 1u);
    EXPECT_EQ(rig.receiver(1).frequency(), (std::array<std::uint8_t, 3>{62, 0, 25}));
    EXPECT_EQ(rig.rack.RxData[1].Frequency, "620.025");
}

TEST_F(ReceiverPanelTest, RefusedOrEmptyFrequencyKeepsThePanelOpenAndSendsNothing) {
    const QByteArray file = rig.fileBytes();
    open();
    // A frequency alone, then with a new name that must not slip out either.
    for (const auto& [entry, name] : {std::pair{"700", "VOCAL1"}, std::pair{"", "NEWNAM"}}) {
        panel.FreqEdited(entry);
        panel.NameEdited(name);
        rig.type(true, "\r");
        EXPECT_TRUE(panel.visible()) << entry;
        EXPECT_TRUE(panel.KeepPanelOpen());
        EXPECT_TRUE(rig.polling()) << "the timers run again after the box";
    }
    ASSERT_EQ(rig.prompter.boxes.size(), 2u);
    EXPECT_TRUE(rig.prompter.boxes[0].text.startsWith("Sorry, 700.000 is an invalid Frequency."));
    EXPECT_EQ(rig.prompter.boxes[1].text, "Please enter\r\nNo frequency data");
    rig.clock.advanceMs(500);
    EXPECT_EQ(rig.settingsFrames(), 0u);
    EXPECT_EQ(rig.rack.CurData[1], rig.rack.RxData[1]);
    EXPECT_EQ(rig.fileBytes(), file);
}

TEST_F(ReceiverPanelTest, NameAndFrequencyGoOutAsMThenIAtLeast100msApartToTheirSlot) {
    open(1);
    panel.NameEdited("LEAD");
    panel.FreqEdited("630.000");
    panel.ControlClicked(ReceiverPanel::kOk);
    // Before tmrReProg fires the operator opens another receiver.
    rig.clock.advanceMs(40);
    open(3);
    rig.clock.advanceMs(200);
    EXPECT_TRUE(rig.frames(3).empty());
    const auto frames = rig.frames(1);
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(NameOf(frames[0].bytes), "LEAD__");
    EXPECT_EQ(frames[1].bytes[2], 'I');
    EXPECT_GE(frames[1].ms - frames[0].ms, 100.0);
    EXPECT_EQ(rig.rack.CurData[1].Frequency, "630.000");
    EXPECT_EQ(rig.receiver(1).frequency(), (std::array<std::uint8_t, 3>{63, 0, 0}));
    EXPECT_EQ(panel.txtFreq(), "612.000") << "the panel shows slot 3 untouched";
}

TEST_F(ReceiverPanelTest, SliderSendsOnValueChangesAndEveryThirdScrollAndCancelRestores) {
    open();
    panel.SliderValueChanged(8); // the operator's first move is sent
    panel.SliderPressed();
    for (int v : {7, 6, 5, 4, 3, 2}) {
        panel.SliderScrolled(v);
    }
    panel.SliderReleased();
    panel.SliderValueChanged(2); // the end of the drag repeats the level just sent
    const auto frames = rig.frames(1);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ((Bytes{frames[0].bytes[6], frames[1].bytes[6], frames[2].bytes[6]}),
              (Bytes{8, 5, 2}));
    EXPECT_EQ(frames[1].bytes[2], 'm');
    EXPECT_EQ(rig.rack.CurData[1].MuteLevel, "2");
    EXPECT_EQ(panel.lblMute(), "2");

    panel.ControlClicked(ReceiverPanel::kCancel);
    EXPECT_FALSE(panel.visible());
    ASSERT_EQ(rig.frames(1).size(), 4u);
    EXPECT_EQ(rig.frames(1)[3].bytes[2], 'm');
    EXPECT_EQ(rig.frames(1)[3].bytes[6], 5);
    EXPECT_EQ(rig.rack.CurData[1].MuteLevel, "5");
}

TEST_F(ReceiverPanelTest, ActivationMovingTheSliderDropsOnlyItsOwnEcho) {
    open(1);
    rig.rack.CurData[2].MuteLevel = "9";
    open(2);
    EXPECT_TRUE(panel.SkipSliderChange());
    panel.SliderValueChanged(9); // the window echoing activation's move
    EXPECT_EQ(rig.settingsFrames(), 0u);
    panel.SliderValueChanged(3);
    ASSERT_EQ(rig.frames(2).size(), 1u);
    EXPECT_EQ(rig.frames(2)[0].bytes[6], 3);
}

TEST_F(ReceiverPanelTest, HoldingTheSliderPollsAt12msAndRestoresOnlyWhatItStopped) {
    open();
    panel.SliderPressed();
    EXPECT_EQ(rig.timers.interval(PollTimer), 12);
    EXPECT_TRUE(rig.timers.enabled(PollTimer));
    EXPECT_FALSE(rig.timers.enabled(AnswerRateTimer));
    auto queries = [this] {
        int n = 0;
        for (int s = 1; s <= test::PanelRig::kReceivers; ++s) {
            n += rig.receiver(s).countOf('D');
        }
        return n;
    };
    const int before = queries();
    rig.clock.advanceMs(120);
    EXPECT_EQ(queries() - before, 10);
    panel.SliderReleased();
    EXPECT_EQ(rig.timers.interval(PollTimer), rig.devices.PollInterval);
    EXPECT_TRUE(rig.polling());

    // During a programming pass polling is off: neither the slider nor a command starts it.
    ASSERT_TRUE(rig.engine.StartProgrammingPass(PassKind::OpenOnly));
    rig.clock.advanceMs(120);
    ASSERT_TRUE(rig.engine.State().ProgrammingBusy);
    panel.SliderPressed();
    panel.SliderReleased();
    panel.ToggleUserMute();
    panel.FreqEdited("625.000");
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_FALSE(rig.timers.enabled(PollTimer) || rig.timers.enabled(WatchdogTimer) ||
                 rig.timers.enabled(AnswerRateTimer));
    EXPECT_EQ(rig.timers.interval(PollTimer), rig.devices.PollInterval);
    EXPECT_EQ(rig.frames(1).size(), 2u);
}

TEST_F(ReceiverPanelTest, UserMuteTogglesBit6AndSendsM) {
    rig.rack.CurData[1].BandType = "3";
    open();
    panel.ControlClicked(ReceiverPanel::kUserMute);
    EXPECT_EQ(panel.lblOnOff(), "ON");
    EXPECT_EQ(panel.onOffColour(), ReceiverPanel::kOnColour);
    EXPECT_TRUE(rig.rack.UserMute[1]);
    EXPECT_EQ(rig.rack.CurData[1].BandType, "67");
    panel.ControlClicked(ReceiverPanel::kUserMute);
    EXPECT_EQ(panel.lblOnOff(), "OFF");
    ASSERT_EQ(rig.frames(1).size(), 2u);
    EXPECT_EQ(rig.frames(1)[0].bytes[2], 'm');
    EXPECT_EQ(rig.frames(1)[0].bytes[11], 67);
    EXPECT_EQ(rig.frames(1)[1].bytes[11], 3);
}

TEST_F(ReceiverPanelTest, UserMutedReceiverStaysMutedWhenItsSliderMovesAfterAPass) {
    open(2);
    panel.ToggleUserMute();
    panel.ControlClicked(ReceiverPanel::kOk);
    ASSERT_TRUE(rig.receiver(2).userMute());
    // A changed-only programming pass, as a file load starts it: the user mute stays.
    rig.engine.PauseForFileLoad().Keep();
    ASSERT_TRUE(rig.engine.StartProgrammingPass(PassKind::ChangedOnly));
    ASSERT_TRUE(rig.clock.runUntil([this] { return rig.engine.State().ProgrammingBusy; }, 1000));
    ASSERT_TRUE(rig.clock.runUntil([this] { return rig.monitoring(); }, 3000));
    EXPECT_EQ(rig.rack.CurData[2].BandType, "64");
    rig.clock.advanceMs(500);
    ASSERT_TRUE(rig.rack.UserMute[2]);

    open(2);
    EXPECT_EQ(panel.lblOnOff(), "ON");
    panel.SliderValueChanged(7);
    EXPECT_EQ(rig.frames(2).back().bytes[11], 64);
    EXPECT_TRUE(rig.receiver(2).userMute());
    EXPECT_EQ(rig.receiver(2).muteLevel(), 7);
    panel.ControlClicked(ReceiverPanel::kCancel);
    EXPECT_EQ(rig.receiver(2).muteLevel(), 5);
    EXPECT_TRUE(rig.receiver(2).userMute()) << "Cancel keeps it muted too";
}

TEST_F(ReceiverPanelTest, CancelAfterUserMuteSendsTheOriginalByteAndShowsIt) {
    open();
    panel.ToggleUserMute();
    panel.ControlClicked(ReceiverPanel::kCancel);
    EXPECT_FALSE(rig.rack.UserMute[1]);
    EXPECT_EQ(rig.frames(1).back().bytes[11], 0);
    panel.Unload(false);
    EXPECT_EQ(rig.frames(1).size(), 2u) << "nothing left to take back";
}

TEST_F(ReceiverPanelTest, ActivationDecidesWhatMayBeEdited) {
    rig.rack.MuteHighBit[1] = false;
    open(1);
    EXPECT_FALSE(panel.nameEnabled());
    EXPECT_FALSE(panel.freqEnabled());
    EXPECT_EQ(panel.lblSet(), "Show.frq");
    EXPECT_EQ(panel.lblBand(), "K7.5 606-638");
    panel.SliderValueChanged(9);
    panel.ToggleUserMute();
    EXPECT_EQ(rig.frames(1).size(), 2u) << "mute level and user mute still go out";

    rig.devices.SlotBand[2] = 14;
    open(2);
    EXPECT_EQ(panel.lblBand(), "Japan");
    EXPECT_TRUE(panel.nameEnabled());
    EXPECT_FALSE(panel.freqEnabled());

    rig.devices.SlotBand[3] = 37;
    FrqDocument defaults{3, 5, rig.rack.CurData};
    defaults.Entries[2].Frequency = QStringLiteral("807.125"); // slot 2 is of band 14 now
    rig.harness.UseFile("Default.frq", defaults);
    rig.files.CurrentFromRack(); // the receivers' own data: no file in use
    ASSERT_TRUE(rig.harness.RunToMonitoring(5000));
    open(3);
    EXPECT_EQ(panel.lblBand(), "Unknown Rx");
    EXPECT_TRUE(panel.freqEnabled());
    EXPECT_EQ(panel.lblSet(), "Rx Data");
    rig.files.ToggleLoadAtStart();
    open(3);
    EXPECT_FALSE(panel.nameEnabled());
    EXPECT_FALSE(panel.freqEnabled());
    EXPECT_EQ(panel.lblSet(), "Default.frq");
}

TEST_F(ReceiverPanelTest, ReceiversOwnDataIsNotWrittenToTheLastFile) {
    // The file is loaded at start, but the operator chose the rack.
    rig.files.ToggleLoadAtStart();
    rig.files.CurrentFromRack();
    ASSERT_TRUE(rig.harness.RunToMonitoring(5000));
    QFile::remove(rig.filePath());
    open();
    panel.NameEdited("SOLO");
    panel.ControlClicked(ReceiverPanel::kOk);
    EXPECT_EQ(rig.frames(1).size(), 1u);
    EXPECT_FALSE(QFile::exists(rig.filePath()));
}

TEST_F(ReceiverPanelTest, OnlyAnAnsweringK75ReceiverOpensAndTheShownSlotStays) {
    open(1);
    rig.rack.SlotState[3] = 0;
    EXPECT_FALSE(panel.Open(3)); // silent
    EXPECT_EQ(rig.rack.SelectedSlot, 3) << "the click selects before it is known what opens";
    EXPECT_FALSE(panel.Open(4)); // beyond the rack
    EXPECT_FALSE(panel.Open(0));
    EXPECT_EQ(panel.slot(), 1);
    panel.ToggleUserMute();
    EXPECT_EQ(rig.frames(1).size(), 1u);
    EXPECT_EQ(rig.settingsFrames(), 1u);

    rig.devices.ModelVariant = ModelK73;
    EXPECT_FALSE(panel.Open(2));
    EXPECT_EQ(panel.slot(), 1);
}

TEST_F(ReceiverPanelTest, SettingsAnswerReloadsOnlyThePanelOfItsSlot) {
    open(2);
    panel.NameEdited("TYPED");
    rig.rack.CurData[2].Name = "FROMRX";
    panel.SettingsAnswered(1);
    EXPECT_EQ(panel.txtName(), "TYPED");
    panel.SettingsAnswered(2);
    EXPECT_EQ(panel.txtName(), "FROMRX");
}

} // namespace
} // namespace k7
