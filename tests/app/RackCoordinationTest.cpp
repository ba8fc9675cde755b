// Check and Coordinate for the rack as it stands, over simulated receivers on the manual clock:
// conflicts for the cells, a set programmed once the operator agrees, the backups by band.
#include "app/RackCoordination.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7 {
namespace {

// Three receivers of band 36, or of bands 34, 36, 34 and 36 (receivers of band 34 at 640 MHz).
sim::Scenario Rack(bool mixed) {
    if (!mixed) {
        return sim::Scenario::simulated(3);
    }
    sim::Scenario scenario = sim::Scenario::simulated(4);
    for (std::size_t i = 0; i < 4; i += 2) {
        scenario.receivers[i].serial.replace(0, 2, QStringLiteral("5I"));
        scenario.receivers[i].frequency = {64, static_cast<std::uint8_t>(i), 0};
    }
    return scenario;
}

class RackCoordinationTest : public ::testing::Test {
protected:
    explicit RackCoordinationTest(bool mixedRack = false) : mixed(mixedRack) {}
    void SetUp() override {
        ASSERT_EQ(harness.Start(), static_cast<int>(Rack(mixed).receivers.size()));
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
        std::optional<CoordinationRun> run = rack.Prepare(setup);
        EXPECT_TRUE(run.has_value());
        run->options.iterations = 2000;
        return GenerateSet(run->rows, run->options);
    }

    bool mixed;
    test::RackHarness harness{Rack(mixed)};
    bool available = true;
    RackCoordination rack{{harness.devices, harness.core.settings(), harness.engine, harness.files,
                           harness.core.monitor().actions(), harness.settings, harness.prompter,
                           [this] { return available; }}};
};

TEST_F(RackCoordinationTest, CheckListsTheConflictsAndKeepsThemForTheCellsUntilTheRackChanges) {
    setFrequencies({"610.000", "610.100", "615.000"});
    std::vector<ConflictTable> shown;
    rack.SetTableView([&](const ConflictTable& table) { shown.push_back(table); });
    harness.prompter.answers = {MsgAnswer::Yes};
    EXPECT_EQ(rack.Check().conflicts, 1);
    ASSERT_EQ(harness.prompter.boxes.size(), 1u);
    const MessageBoxSpec& box = harness.prompter.boxes[0];
    EXPECT_EQ(box.title, QStringLiteral("Rack check"));
    EXPECT_EQ(box.icon, MsgIcon::Exclamation);
    EXPECT_EQ(box.buttons, MsgButtons::YesNo); // "Open the table ...?"
    EXPECT_TRUE(box.text.startsWith(QStringLiteral(
        "2 of 3 receivers in conflict; 1 pair too close among the 3 receivers' frequencies:")))
        << box.text.toStdString();
    EXPECT_TRUE(
        box.text.contains(QStringLiteral("Slot 1 (%1, 610.000 MHz): spacing; nearest slot "
                                         "2 (%2) (spacing), 100 kHz")
                              .arg(harness.rack.CurData[1].Name, harness.rack.CurData[2].Name)))
        << box.text.toStdString();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].lines.size(), 2u);
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

    // Nothing is coordinated while the rack is not metered.
    available = false;
    EXPECT_FALSE(rack.Prepare(rack.Setup()).has_value());
    EXPECT_TRUE(harness.prompter.boxes.back().text.contains(QStringLiteral("not being metered")));
}

// A rack of bands 34 and 36: each receiver gets a channel of its own band, the set is clean
// across the bands, and the backups are kept, offered by band, checked and used up.
class MixedRackCoordinationTest : public RackCoordinationTest {
protected:
    MixedRackCoordinationTest() : RackCoordinationTest(true) {}
};

