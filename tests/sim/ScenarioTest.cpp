// Scenario files: every field but the serial has a default, a bad file is refused with a
// message naming the file and the fault; and the rack built for "--simulate N".
#include "sim/Scenario.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7::sim {
namespace {

// Why a scenario is refused; its file is named without its folder.
std::string message(const char* json) {
    QString error;
    EXPECT_FALSE(Scenario::fromJson(json, QStringLiteral("/tmp/x/rack.json"), &error));
    return error.toStdString();
}

TEST(Scenario, ReadsAFileWithDefaults) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stage.json"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({ "seed": 9, "answers": "immediate", "receivers": [
        { "serial": "5K000101", "location": 289, "name": "LEAD", "frequency": "613.575",
          "mute": 7, "muteHighBit": true, "bandType": 36, "userMute": true,
          "rf": [90, 150], "settingsEvery": 4,
          "presets": [ { "name": "Perf_1", "frequency": "850.400", "mute": 5, "bandType": 64 } ],
          "changes": [ { "atMs": 15000, "name": "NEWNAM" }, { "atMs": 2000, "mute": 3 } ],
          "faults": { "identifyFrom": 3, "unplugAtMs": null, "shortAnswer": 0.25 } },
        { "serial": "5K000102" },
        { "serial": "5K000103", "faults": { "purgeError": true, "refuseReadTimeoutMs": 1000,
          "refuseLatencyMs": 16, "uploadCount": 41 } } ] })");
    file.close();

    QString error;
    const auto scenario = Scenario::fromFile(path, &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    EXPECT_EQ(scenario->seed, 9u);
    EXPECT_TRUE(scenario->immediateAnswers);
    ASSERT_EQ(scenario->receivers.size(), 3u);
    const ReceiverSetup& a = scenario->receivers[0];
    EXPECT_EQ(a.location, 289u);
    EXPECT_EQ(a.name, (std::array<char, 6>{'L', 'E', 'A', 'D', '_', '_'}));
    EXPECT_EQ(a.frequency, (std::array<std::uint8_t, 3>{61, 35, 75}));
    EXPECT_EQ(a.bandType, 36 | 0x40);
    EXPECT_EQ(a.rf, (std::array<int, 2>{90, 150}));
    ASSERT_EQ(a.presets.size(), 1u);
    EXPECT_EQ(a.presets[0].frequency, (std::array<std::uint8_t, 3>{85, 4, 0}));
    EXPECT_EQ(a.presets[0].muteByte, 69);
    ASSERT_EQ(a.changes.size(), 2u);
    EXPECT_EQ(a.changes[0].atMs, 2000) << "changes in time order";
    EXPECT_EQ(a.faults.identifyFrom, 3);
    EXPECT_FALSE(a.faults.unplugAtMs);
    EXPECT_DOUBLE_EQ(a.faults.shortAnswer, 0.25);

    const ReceiverSetup& b = scenario->receivers[1];
    EXPECT_EQ(b.location, DefaultLocation(1));
    EXPECT_GT(b.location, DefaultLocation(0));
    EXPECT_EQ(b.mute >= 1 && b.mute <= 10, true);
    EXPECT_EQ(b.bandType, 0);
    EXPECT_TRUE(b.presets.empty());
    EXPECT_FALSE(b.faults.silent);
    EXPECT_EQ(b.faults.identifyFrom, 1);
    EXPECT_FALSE(b.faults.purgeError || b.faults.refuseReadTimeoutMs || b.faults.refuseLatencyMs ||
                 b.faults.uploadCount);

    const FaultSwitches& c = scenario->receivers[2].faults;
    EXPECT_TRUE(c.purgeError);
    EXPECT_EQ(c.refuseReadTimeoutMs, 1000u);
    EXPECT_EQ(c.refuseLatencyMs, 16);
    EXPECT_EQ(c.uploadCount, 41);
}

