// The monitor on a simulated rack run on the manual clock, as the station wires it: each alert
// starts and ends at the answer (or answer-rate check) that decides it, the rack's events reach
// the log in time (devices changed before the countdown, a failed discovery before the operator
// is told), the programming pass with its source, the control panel's changes with their
// details, and a log that cannot be written told once while metering goes on.
#include "CsvLines.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace k7::test {
namespace {

// When the engine told each slot's meter answers, and the answer-rate check's verdicts.
class Told final : public RackEvents {
public:
    explicit Told(const ManualClock& clock) : clock_(clock) {}
    void MeterAnswered(int slot, int) override {
        answers[static_cast<std::size_t>(slot)].push_back(clock_.nowMicros());
    }
    void ReceiverBlanked(int) override { blanked.push_back(clock_.nowMicros()); }
    void ReceiverAnsweringAgain(int) override { again.push_back(clock_.nowMicros()); }

    // The time of the slot's first answer at or after t, and of the one after it.
    std::int64_t AnswerFrom(int slot, std::int64_t t, int skip = 0) const {
        for (std::int64_t answer : answers[static_cast<std::size_t>(slot)]) {
            if (answer >= t && skip-- == 0) {
                return answer;
            }
        }
        return -1;
    }

    std::array<std::vector<std::int64_t>, kMaxSlots + 1> answers;
    std::vector<std::int64_t> blanked, again;

private:
    const ManualClock& clock_;
};

// Receivers whose RF never fades under their threshold (mute level 1, RF 200 to 250).
sim::Scenario SteadyRack(int n) {
    sim::Scenario scenario = sim::Scenario::simulated(n, 5);
    for (auto& receiver : scenario.receivers) {
        receiver.mute = 1;
        receiver.rf = {200, 250};
    }
    return scenario;
}

std::unique_ptr<RackHarness> Metering(const sim::Scenario& scenario) {
    auto h = std::make_unique<RackHarness>(scenario);
    EXPECT_EQ(h->Start(), static_cast<int>(scenario.receivers.size()));
    EXPECT_TRUE(h->RunToMonitoring());
    return h;
}

constexpr std::int64_t Ms(std::int64_t ms) {
    return ms * 1000;
}

// The rules' holds, on readings fed one by one: AlertRulesTest; here the answers that decide.
TEST(MonitorRack, AnAlertStartsAndEndsAtTheAnswersThatDecideIt) {
    sim::Scenario scenario = SteadyRack(4);
    scenario.receivers[2].levels = {{9000, std::array{0, 0}, {}, {}},
                                    {14000, std::array{200, 250}, {}, {}}};
    auto h = Metering(scenario);
    Told told(h->clock);
    h->engine.AddObserver(told);
    h->clock.advanceMs(16000 - h->NowMs());
    const AlertList& alerts = h->core.monitor().alerts();
    ASSERT_EQ(alerts.size(), 1u) << "nothing else fell";

    // The level changes take effect at the receiver's first reading from their time on: the
    // answer after it may still carry the reading before.
    const Alert* rf = &alerts.at(0);
    ASSERT_EQ(std::pair(rf->slot, rf->kind), std::pair(3, AlertKind::RfLost));
    EXPECT_TRUE(rf->sinceMicros == told.AnswerFrom(3, Ms(9000)) ||
                rf->sinceMicros == told.AnswerFrom(3, Ms(9000), 1));
    EXPECT_EQ(rf->startMicros, told.AnswerFrom(3, rf->sinceMicros + Ms(1000) + 1))
        << "the first answer more than the set time after the loss";
    EXPECT_TRUE(rf->endMicros == told.AnswerFrom(3, Ms(14000)) ||
                rf->endMicros == told.AnswerFrom(3, Ms(14000), 1));
    EXPECT_EQ(rf->name, h->rack.CurData[3].Name);
}

TEST(MonitorRack, NotAnsweringStartsAndEndsWithTheAnswerRateCheck) {
    auto h = Metering(SteadyRack(3));
    Told told(h->clock);
    h->engine.AddObserver(told);
    h->clock.advanceMs(2000);
    h->line.cut(1, true);
    h->clock.advanceMs(11000);
    ASSERT_EQ(told.blanked.size(), 1u);
    ASSERT_EQ(h->core.monitor().alerts().size(), 1u);
    const Alert* silent = &h->core.monitor().alerts().at(0);
    ASSERT_EQ(std::pair(silent->slot, silent->kind), std::pair(2, AlertKind::NotAnswering));
    EXPECT_EQ(silent->startMicros, told.blanked[0]);

    h->clock.advanceMs(5000);
    EXPECT_TRUE(silent->active()) << "still flagged while it does not answer";
    h->line.cut(1, false);
    h->clock.advanceMs(10000);
    ASSERT_EQ(told.again.size(), 1u);
    EXPECT_EQ(silent->endMicros, told.again[0]);
    EXPECT_EQ(h->core.monitor().alerts().size(), 1u);
}

TEST(MonitorRack, DevicesChangedIsLoggedBeforeTheCloseCountdownStarts) {
    sim::Scenario scenario = SteadyRack(3);
    scenario.receivers[2].faults.unplugAtMs = 8000;
    auto h = Metering(scenario);
    bool countdownAtNote = true;
    std::size_t rowsAtNote = 0;
    h->core.monitor().AddRackObserver([&](const RackNote& note) {
        if (note.kind == RackNote::DevicesChanged) {
            countdownAtNote = h->dialog.form == RecordingStartupDialog::Form::CloseCountdown;
            rowsAtNote = RowsOf(CsvRows(h->LogFile()), QStringLiteral("devices-changed")).size();
        }
    });
    ASSERT_TRUE(
        h->clock.runUntil([&] { return h->engine.Activity() == RackActivity::Closing; }, 10000));
    EXPECT_FALSE(countdownAtNote);
    EXPECT_EQ(rowsAtNote, 1u) << "on file when the countdown starts";
    EXPECT_EQ(h->dialog.form, RecordingStartupDialog::Form::CloseCountdown);
    const auto rows = RowsOf(CsvRows(h->LogFile()), QStringLiteral("devices-changed"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], QStringLiteral("2 USB devices attached where the rack has 3; "
                                         "monitoring ends"));
}

TEST(MonitorRack, AFailedDiscoveryNamesTheSilentSlotsBeforeTheOperatorIsTold) {
    sim::Scenario scenario = SteadyRack(3);
    scenario.receivers[1].faults.silent = true;
    RackHarness h(scenario);
    std::vector<int> silent;
    std::size_t boxesAtNote = 99;
    h.core.monitor().AddRackObserver([&](const RackNote& note) {
        if (note.kind == RackNote::DiscoveryFailed) {
            silent = note.silentSlots;
            boxesAtNote = h.prompter.boxes.size();
        }
    });
    ASSERT_EQ(h.Start(), 3);
    ASSERT_TRUE(
        h.clock.runUntil([&] { return h.engine.Activity() == RackActivity::Closing; }, 60000));
    EXPECT_EQ(silent, std::vector<int>{2});
    EXPECT_EQ(boxesAtNote, 0u);
    EXPECT_EQ(h.prompter.boxes.size(), 1u);
    const auto rows = RowsOf(CsvRows(h.LogFile()), QStringLiteral("discovery-failed"));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0][4], QStringLiteral("no identification answer from slot 2"));
}

