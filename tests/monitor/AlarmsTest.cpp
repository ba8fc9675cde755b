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

class RecordingLog final : public ActionLog {
public:
    void Action(int slot, const QString& name, const QString& event,
                const QString& detail) override {
        lines << QStringLiteral("%1,%2,%3,%4").arg(slot).arg(name, event, detail);
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
        return alerts.Start(kind, slot, QStringLiteral("VOX_%1_").arg(slot), now, now, wall, {})
            ->id;
    }
    void End(AlertKind kind, int slot) { alerts.End(kind, slot, clock.nowMicros(), wall, {}); }

    QTemporaryDir dir;
    QtSettingsStore settings{dir.filePath(QStringLiteral("s.conf"))};
    test::ManualClock clock;
    test::RecordingTonePort tones;
    RecordingLog log;
    AlertList alerts;
    const QDateTime wall{QDate(2026, 5, 3), QTime(20, 0)};
    std::unique_ptr<Alarms> alarms;
};

TEST_F(AlarmsTest, ATonePlaysAtTheRaiseAndEveryTenSecondsUntilAcknowledged) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    EXPECT_EQ(tones.played, 1);
    EXPECT_EQ(a.BannerText(), QStringLiteral("Battery low: VOX_1_ (slot 1)"));
    clock.advanceMs(9999);
    EXPECT_EQ(tones.played, 1);
    clock.advanceMs(1);
    EXPECT_EQ(tones.played, 2);
    // A second alarm sounds at once; the repeat counts from it.
    clock.advanceMs(4000);
    Raise(AlertKind::RfLost, 2);
    EXPECT_EQ(tones.played, 3);
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
    EXPECT_TRUE(a.BannerText().isEmpty());
    EXPECT_EQ(log.lines,
              (QStringList{QStringLiteral("1,VOX_1_,alarm raised,Battery low"),
                           QStringLiteral("2,VOX_2_,alarm raised,RF lost"),
                           QStringLiteral("2,VOX_2_,alarm acknowledged,RF lost, after 10.0 s"),
                           QStringLiteral("1,VOX_1_,alarm acknowledged,Battery low, "
                                          "after 34.0 s")}));
}

TEST_F(AlarmsTest, TheSilenceMutesEveryToneForFiveMinutesAndKeepsTheFlashing) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    clock.advanceMs(1000);
    a.Silence();
    Raise(AlertKind::RfLost, 2);
    EXPECT_EQ(tones.played, 1) << "an alarm raised during the silence is not heard";
    clock.advanceMs(Alarms::kSilenceMs - 1);
    EXPECT_EQ(tones.played, 1);
    EXPECT_TRUE(a.MarkOf(2).flashing);
    clock.advanceMs(1);
    EXPECT_FALSE(a.silenced());
    EXPECT_EQ(tones.played, 2) << "the tone comes back when the silence is over";
    clock.advanceMs(Alarms::kToneRepeatMs);
    EXPECT_EQ(tones.played, 3);
    EXPECT_TRUE(log.lines.contains(
        QStringLiteral("0,,alarms silenced,every tone muted for 5 min; 1 alarms unacknowledged")));

    // Without a sound output nothing is played, and the silence works the same.
    tones.device = false;
    clock.advanceMs(Alarms::kToneRepeatMs);
    EXPECT_EQ(tones.played, 3);
    EXPECT_FALSE(a.AudioDevice());
}

TEST_F(AlarmsTest, AnAlarmsFrameIsLitAndDarkEachQuarterSecondThenSteadyOnceAcknowledged) {
    Alarms& a = Make();
    const std::uint64_t battery = Raise(AlertKind::Battery, 3);
    Raise(AlertKind::NotAnswering, 4); // a frame, never flashing
    for (int tick = 0; tick < 6; ++tick) {
        const CellMark mark = a.MarkOf(3);
        EXPECT_EQ(mark.drawn, tick % 2 == 0) << tick;
        EXPECT_TRUE(mark.flashing);
        EXPECT_EQ(a.MarkOf(4), (CellMark{AlertKind::NotAnswering, false, false, true}));
        clock.advanceMs(Alarms::kFlashMs);
    }
    clock.advanceMs(Alarms::kFlashMs); // a dark tick
    ASSERT_FALSE(a.MarkOf(3).drawn);
    a.Acknowledge(battery);
    EXPECT_EQ(a.MarkOf(3), (CellMark{AlertKind::Battery, false, false, true}));
    clock.advanceMs(Alarms::kFlashMs);
    EXPECT_TRUE(a.MarkOf(3).drawn);
    End(AlertKind::Battery, 3);
    EXPECT_EQ(a.MarkOf(3), (CellMark{AlertKind::Battery, true, false, true}));
}

TEST_F(AlarmsTest, EachKindIsSilentAFrameOrAnAlarmAsTheSettingsSay) {
    settings.SaveSetting(QStringLiteral("Alarms"), QStringLiteral("battery"),
                         QStringLiteral("silent"));
    settings.SaveSetting(QStringLiteral("Alarms"), QStringLiteral("rf-lost"),
                         QStringLiteral(" Frame"));
    settings.SaveSetting(QStringLiteral("Alarms"), QStringLiteral("audio-silent"),
                         QStringLiteral("alarm"));
    settings.SaveSetting(QStringLiteral("Alarms"), QStringLiteral("not-answering"),
                         QStringLiteral("loud"));
    Alarms& a = Make();
    EXPECT_EQ(settings.GetSetting(QStringLiteral("Alarms"), QStringLiteral("disconnected"), {}),
              QStringLiteral("alarm"))
        << "a missing key is written with its default";
    EXPECT_EQ(a.settings().of(AlertKind::NotAnswering), AlarmLevel::Frame)
        << "an unknown value is taken at the default";

    Raise(AlertKind::Battery, 1);
    EXPECT_EQ(a.MarkOf(1), CellMark{}) << "a silent kind leaves no mark";
    Raise(AlertKind::RfLost, 1);
    EXPECT_EQ(a.MarkOf(1), (CellMark{AlertKind::RfLost, false, false, true}))
        << "the most urgent marked kind, steady";
    EXPECT_EQ(tones.played, 0);
    Raise(AlertKind::AudioSilent, 2);
    EXPECT_TRUE(a.MarkOf(2).flashing);
    EXPECT_EQ(tones.played, 1);
    EXPECT_EQ(alerts.size(), 3u) << "every alert is still recorded";
}

TEST_F(AlarmsTest, AcknowledgingEndedAlertsAcknowledgesTheirAlarmsAndNoOthers) {
    Alarms& a = Make();
    Raise(AlertKind::Battery, 1);
    const std::uint64_t rf = Raise(AlertKind::RfLost, 2);
    End(AlertKind::Battery, 1);
    EXPECT_TRUE(a.MarkOf(1).flashing) << "an alarm stays after its alert ends";
    alerts.AcknowledgeEnded();
    EXPECT_EQ(a.MarkOf(1), CellMark{});
    EXPECT_FALSE(a.IsAlarmed(1));
    EXPECT_TRUE(a.IsAlarm(rf)) << "an alert still up keeps its alarm";

    // Acknowledged first, the alarm leaves its ended alert's dashed mark to the other
    // acknowledgement.
    a.Acknowledge(rf);
    End(AlertKind::RfLost, 2);
    EXPECT_EQ(a.MarkOf(2), (CellMark{AlertKind::RfLost, true, false, true}));
    alerts.AcknowledgeEnded();
    EXPECT_EQ(a.MarkOf(2), CellMark{});
}

} // namespace
} // namespace k7