TEST(Scenario, RefusesABadFileSayingWhatIsWrong) {
    EXPECT_EQ(message("{ \"receivers\": [ { \"serial\": \"5K1\", \"mute\": 11 } ] }"),
              "rack.json: receiver 1: \"mute\" must be a whole number from 1 to 10");
    EXPECT_EQ(message("{ \"receivers\": [ {}, {} ] }"),
              "rack.json: receiver 1: \"serial\" must be a text of 1 to 15 characters");
    EXPECT_EQ(
        message("{ \"receivers\": [ { \"serial\": \"5K1\", \"faults\": { \"slient\": true } } ] }"),
        "rack.json: receiver 1, faults: unknown field \"slient\"");
    EXPECT_EQ(message("{ \"receivers\": [ { \"serial\": \"5K1\", \"frequency\": \"613.57\" } ] }"),
              "rack.json: receiver 1: \"frequency\" must be a frequency text like \"606.600\"");
    EXPECT_EQ(message("{ \"answers\": \"later\", \"receivers\": [] }"),
              "rack.json: \"answers\" must be \"immediate\" or \"latency\"");
    EXPECT_EQ(message("{ \"receivers\": [] }"),
              "rack.json: \"receivers\" must be a list of 1 to 48 receivers");
    EXPECT_EQ(message("{ \"receivers\": [ { \"serial\": \"5K1\", \"rf\": [170, 110] } ] }"),
              "rack.json: receiver 1: \"rf\" must have its low value first");
    EXPECT_EQ(
        message("{ \"receivers\": [ { \"serial\": \"5K1\", \"changes\": [ { \"mute\": 2 } ] } ] }"),
        "rack.json: receiver 1, change 1: \"atMs\" is missing");
    EXPECT_NE(message("{ \"receivers\": [ ").find("rack.json: not valid JSON"), std::string::npos);

    QString error;
    EXPECT_FALSE(Scenario::fromFile(QStringLiteral("/nonexistent/rack.json"), &error));
    EXPECT_TRUE(error.startsWith(QStringLiteral("/nonexistent/rack.json: cannot be read")));

    // A file of up to 4 MiB is read (here a valid rack padded with spaces); one byte more is
    // refused unread, with the limit named.
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.json"));
    const auto write = [&path](qint64 size) {
        QByteArray json = R"({ "receivers": [ { "serial": "5K1" } ] })";
        json.append(size - json.size(), ' ');
        QFile file(path);
        return file.open(QIODevice::WriteOnly) && file.write(json) == size;
    };
    ASSERT_TRUE(write(kMaxScenarioBytes));
    EXPECT_TRUE(Scenario::fromFile(path, &error)) << error.toStdString();
    ASSERT_TRUE(write(kMaxScenarioBytes + 1));
    EXPECT_FALSE(Scenario::fromFile(path, &error));
    EXPECT_EQ(error, path + QStringLiteral(": larger than 4 MiB, the most a scenario file may be "
                                           "(a rack of 48 receivers with long scripts takes far "
                                           "less)"));
}

TEST(Scenario, BuildsARackOfBand36Receivers) {
    const Scenario s = Scenario::simulated(40, 5);
    ASSERT_EQ(s.receivers.size(), 40u);
    EXPECT_EQ(s.seed, 5u);
    // The names and frequencies themselves: the tests that meter these racks.
    for (std::size_t i = 0; i < s.receivers.size(); ++i) {
        const ReceiverSetup& r = s.receivers[i];
        EXPECT_TRUE(r.serial.startsWith(QStringLiteral("5K")));
        EXPECT_EQ(r.bandType, 36);
        const int khz = r.frequency[0] * 10000 + r.frequency[1] * 100 + r.frequency[2];
        EXPECT_GE(khz, 606000);
        EXPECT_LE(khz, 638000);
        EXPECT_EQ(khz % 25, 0) << "on the 25 kHz raster";
        if (i > 0) {
            EXPECT_GT(r.location, s.receivers[i - 1].location);
            EXPECT_NE(r.frequency, s.receivers[i - 1].frequency);
        }
        EXPECT_LT(r.rf[0], r.rf[1]);
        EXPECT_LE(r.rf[1], 255);
    }
}

TEST(Scenario, ReadsScriptedLevelsInTimeOrderAndRefusesEmptyOrUnknownOnes) {
    QString error;
    const auto scenario = Scenario::fromJson(
        R"({ "receivers": [ { "serial": "5K1", "levels": [
             { "atMs": 12000, "rf": [110, 170] }, { "atMs": 5000, "battery": 100 },
             { "atMs": 8000, "rf": [0, 0], "audio": [0, 10] } ] } ] })",
        QStringLiteral("rack.json"), &error);
    ASSERT_TRUE(scenario) << error.toStdString();
    const auto& levels = scenario->receivers[0].levels;
    ASSERT_EQ(levels.size(), 3u);
    EXPECT_EQ(levels[0].atMs, 5000);
    EXPECT_EQ(levels[0].battery, 100);
    EXPECT_FALSE(levels[0].rf);
    EXPECT_EQ(levels[1].rf, (std::array<int, 2>{0, 0}));
    EXPECT_EQ(levels[1].audio, (std::array<int, 2>{0, 10}));
    EXPECT_EQ(levels[2].rf, (std::array<int, 2>{110, 170}));

    EXPECT_EQ(message(R"({ "receivers": [ { "serial": "5K1", "levels": [ { "atMs": 1 } ] } ] })"),
              "rack.json: receiver 1, levels 1: sets none of \"rf\", \"audio\" and \"battery\"");
    EXPECT_EQ(
        message(R"({ "receivers": [ { "serial": "5K1", "levels": [ { "rf": [1, 2] } ] } ] })"),
        "rack.json: receiver 1, levels 1: \"atMs\" is missing");
    EXPECT_EQ(message(R"({ "receivers": [ { "serial": "5K1", "levels": [
                 { "atMs": 1, "volume": 3 } ] } ] })"),
              "rack.json: receiver 1, levels 1: unknown field \"volume\"");
    EXPECT_EQ(message(R"({ "receivers": [ { "serial": "5K1", "levels": { "atMs": 1 } } ] })"),
              "rack.json: receiver 1: \"levels\" must be a list");
}

} // namespace
} // namespace k7::sim