TEST(MonitorRack, TheProgrammingPassIsLoggedWithItsSource) {
    RackHarness h(SteadyRack(2));
    h.LoadAtStart(QStringLiteral("Show.frq"));
    // The file holds what the receivers hold: no question, a changed-only pass.
    ASSERT_TRUE(h.core.frq().WriteFile(
        "Show.frq",
        RackHarness::FileOf({{"VOX_1_", "606.600", "1", "0"}, {"GTR_2_", "607.500", "1", "0"}})));
    ASSERT_EQ(h.Start(), 2);
    ASSERT_TRUE(h.RunToMonitoring());
    ASSERT_TRUE(h.engine.StartProgrammingPass(PassKind::OpenOnly));
    ASSERT_TRUE(h.RunToMonitoring());
    const auto rows = RowsOf(CsvRows(h.LogFile()), QStringLiteral("programming-pass"));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][4], QStringLiteral("file Show.frq, changed settings only"));
    EXPECT_EQ(rows[1][4], QStringLiteral("the receivers' own data"));
    EXPECT_EQ(RowsOf(CsvRows(h.LogFile()), QStringLiteral("monitoring-started")).size(), 1u)
        << "once a run";
}

TEST(MonitorRack, TheControlPanelsChangesAreLoggedOnceTheyLand) {
    auto h = Metering(SteadyRack(2));
    ReceiverPanel& panel = h->core.panel();
    ASSERT_TRUE(panel.Open(1));
    panel.SliderValueChanged(7);
    panel.SliderPressed();
    panel.SliderValueChanged(8);
    panel.SliderValueChanged(9);
    panel.SliderReleased();
    panel.ToggleUserMute();
    panel.ControlClicked(ReceiverPanel::kCancel);

    ASSERT_TRUE(panel.Open(1));
    panel.NameEdited(QStringLiteral("LEAD"));
    panel.FreqEdited(QStringLiteral("607.000"));
    panel.ControlClicked(ReceiverPanel::kOk);
    h->clock.advanceMs(500); // the frequency follows the name after tmrReProg

    h->line.stall(1, true);
    ASSERT_TRUE(panel.Open(2));
    panel.ToggleUserMute();

    // The receivers' rows other than alerts: slot, name, event, detail.
    std::vector<std::string> actions;
    for (const auto& row : CsvRows(h->LogFile())) {
        if (row.size() == 5 && row[0] != QLatin1String("time") && !row[1].isEmpty() &&
            !row[3].contains(QLatin1Char(' '))) {
            actions.push_back(row.mid(1).join(QLatin1Char('|')).toStdString());
        }
    }
    const std::vector<std::string> expected{
        "1|VOX_1_|mute-level|1 -> 7",
        "1|VOX_1_|mute-level|7 -> 9",
        "1|VOX_1_|user-mute|off -> on",
        "1|VOX_1_|mute-level|9 -> 1 (cancel)",
        "1|VOX_1_|user-mute|on -> off (cancel)",
        "1|LEAD__|name|VOX_1_ -> LEAD__",
        "1|LEAD__|frequency|606.600 -> 607.000",
        "2|GTR_2_|user-mute|off -> on, not sent: the write to the receiver failed",
    };
    EXPECT_EQ(actions, expected);
    EXPECT_EQ(h->receiver(0).name(), (std::array<char, 6>{'L', 'E', 'A', 'D', '_', '_'}));
}

