// Programming passes on scripted receivers: changed-only, full and opening passes, the "I"
// frame 90 ms after its slot's tick, the band guard, and the timers a pass owns.
#include "EngineRig.h"

#include "rack/Protocol.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

void toMonitoring(EngineRig& rig) {
    ASSERT_TRUE(rig.runUntil([&] { return rig.monitoring(); }, 60000));
}

// What the file-open command does: all settings of CurData to every receiver.
void startFullPass(EngineRig& rig) {
    rig.rack.PassStart = true;
    rig.rack.ProgramRack = true;
    rig.rack.ChangedOnly = false;
    rig.timers.setEnabled(PassTimer, true);
}

QByteArray bytes(const SettingsFrame& frame) {
    return QByteArray(reinterpret_cast<const char*>(frame.data()), kSettingsFrameSize);
}

TEST(ChangedOnlyPass, SendsOnlyTheNameFrameWhenOnlyTheNameDiffersThenNothing) {
    EngineRig rig(3);
    toMonitoring(rig);
    rig.rack.UserMute[1] = true;
    rig.files.LoadData = rig.rack.RxData;
    rig.files.LoadData[2].Name = QStringLiteral("LEAD");
    rig.rackFiles.AcceptLoadedFile();
    toMonitoring(rig);
    EXPECT_EQ(rig.framesOf(0, 'M') + rig.framesOf(2, 'M'), 0);
    ASSERT_EQ(rig.framesOf(1, 'M'), 1);
    EXPECT_EQ(rig.driver.framesOf(1, 'M')[0].mid(3, 3), "LEA");
    EXPECT_EQ(rig.driver.framesOf(1, 'M')[0].mid(7, 3), "D__");
    for (int d = 0; d < 3; ++d) {
        EXPECT_EQ(rig.framesOf(d, 'I'), 0) << d;
        const auto s = static_cast<std::size_t>(d + 1);
        EXPECT_EQ(rig.rack.CurData[s].BandType, QStringLiteral("0"));
        EXPECT_FALSE(rig.rack.UserMute[s]);
    }
    EXPECT_EQ(rig.rack.RxData[2].Name, QStringLiteral("LEAD"));
    EXPECT_FALSE(rig.rack.ChangedOnly);
    EXPECT_TRUE(rig.rack.ProgramRack);

    rig.rackFiles.AcceptLoadedFile();
    toMonitoring(rig);
    EXPECT_EQ(rig.framesOf(1, 'M'), 1);
}

TEST(ChangedOnlyPass, AChangedFrequencyGoesOut90MsAfterItsSlotsTick) {
    EngineRig rig(2);
    toMonitoring(rig);
    rig.files.LoadData = rig.rack.RxData;
    rig.files.LoadData[2].Frequency = QStringLiteral("606.600");
    rig.rackFiles.AcceptLoadedFile();
    const double started = rig.now();
    ASSERT_TRUE(rig.runUntil([&] { return rig.framesOf(1, 'I') == 1; }, 2000));
    EXPECT_EQ(rig.now() - started, 3 * 120.0 + 90.0); // start tick, slot 1, slot 2, +90
    EXPECT_EQ(rig.framesOf(1, 'M'), 0);
    EXPECT_EQ(rig.driver.framesOf(1, 'I')[0].mid(3, 3), QByteArray("\x3c\x42\x00", 3));
    EXPECT_EQ(rig.rack.RxData[2].Frequency, QStringLiteral("606.600"));
}

TEST(ChangedOnlyPass, AFrequencyTheBandRefusesIsNeverSent) {
    EngineRig rig(2);
    toMonitoring(rig);
    rig.guard.refused.insert(QStringLiteral("999.000"));
    rig.files.LoadData = rig.rack.RxData;
    rig.files.LoadData[1].Frequency = QStringLiteral("999.000");
    rig.files.LoadData[2].Frequency = QStringLiteral("61x.000");
    rig.rackFiles.AcceptLoadedFile();
    toMonitoring(rig);
    EXPECT_EQ(rig.framesOf(0, 'I') + rig.framesOf(1, 'I'), 0);
    EXPECT_EQ(rig.rack.RxData[1].Frequency, QStringLiteral("613.575"));
    EXPECT_EQ(rig.rack.RxData[2].Frequency, QStringLiteral("613.575"));
}

