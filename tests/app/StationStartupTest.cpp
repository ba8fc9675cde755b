// The station's start-up on the simulated rack: sizing and labels by rack, the refusals with
// their messages and exit code, a second instance, the model-dependent preparation and the
// settings of a first start.
#include "support/StationRig.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

using test::RackOf;
using test::StationRig;

struct RackCase {
    int receivers;
    const char* serialStart;
    QSize panel;
    const char* countLabel;
};

class StationStartup : public ::testing::TestWithParam<RackCase> {};

TEST_P(StationStartup, SizesLabelsAndStartsDiscovery) {
    const RackCase& c = GetParam();
    StationRig rig(RackOf(c.receivers, c.serialStart));
    ASSERT_TRUE(rig.station->Start());
    Station& station = *rig.station;
    EXPECT_EQ(station.windowSize().panel, c.panel);
    EXPECT_EQ(station.dialog().state().receiverCount, QString::fromLatin1(c.countLabel));
    EXPECT_EQ(station.dialog().state().progressMaximum, c.receivers);
    EXPECT_EQ(DialogStateName(station.dialog().state()), QStringLiteral("startup"));
    EXPECT_TRUE(station.window().state().caption.startsWith(
        QStringLiteral("Veltora K7 Monitoring -- Ver: ")));
    EXPECT_TRUE(station.core().timers().enabled(PollTimer));
    EXPECT_EQ(station.core().timers().interval(PollTimer), 120);
    for (int tag : {SpareTimer, WatchdogTimer, PassTimer, AnswerRateTimer, FrequencySendTimer}) {
        EXPECT_FALSE(station.core().timers().enabled(tag)) << tag;
    }
    EXPECT_EQ(station.core().engine().State().PollMode, PollDiscovery);
    EXPECT_EQ(station.core().rackFile().GlobalMuteLevel(), 5);
    EXPECT_TRUE(station.core().engine().State().ChangedOnly);
    EXPECT_EQ(station.core().rack().CurData[1].Name, QStringLiteral("Starting"));
    EXPECT_TRUE(rig.prompter.boxes.empty());
    EXPECT_TRUE(rig.RunToMonitoring()) << "the started station reaches metering by itself";
}

INSTANTIATE_TEST_SUITE_P(Racks, StationStartup,
                         ::testing::Values(RackCase{1, "5K", {200, 350}, "1 K7.5"},
                                           RackCase{8, "5K", {800, 700}, "8 K7.5s"},
                                           RackCase{12, "5E", {800, 525}, "12 Japanese"}));

// The files a first start writes, byte for byte: StartupFilesTest.
TEST(StationStartupFiles, FirstStartStoresFalseAndDefaultFrq) {
    StationRig rig(RackOf(8));
    ASSERT_TRUE(rig.station->Start());
    EXPECT_EQ(rig.Setting(QStringLiteral("Settings"), QStringLiteral("LoadFile")),
              QStringLiteral("False"));
    EXPECT_EQ(rig.Setting(QStringLiteral("NameSets"), QStringLiteral("LastSet")),
              QStringLiteral("Default.frq"));
    EXPECT_EQ(rig.station->core().rackFile().CurrentFile(), QStringLiteral("Default.frq"));
    EXPECT_FALSE(rig.station->core().rackFile().LoadAtStart());
    EXPECT_TRUE(rig.station->window().state().fileCommandsVisible);
    EXPECT_FALSE(rig.station->window().state().loadLastFileChecked);
}

TEST(StationStartupFiles, K73HidesFileCommandsNeverReadsLoadFileAndStoresFalseAtExit) {
    StationRig rig(RackOf(3, "38"));
    rig.settings.SaveSetting(QStringLiteral("Settings"), QStringLiteral("LoadFile"),
                             QStringLiteral("True"));
    ASSERT_TRUE(rig.station->Start());
    EXPECT_EQ(rig.station->core().devices().ModelVariant, ModelK73);
    EXPECT_FALSE(rig.station->window().state().fileCommandsVisible);
    EXPECT_FALSE(rig.station->core().rackFile().LoadAtStart());
    EXPECT_EQ(rig.station->dialog().state().receiverCount, QStringLiteral("3 K7.3s"));
    EXPECT_EQ(rig.Setting(QStringLiteral("Settings"), QStringLiteral("LoadFile")),
              QStringLiteral("True"))
        << "not touched at start";
    ASSERT_TRUE(rig.RunToMonitoring());
    rig.station->CloseNow();
    EXPECT_EQ(rig.Setting(QStringLiteral("Settings"), QStringLiteral("LoadFile")),
              QStringLiteral("False"));
}

TEST(StationRefusal, NoForeignOrTooManyDevicesAreToldNothingIsOpenedAndTheEndIsTwo) {
    struct Case {
        sim::Scenario scenario;
        QString firstLine;
    };
    sim::Scenario foreign = RackOf(4);
    foreign.receivers[2].serial = QStringLiteral("3A000777");
    for (const Case& c :
         {Case{RackOf(0), QStringLiteral("No Veltora hardware was found ")},
          Case{foreign, QStringLiteral("Hardware is not Veltora K7 series.")},
          Case{RackOf(kMaxDevices + 1),
               QStringLiteral("More than 40 USB serial devices are attached; the station can "
                              "work with at most 40 receivers.")}}) {
        StationRig rig(c.scenario);
        EXPECT_FALSE(rig.station->Start());
        EXPECT_EQ(rig.station->ExitCode(), Station::kExitRefused);
        ASSERT_EQ(rig.prompter.boxes.size(), 1u);
        const MessageBoxSpec& box = rig.prompter.boxes[0];
        EXPECT_EQ(box.title, QStringLiteral("USB hardware detection"));
        EXPECT_EQ(box.icon, MsgIcon::Critical);
        EXPECT_EQ(box.buttons, MsgButtons::OK);
        EXPECT_EQ(box.text.split(QStringLiteral("\r\n")).first(), c.firstLine);
        EXPECT_TRUE(box.text.contains(QStringLiteral("\r\nThe application will close.\r\n")));
        EXPECT_FALSE(rig.AnyDeviceOpen());
        EXPECT_LE(rig.station->core().devices().DeviceCount, kMaxDevices) << "no table overrun";
        EXPECT_FALSE(rig.station->core().timers().exists());
        const auto lines = rig.TraceLines();
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines.back()[QStringLiteral("event")].toString(), QStringLiteral("exit"));
        EXPECT_EQ(lines.back()[QStringLiteral("code")].toInt(), 2);
    }
}

TEST(StationRefusal, SecondInstanceIsToldAndEndsWithoutOpeningAnything) {
    QTemporaryDir lockFolder;
    StationRig first(RackOf(2), lockFolder.path());
    ASSERT_TRUE(first.station->Start());
    StationRig second(RackOf(2), lockFolder.path());
    EXPECT_FALSE(second.station->Start());
    EXPECT_EQ(second.station->ExitCode(), Station::kExitRefused);
    ASSERT_EQ(second.prompter.boxes.size(), 1u);
    EXPECT_EQ(second.prompter.boxes[0].title, QStringLiteral("Duplicate application"));
    EXPECT_EQ(second.prompter.boxes[0].text,
              QStringLiteral("The Monitor application is already running\r\nClick OK to exit"));
    EXPECT_EQ(second.prompter.boxes[0].icon, MsgIcon::None);
    EXPECT_FALSE(second.AnyDeviceOpen());

    first.station->CloseNow();
    StationRig third(RackOf(2), lockFolder.path());
    EXPECT_TRUE(third.station->Start()) << "a stopped station leaves no lock behind";
}

} // namespace
} // namespace k7