TEST(MonitorRack, ALogThatCannotBeWrittenIsToldOnceAndMeteringGoesOn) {
    RackHarness h(SteadyRack(2));
    // A file where the log's folder should be.
    QFile blocker(h.dataFolder() + QStringLiteral("/Logs"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_EQ(h.Start(), 2);
    ASSERT_TRUE(h.RunToMonitoring());
    h.clock.advanceMs(100);
    ASSERT_EQ(h.prompter.boxes.size(), 1u);
    EXPECT_EQ(h.prompter.boxes[0].title, QStringLiteral("Event log"));
    EXPECT_TRUE(h.prompter.boxes[0].text.contains(QStringLiteral("monitoring goes on")));

    // Told once while the lines wait: EventLogTest.
    const int answers = h.receiver(0).meterAnswers();
    h.clock.advanceMs(2000);
    EXPECT_GT(h.receiver(0).meterAnswers(), answers + 10);
}

// The demonstration rack as "--simulate 8" builds it, metered for ten minutes: its receivers
// fade as a real rack's do (each antenna on its own, the pair together only briefly), so a loss
// long enough to alert stays rare; alerts are shown with scripted levels.
TEST(MonitorRack, TheDemonstrationRackRaisesNoWallOfRfAlerts) {
    auto h = Metering(sim::Scenario::simulated(8));
    h->clock.advanceMs(600000);
    const AlertList& alerts = h->core.monitor().alerts();
    int rfLost = 0;
    for (std::size_t i = 0; i < alerts.size(); ++i) {
        rfLost += alerts.at(i).kind == AlertKind::RfLost ? 1 : 0;
    }
    std::printf("RF-lost alerts of the demonstration rack in 10 minutes: %d\n", rfLost);
    EXPECT_LE(rfLost, 1);
    EXPECT_LT(h->receiver(0).meterAnswers(), 600 * 40) << "metered all along";
    EXPECT_GT(h->receiver(0).meterAnswers(), 600 * 20);
}

} // namespace
} // namespace k7::test
