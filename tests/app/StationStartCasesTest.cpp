// Starts as found in the field: a stale "LastSet" without the data folder, timer 0's creation,
// the demonstration rack's panel, a last file against receivers reporting their band code.
#include "control/ReceiverPanel.h"
#include "files/FrqFile.h"
#include "rack/Protocol.h"
#include "support/StationRig.h"

#include <QDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

// The settings of an operator who loads the last file, Show1.frq, at every start.
void LoadShow1AtStart(StationRig& rig) {
    rig.settings.SaveSetting(QStringLiteral("NameSets"), QStringLiteral("LastSet"),
                             QStringLiteral("Show1.frq"));
    rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                             QStringLiteral("True"));
}

TEST(StaleLastSet, AMissingDataFolderResetsItToDefaultFrqWithBothDefaultFiles) {
    StationRig rig(RackOf(3));
    LoadShow1AtStart(rig);
    ASSERT_FALSE(QDir(rig.station->core().frq().dataFolder()).exists());
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());

    EXPECT_EQ(rig.Setting(QStringLiteral("NameSets"), QStringLiteral("LastSet")),
              QStringLiteral("Default.frq"));
    EXPECT_EQ(rig.station->core().rackFile().CurrentFile(), QStringLiteral("Default.frq"));
    EXPECT_TRUE(std::ranges::none_of(rig.prompter.boxes, [](const MessageBoxSpec& box) {
        return box.text.contains(QStringLiteral("does not exist"));
    }));
    const QDir data(rig.station->core().frq().dataFolder());
    EXPECT_TRUE(data.exists(QStringLiteral("Default.frq")));
    EXPECT_TRUE(data.exists(QStringLiteral("Template.frq")));
}

TEST(TimerCreation, TimerZeroIsCreatedAtThePollIntervalThenDiscoveryRunsAt120) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_EQ(rig.station->core().devices().PollInterval, 6);
    std::vector<QJsonObject> timerZero = rig.Traced(QStringLiteral("timer"));
    std::erase_if(timerZero, [](const QJsonObject& line) { return line["tag"].toInt(-1) != 0; });
    ASSERT_GE(timerZero.size(), 2u);
    EXPECT_FALSE(timerZero[0][QStringLiteral("enabled")].toBool()) << "its creation";
    EXPECT_EQ(timerZero[0][QStringLiteral("interval")].toInt(), 6);
    EXPECT_EQ(timerZero.back()[QStringLiteral("interval")].toInt(), 120);
    EXPECT_TRUE(timerZero.back()[QStringLiteral("enabled")].toBool());
}

TEST(DemonstrationRack, ItsPanelOpensWithNameAndFrequencyEnabled) {
    StationRig rig(sim::Scenario::simulated(3));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    EXPECT_TRUE(rig.station->core().rack().MuteHighBit[2]);
    ReceiverPanel& panel = rig.station->core().panel();
    ASSERT_TRUE(panel.Open(2));
    EXPECT_TRUE(panel.nameEnabled());
    EXPECT_TRUE(panel.freqEnabled());
}

// A last file holding exactly what the receivers report, band/type "0" where they report 36.
void WriteFileOfTheRack(Station& station, const sim::Scenario& scenario) {
    ASSERT_TRUE(QDir().mkpath(station.core().frq().dataFolder()));
    FrqDocument document;
    document.EntryCount = static_cast<std::int32_t>(scenario.receivers.size());
    document.GlobalMuteLevel = 5;
    for (int i = 1; i <= 40; ++i) {
        const std::size_t k = static_cast<std::size_t>(i - 1);
        if (k < scenario.receivers.size()) {
            const sim::ReceiverSetup& rx = scenario.receivers[k];
            const auto& f = rx.frequency;
            document.Entries[i] = {QString::fromLatin1(rx.name.data(), 6),
                                   FrequencyText(f[0], f[1], f[2], '.'), QString::number(rx.mute),
                                   QStringLiteral("0")};
        } else {
            document.Entries[i] = {QStringLiteral("Spare"), QStringLiteral("635.500"),
                                   QStringLiteral("5"), QStringLiteral("0")};
        }
    }
    ASSERT_TRUE(station.core().frq().WriteFile(QStringLiteral("Show1.frq"), document));
}

TEST(LastFile, EqualToARackReportingBandCode36IsTakenWithoutAQuestionAndNothingSent) {
    const sim::Scenario scenario = RackOf(3);
    ASSERT_EQ(scenario.receivers[0].bandType, 36);
    StationRig rig(scenario);
    WriteFileOfTheRack(*rig.station, scenario);
    LoadShow1AtStart(rig);
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());

    EXPECT_EQ(rig.station->core().rack().RxData[1].BandType, QStringLiteral("36"));
    EXPECT_TRUE(rig.prompter.boxes.empty()) << rig.prompter.boxes[0].text.toStdString();
    EXPECT_TRUE(rig.station->core().rackFile().FileInUse());
    for (int i = 0; i < 3; ++i) {
        const sim::SimulatedReceiver& rx = rig.simRack.receiver(i);
        EXPECT_EQ(rx.countOf('M') + rx.countOf('m') + rx.countOf('I'), 0) << i;
    }
}

TEST(LastFile, AUserMuteDifferenceStillAsks) {
    sim::Scenario scenario = RackOf(3);
    scenario.receivers[1].bandType = 36 | 0x40; // reports its user mute on
    StationRig rig(scenario);
    WriteFileOfTheRack(*rig.station, RackOf(3));
    LoadShow1AtStart(rig);
    ASSERT_TRUE(rig.station->Start());
    EXPECT_TRUE(rig.clock.runUntil(
        [&] { return rig.station->core().engine().Activity() == RackActivity::LoadQuestion; },
        10000));
}

} // namespace
} // namespace k7