TEST_F(MixedRackCoordinationTest, EachReceiverIsCoordinatedInItsOwnBandWithBackups) {
    EXPECT_TRUE(rack.HasBands());
    EXPECT_TRUE(rack.RowTexts()[1].endsWith(QStringLiteral("band 36")));
    CoordinationSetup setup = rack.Setup();
    setup.locked.clear();
    setup.fixed = {{637000, "IEM 1"}};
    setup.backups = 6;
    const GeneratorResult result = search(setup);
    harness.prompter.answers = {MsgAnswer::Yes};
    ASSERT_TRUE(rack.Apply(setup, result));
    EXPECT_TRUE(harness.prompter.boxes.back().text.contains(QStringLiteral("The set is clean.")));
    ASSERT_TRUE(harness.RunToMonitoring(10000));
    std::vector<int> kHz;
    for (int position = 0; position < 4; ++position) {
        kHz.push_back(receiverKHz(position));
        const int band = position % 2 == 0 ? 34 : 36;
        EXPECT_TRUE(BandPlan::ForBand(band)->IsChannel(kHz.back())) << kHz.back();
    }
    EXPECT_TRUE(CountConflicts(kHz, setup.fixed, setup.rules).clean());

    // The backups: kept (and in the settings), each clean beside the set, offered by band.
    RackBackups& backups = rack.backups();
    ASSERT_EQ(backups.kHz().size(), result.backups.size());
    ASSERT_FALSE(backups.kHz().empty());
    for (const int backup : backups.kHz()) {
        EXPECT_TRUE(ConflictsBeside(backup, kHz, setup.fixed, setup.rules).empty());
    }
    for (int slot = 1; slot <= 2; ++slot) {
        const BandPlan band = *BandPlan::ForBand(slot == 1 ? 34 : 36);
        for (const QString& text : backups.BackupsFor(slot)) {
            EXPECT_TRUE(band.IsChannel(*FrequencyKHz(text))) << text.toStdString();
        }
    }
    const int spareSlot = backups.BackupsFor(1).isEmpty() ? 2 : 1;
    const QString spare = backups.BackupsFor(spareSlot).first();
    EXPECT_EQ(backups.CheckBackup(spareSlot, spare).text,
              spare + QStringLiteral(" is clean against the rack and the fixed transmitters."));
    // Right beside another receiver's carrier it is not clean, and says what hits it.
    const int other = spareSlot == 1 ? 3 : 4;
    const BackupCheck close = backups.CheckBackup(
        spareSlot, FrequencyText(kHz[static_cast<std::size_t>(other - 1)] + 100, QLatin1Char('.')));
    EXPECT_FALSE(close.clean);
    EXPECT_TRUE(close.text.contains(QStringLiteral("spacing: 100 kHz from slot %1").arg(other)))
        << close.text.toStdString();

    // Check rack names them; one used goes from the list and from the settings.
    rack.Check();
    const QString checked = harness.prompter.boxes.back().text;
    EXPECT_TRUE(checked.contains(QStringLiteral("\r\n\r\nBackups ")) && checked.contains(spare))
        << checked.toStdString();
    backups.BackupUsed(spare);
    EXPECT_FALSE(backups.BackupsFor(spareSlot).contains(spare));
    EXPECT_EQ(RackBackups({harness.devices, harness.rack, harness.settings}).kHz(), backups.kHz());
}

TEST_F(MixedRackCoordinationTest, ARackTheRulesCannotHoldIsSaidToBeImpossible) {
    // 25 MHz apart: three carriers at most between 606 and 666 MHz, for four receivers.
    CoordinationSetup setup = rack.Setup();
    setup.locked.clear();
    setup.rules.spacing = 25000;
    harness.prompter.answers = {MsgAnswer::No};
    rack.Apply(setup, search(setup));
    EXPECT_TRUE(harness.prompter.boxes.back().text.contains(
        QStringLiteral("holds no more clean carriers under these rules. No more than 3 carriers "
                       "can be clean together between 606.000 and 666.000 MHz under these rules.")))
        << harness.prompter.boxes.back().text.toStdString();
}

} // namespace
} // namespace k7
