// The alarms on the manual clock with a recording audio port: the tone at the raise and every
// 10 s until acknowledged, none during the 5-minute silence and again after it, the frame lit and
// dark on the flash's quarter seconds, the three settings of every kind, and how acknowledging
// an alarm and acknowledging the ended alerts work together.
#include "monitor/Alarms.h"
#include "platform/ActionLog.h"
#include "platform/SettingsStore.h"
#include "support/ManualClock.h"
#include "support/RecordingTonePort.h"

#include <QStringList>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace k7 {
namespace {

struct RecordingLog final : ActionLog {
    void Action(int slot, const QString&, const QString& event, const QString& detail) override {
        lines << QStringLiteral("%1 %2: %3").arg(slot).arg(event, detail);
    }
    QStringList lines;
};

class AlarmsTest : public ::testing::Test {
protected:
    Alarms& Make() {
        alarms =
            std::make_unique<Alarms>(Alarms::Wiring{alerts, log, clock, clock, settings, &tones});
        return *alarms;
    }
    std::uint64_t Raise(AlertKind kind, int slot) {
        const std::int64_t now = clock.nowMicros();
        return alerts.Start(kind, slot, QStringLiteral("VOX_%1_").arg(slot), now, now, {}, {})->id;
    }
    void End(AlertKind kind, int slot) { alerts.End(kind, slot, clock.nowMicros(), {}, {}); }

    QTemporaryDir dir;
    QtSettingsStore settings{dir.filePath(QStringLiteral("s.conf"))};
    test::ManualClock clock;
    test::RecordingTonePort tones;
    RecordingLog log;
    AlertList alerts;
    std::unique_ptr<Alarms> alarms;
};

TEST_F(AlarmsTest, ATonePlaysAtTheRaiseAndEveryTenSecondsUntilAcknowledged) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    clock.advanceMs(9999);
    EXPECT_EQ(tones.played, 1);
    clock.advanceMs(4001);
    EXPECT_EQ(tones.played, 2);
    Raise(AlertKind::RfLost, 2); // heard at once; the repeat counts from it
    EXPECT_EQ(a.BannerText(), QStringLiteral("RF lost: VOX_2_ (slot 2) and 1 more alarm"));
    clock.advanceMs(9999);
    EXPECT_EQ(tones.played, 3);
    clock.advanceMs(1);
    EXPECT_EQ(tones.played, 4);

    a.AcknowledgeNewest();
    EXPECT_EQ(a.BannerText(), QStringLiteral("Battery low: VOX_1_ (slot 1)"));
    clock.advanceMs(10000);
    EXPECT_EQ(tones.played, 5) << "one alarm is still unacknowledged";
    a.AcknowledgeAll();
    clock.advanceMs(60000);
    EXPECT_EQ(tones.played, 5);
    EXPECT_EQ(log.lines, (QStringList{QStringLiteral("1 alarm raised: Battery low"),
                                      QStringLiteral("2 alarm raised: RF lost"),
                                      QStringLiteral("2 alarm acknowledged: RF lost, after 10.0 s"),
                                      QStringLiteral("1 alarm acknowledged: Battery low, after "
                                                     "34.0 s")}));
}

TEST_F(AlarmsTest, TheSilenceMutesEveryToneForFiveMinutesAndKeepsTheFlashing) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    a.Silence();
    Raise(AlertKind::RfLost, 2);
    clock.advanceMs(Alarms::kSilenceMs - 1);
    EXPECT_EQ(tones.played, 1) << "not even an alarm raised during the silence";
    EXPECT_TRUE(a.MarkOf(2).flashing);
    clock.advanceMs(1);
    EXPECT_EQ(tones.played, 2) << "the tone comes back when the silence is over";
    clock.advanceMs(Alarms::kToneRepeatMs);
    EXPECT_EQ(tones.played, 3);
    EXPECT_TRUE(log.lines.contains(
        QStringLiteral("0 alarms silenced: every tone muted for 5 min; 1 alarms unacknowledged")));
}

TEST_F(AlarmsTest, AnAlarmsFrameIsLitAndDarkEachQuarterSecondThenSteadyOnceAcknowledged) {
    Alarms& a = Make();
    const std::uint64_t battery = Raise(AlertKind::Battery, 3);
    Raise(AlertKind::NotAnswering, 4); // a frame, never flashing
    for (int tick = 0; tick < 7; ++tick) {
        EXPECT_EQ(a.MarkOf(3), (CellMark{AlertKind::Battery, false, true, tick % 2 == 0})) << tick;
        EXPECT_EQ(a.MarkOf(4), (CellMark{AlertKind::NotAnswering, false, false, true}));
        clock.advanceMs(Alarms::kFlashMs);
    }
    a.Acknowledge(battery); // on a dark tick
    EXPECT_EQ(a.MarkOf(3), (CellMark{AlertKind::Battery, false, false, true}));
    End(AlertKind::Battery, 3);
    EXPECT_EQ(a.MarkOf(3), (CellMark{AlertKind::Battery, true, false, true}));
}

TEST_F(AlarmsTest, EachKindIsSilentAFrameOrAnAlarmAsTheSettingsSay) {
    const QString section = QStringLiteral("Alarms");
    settings.SaveSetting(section, QStringLiteral("battery"), QStringLiteral("silent"));
    settings.SaveSetting(section, QStringLiteral("rf-lost"), QStringLiteral(" Frame"));
    settings.SaveSetting(section, QStringLiteral("audio-silent"), QStringLiteral("alarm"));
    settings.SaveSetting(section, QStringLiteral("not-answering"), QStringLiteral("loud"));
    Alarms& a = Make();
    EXPECT_EQ(settings.GetSetting(section, QStringLiteral("disconnected"), {}),
              QStringLiteral("alarm"))
        << "a missing key is written with its default";
    EXPECT_EQ(a.settings().of(AlertKind::NotAnswering), AlarmLevel::Frame) << "unknown: default";

    Raise(AlertKind::Battery, 1);
    EXPECT_EQ(a.MarkOf(1), CellMark{}) << "a silent kind leaves no mark";
    Raise(AlertKind::RfLost, 1);
    EXPECT_EQ(a.MarkOf(1), (CellMark{AlertKind::RfLost, false, false, true}));
    EXPECT_EQ(tones.played, 0);
    Raise(AlertKind::AudioSilent, 2);
    EXPECT_TRUE(a.MarkOf(2).flashing);
    EXPECT_EQ(tones.played, 1);
}

TEST_F(AlarmsTest, AcknowledgingEndedAlertsAcknowledgesTheirAlarmsAndNoOthers) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    const std::uint64_t rf = Raise(AlertKind::RfLost, 2);
    End(AlertKind::Battery, 1);
    EXPECT_TRUE(a.MarkOf(1).flashing) << "an alarm stays after its alert ends";
    alerts.AcknowledgeEnded();
    EXPECT_EQ(a.MarkOf(1), CellMark{});
    EXPECT_TRUE(a.IsAlarm(rf)) << "an alert still up keeps its alarm";
    // Acknowledged first, the alarm leaves its ended alert's dashed mark to the other one.
    a.Acknowledge(rf);
    End(AlertKind::RfLost, 2);
    EXPECT_TRUE(a.MarkOf(2).dashed);
    alerts.AcknowledgeEnded();
    EXPECT_EQ(a.MarkOf(2), CellMark{});
}

} // namespace
} // namespace k7
