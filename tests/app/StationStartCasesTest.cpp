// Starts as found in the field: a stale "LastSet" with or without the data folder, timer 0's
// creation, the demonstration rack's panel, and a last file compared with a rack whose
// receivers report their band code in the band/type byte.
#include "StationRig.h"
#include "control/ReceiverPanel.h"
#include "files/FrqFile.h"

#include <QDir>

#include <algorithm>

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

bool AnyBoxSays(const std::vector<MessageBoxSpec>& boxes, const QString& words) {
    return std::any_of(boxes.begin(), boxes.end(),
                       [&](const MessageBoxSpec& box) { return box.text.contains(words); });
}

TEST(StaleLastSet, AMissingDataFolderResetsItToDefaultFrqWithBothDefaultFiles) {
    StationRig rig(RackOf(3));
    rig.settings.SaveSetting(QStringLiteral("NameSets"), QStringLiteral("LastSet"),
                             QStringLiteral("Show1.frq"));
    rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                             QStringLiteral("True"));
    ASSERT_FALSE(QDir(rig.station->dataFolder()).exists());
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());

    EXPECT_EQ(rig.Setting(QStringLiteral("NameSets"), QStringLiteral("LastSet")),
              QStringLiteral("Default.frq"));
    EXPECT_EQ(rig.station->files().CurrentFile, QStringLiteral("Default.frq"));
    EXPECT_FALSE(AnyBoxSays(rig.prompter.boxes, QStringLiteral("does not exist")));
    const QDir data(rig.station->dataFolder());
    EXPECT_TRUE(data.exists(QStringLiteral("Default.frq")));
    EXPECT_TRUE(data.exists(QStringLiteral("Template.frq")));
}

TEST(StaleLastSet, AnExistingFolderKeepsTheNameAndSaysTheFileIsMissing) {
    StationRig rig(RackOf(3));
    ASSERT_TRUE(QDir().mkpath(rig.station->dataFolder()));
    rig.settings.SaveSetting(QStringLiteral("NameSets"), QStringLiteral("LastSet"),
                             QStringLiteral("Show1.frq"));
    rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                             QStringLiteral("True"));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_TRUE(rig.RunToMonitoring());
    EXPECT_EQ(rig.Setting(QStringLiteral("NameSets"), QStringLiteral("LastSet")),
              QStringLiteral("Show1.frq"));
    EXPECT_TRUE(AnyBoxSays(rig.prompter.boxes, QStringLiteral("Show1.frq does not exist")));
    EXPECT_TRUE(QDir(rig.station->dataFolder()).exists(QStringLiteral("Template.frq")));
}

TEST(TimerCreation, TimerZeroIsCreatedAtThePollIntervalThenDiscoveryRunsAt120) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    ASSERT_EQ(rig.station->devices().PollInterval, 6);
    std::vector<QJsonObject> timerZero;
    for (const QJsonObject& line : rig.TraceLines()) {
        if (line[QStringLiteral("event")].toString() == QLatin1String("timer") &&
            line[QStringLiteral("tag")].toInt(-1) == 0) {
            timerZero.push_back(line);
        }
    }
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
    EXPECT_TRUE(rig.station->rack().MuteHighBit[2]);
    ReceiverPanel& panel = rig.station->receiverPanel();
    ASSERT_TRUE(panel.Open(2));
    EXPECT_TRUE(panel.nameEnabled());
    EXPECT_TRUE(panel.freqEnabled());
}

// A last file holding exactly what the receivers report, band/type "0" where they report 36.
} // namespace
} // namespace k7
