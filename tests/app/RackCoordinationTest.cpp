// Check and Coordinate for the rack as it stands, over three simulated receivers of band 36 on
// the manual clock: the conflicts listed and kept for the cells until a frequency changes, and
// a coordinated set programmed into the unlocked receivers only after the operator agrees.
#include "app/RackCoordination.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

class RackCoordinationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(harness.Start(), 3);
        ASSERT_TRUE(harness.RunToMonitoring(10000));
    }
    void setFrequencies(std::initializer_list<const char*> frequencies) {
        int slot = 1;
        for (const char* frequency : frequencies) {
            harness.core.settings().Current(slot++).Frequency = QString::fromLatin1(frequency);
        }
    }
    int receiverKHz(int position) {
        const auto bytes = harness.receiver(position).frequency();
        return bytes[0] * 10000 + bytes[1] * 100 + bytes[2];
    }
    GeneratorResult search(const CoordinationSetup& setup) {
        std::optional<GeneratorOptions> options = rack.Prepare(setup);
        EXPECT_TRUE(options.has_value());
        options->iterations = 2000;
        return GenerateSet(*rack.Band(), *options);
    }

    test::RackHarness harness{sim::Scenario::simulated(3)};
    bool available = true;
    RackCoordination rack{{harness.devices, harness.core.settings(), harness.engine, harness.files,
                           harness.core.monitor().actions(), harness.settings, harness.prompter,
                           [this] { return available; }}};
};

TEST_F(RackCoordinationTest, CheckListsTheConflictsAndKeepsThemForTheCellsUntilTheRackChanges) {
    setFrequencies({"610.000", "610.100", "615.000"});
    EXPECT_EQ(rack.Check().conflicts, 1);
    ASSERT_EQ(harness.prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = harness.prompter.boxes[0];
    EXPECT_EQ(box.title, QStringLiteral("Rack check"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_TRUE(box.text.startsWith(
        QStringLiteral("1 conflict: 1 \u00D7 spacing among the 3 receivers' frequencies")))
        << box.text.toStdString();
    EXPECT_TRUE(box.text.contains(QStringLiteral("spacing: 100 kHz from slot 2 (")));
    EXPECT_TRUE(rack.CellConflicts(1).startsWith(QStringLiteral("spacing: 100 kHz from slot 2")));
    EXPECT_FALSE(rack.CellConflicts(2).isEmpty());
    EXPECT_TRUE(rack.CellConflicts(3).isEmpty());
    EXPECT_TRUE(harness.timers.enabled(PollTimer)); // the box paused polling, and gave it back

    setFrequencies({"610.000", "612.000"});
    EXPECT_TRUE(rack.CellConflicts(1).isEmpty());
    rack.Check();
    EXPECT_EQ(harness.prompter.boxes.back().icon, MsgIcon::Information);
    EXPECT_TRUE(harness.prompter.boxes.back().text.startsWith(QStringLiteral("No conflicts")));
}

TEST_F(RackCoordinationTest, CoordinateProgramsTheUnlockedReceiversOnceTheOperatorAgrees) {
    setFrequencies({"610.000", "610.025", "610.050"});
    harness.core.settings().SelectSlot(1);
    const CoordinationSetup setup = rack.Setup();
    EXPECT_EQ(setup.locked, std::set<int>{0});
    const GeneratorResult result = search(setup);

    harness.prompter.answers = {MsgAnswer::No};
    EXPECT_FALSE(rack.Apply(setup, result));
    EXPECT_EQ(harness.rack.CurData[2].Frequency, QStringLiteral("610.025"));
    ASSERT_EQ(harness.prompter.boxes.size(), 1u);
    EXPECT_EQ(harness.prompter.boxes[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(harness.prompter.boxes[0].text.startsWith(
        QStringLiteral("Program 2 receivers with new frequencies?")));
    EXPECT_TRUE(harness.prompter.boxes[0].text.contains(QStringLiteral("The set is clean.")));

    harness.prompter.answers = {MsgAnswer::Yes};
    ASSERT_TRUE(rack.Apply(setup, result));
    ASSERT_TRUE(harness.RunToMonitoring(10000));
    std::vector<int> kHz;
    for (int position = 0; position < 3; ++position) {
        kHz.push_back(receiverKHz(position));
    }
    EXPECT_EQ(kHz[0], 610000);
    EXPECT_TRUE(IsClean(kHz, setup.rules));
    EXPECT_EQ(FrequencyKHz(harness.rack.CurData[2].Frequency), kHz[1]);
}

TEST_F(RackCoordinationTest, NothingIsCoordinatedWhileTheRackIsNotMetered) {
    available = false;
    EXPECT_FALSE(rack.Prepare(rack.Setup()).has_value());
    ASSERT_EQ(harness.prompter.boxes.size(), 1u);
    EXPECT_TRUE(harness.prompter.boxes[0].text.contains(QStringLiteral("not being metered")));
}

} // namespace
} // namespace k7