TEST(FullPass, SendsNameThenFrequency90MsLaterToEverySlot) {
    EngineRig rig(3);
    toMonitoring(rig);
    for (int s = 1; s <= 3; ++s) {
        rig.rack.CurData[s] =
            SettingsRow{"VOX" + QString::number(s), "61" + QString::number(s) + ".500", "4", "64"};
    }
    rig.timers.setEnabled(PollTimer, true);
    startFullPass(rig);
    const double started = rig.now();
    std::vector<double> sentAt(3, 0.0);
    for (int d = 0; d < 3; ++d) {
        ASSERT_TRUE(rig.runUntil([&] { return rig.framesOf(d, 'M') == 1; }, 2000));
        const double mAt = rig.now();
        EXPECT_EQ(mAt - started, 120.0 * (d + 2));
        ASSERT_TRUE(rig.runUntil([&] { return rig.framesOf(d, 'I') == 1; }, 2000));
        EXPECT_EQ(rig.now() - mAt, 90.0);
        const auto s = static_cast<std::size_t>(d + 1);
        EXPECT_EQ(rig.driver.framesOf(d, 'M')[0][11], 64); // band/type as it was
        EXPECT_EQ(rig.rack.CurData[s].BandType, QStringLiteral("0"));
        rig.rack.CurData[s].BandType = QStringLiteral("64"); // what the frame must not see
    }
    toMonitoring(rig);
    EXPECT_EQ(rig.shell.titles.last(), QStringLiteral("FILE: "));
    for (int d = 0; d < 3; ++d) {
        const auto expected = BuildFrequencyFrame(rig.rack, d + 1);
        ASSERT_TRUE(expected);
        EXPECT_EQ(rig.driver.framesOf(d, 'I')[0], bytes(*expected));
    }
}

TEST(FullPass, StopsPollingItselfAndKeepsTheFrequencyFrameFromOtherWrites) {
    EngineRig rig(2);
    toMonitoring(rig);
    rig.rack.CurData[1].Frequency = QStringLiteral("606.600");
    const int queries = rig.framesOf(0, 'D') + rig.framesOf(1, 'D');
    startFullPass(rig);                 // the starter left timer 0 running
    rig.clock.advanceMs(120 + 120 + 1); // start tick, slot 1's "M"; "I" waits
    EXPECT_FALSE(rig.timers.enabled(PollTimer));
    EXPECT_FALSE(rig.timers.enabled(WatchdogTimer));
    EXPECT_FALSE(rig.timers.enabled(AnswerRateTimer));
    EXPECT_EQ(rig.engine.Activity(), RackActivity::Pass);
    EXPECT_FALSE(rig.engine.PollingMayRun());
    // Another exchange in the 90 ms reuses the shared transmit buffer.
    rig.link.TxBuffer.fill(0xEE);
    rig.clock.advanceMs(90);
    ASSERT_EQ(rig.framesOf(0, 'I'), 1);
    EXPECT_EQ(rig.driver.framesOf(0, 'I')[0], bytes(*BuildFrequencyFrame(rig.rack, 1)));
    toMonitoring(rig);
    EXPECT_EQ(rig.framesOf(0, 'D') + rig.framesOf(1, 'D'), queries);
}

TEST(OpeningPass, WritesTheSnapshotOnlyWithoutTheLastFileAndTellsAFailedOne) {
    EngineRig rig(1);
    rig.rackFiles.snapshotWrites = false;
    toMonitoring(rig);
    ASSERT_EQ(rig.prompter.boxes.size(), 1u);
    EXPECT_TRUE(rig.prompter.boxes[0].text.contains(QStringLiteral("Rack_Data.frq")));
    EXPECT_EQ(rig.shell.titles, QStringList{"Using: Receiver Data"});

    EngineRig withFile(1);
    withFile.files.LoadLastFile = true;
    withFile.rackFiles.loadResult = QStringLiteral("No frq file");
    toMonitoring(withFile);
    EXPECT_FALSE(withFile.rackFiles.calls.contains(QStringLiteral("WriteRackSnapshot")));
    EXPECT_EQ(withFile.shell.titles, QStringList{"Using: Receiver Data"});
}

TEST(OpeningPass, ShowsItsProgressInTheDialog) {
    EngineRig rig(3);
    ASSERT_TRUE(rig.runUntil([&] { return rig.rack.ProgrammingBusy; }, 5000));
    EXPECT_EQ(rig.dialog.activity, QStringLiteral("Using Rx data:"));
    EXPECT_EQ(rig.dialog.form, RecordingStartupDialog::Form::Progress);
    rig.clock.advanceMs(240);
    EXPECT_EQ(rig.dialog.activity, QStringLiteral("Opening Rx: "));
    EXPECT_EQ(rig.dialog.receiverNumber, QStringLiteral("2"));
    EXPECT_EQ(rig.dialog.progress, 2);
    toMonitoring(rig);
    EXPECT_EQ(rig.dialog.activity, QStringLiteral("USB Monitoring"));
    EXPECT_TRUE(rig.dialog.receiverNumber.isEmpty());
    EXPECT_EQ(rig.shell.focusCount, 1);
}

} // namespace
} // namespace k7::test
