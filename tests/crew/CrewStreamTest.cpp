// The crew view's stream on a scripted rack and on the simulated rack, on the manual clock: the
// snapshot names every receiver with its band, frequency and levels on the meters' scales;
// changes carry the newest values and the highest audio since the last message; alerts rise and
// end in them; a thousand answers in 100 ms make at most one message; a viewer that does not
// read is held under its queue's cap and then gets the newest snapshot, as every viewer does after
// a rescan.
#include "CrewRig.h"

#include "bands/BandTable.h"
#include "monitor/HistoryScale.h"

namespace k7::test {
namespace {

// Two receivers whose tables the test writes itself.
struct ScriptedRack : CrewRig {
    ScriptedRack() {
        h->devices.DeviceCount = 2;
        for (int slot = 1; slot <= 2; ++slot) {
            h->rack.CurData[slot] = {QStringLiteral("VOX_%1_").arg(slot), QStringLiteral("606.600"),
                                     QStringLiteral("5"), QStringLiteral("36")};
            h->devices.SlotBand[slot] = 36;
        }
    }
    // One meter answer of the slot with these raw readings.
    void Answer(int slot, int rfA, int rfB, int audio) {
        auto& meter = h->rack.MeterData[slot];
        meter[RfA] = static_cast<std::uint8_t>(rfA);
        meter[RfB] = static_cast<std::uint8_t>(rfB);
        meter[AudioLevel] = static_cast<std::uint8_t>(audio);
        h->rack.LastMuted = 0;
        view.MeterAnswered(slot, slot);
    }
};

double Pos(double position) {
    return std::round(position * 100.0) / 100.0;
}

TEST(CrewStream, TheSnapshotNamesEveryReceiverWithItsBandFrequencyAndLevels) {
    CrewRig rig(sim::Scenario::simulated(3));
    ASSERT_EQ(rig.h->Start(), 3);
    ASSERT_TRUE(rig.h->RunToMonitoring());
    rig.h->clock.advanceMs(500);
    RecordingViewer viewer;
    ASSERT_EQ(rig.Open(viewer), 0);
    ASSERT_EQ(viewer.sent.size(), 1u);
    const QJsonObject snapshot = viewer.Message(0);
    EXPECT_EQ(snapshot.value(QStringLiteral("type")).toString(), QStringLiteral("snapshot"));
    EXPECT_EQ(snapshot.value(QStringLiteral("version")).toInt(), 1);
    EXPECT_EQ(snapshot.value(QStringLiteral("receivers")).toInt(), 3);
    EXPECT_EQ(snapshot.value(QStringLiteral("activity")).toString(), QStringLiteral("monitoring"));
    EXPECT_EQ(snapshot.value(QStringLiteral("scales")).toObject().value("rf").toArray().size(), 10);
    EXPECT_TRUE(snapshot.value(QStringLiteral("alerts")).toArray().isEmpty());
    const HistoryScale scale;
    ASSERT_EQ(snapshot.value(QStringLiteral("slots")).toArray().size(), 3);
    for (int slot = 1; slot <= 3; ++slot) {
        const QJsonObject s = SlotIn(snapshot, slot);
        const auto& meter = rig.h->rack.MeterData[slot];
        EXPECT_EQ(s.value("name").toString(), rig.h->rack.CurData[slot].Name) << slot;
        EXPECT_EQ(s.value("frequency").toString(), rig.h->rack.CurData[slot].Frequency) << slot;
        EXPECT_EQ(s.value("band").toInt(), 36);
        EXPECT_EQ(s.value("bandName").toString(), BandPanelName(36));
        EXPECT_DOUBLE_EQ(s.value("rfA").toDouble(), Pos(scale.RfPosition(meter[RfA])));
        EXPECT_DOUBLE_EQ(s.value("rfB").toDouble(), Pos(scale.RfPosition(meter[RfB])));
        EXPECT_DOUBLE_EQ(s.value("audio").toDouble(), Pos(scale.AudioPosition(meter[AudioLevel])));
        EXPECT_TRUE(s.value("answering").toBool());
        EXPECT_EQ(s.value("raw").toArray().at(4).toInt(), meter[Voltage]);
    }
    // The names at the slots the rack gave them, in slot order.
    EXPECT_EQ(snapshot.value("slots").toArray().at(0).toObject().value("slot").toInt(), 1);
}

TEST(CrewStream, ChangesCarryTheNewestValuesAndTheHighestAudioSinceTheLastMessage) {
    ScriptedRack rig;
    RecordingViewer viewer;
    ASSERT_EQ(rig.Open(viewer), 0);
    rig.h->clock.advanceMs(100);
    const std::size_t before = viewer.sent.size();
    // Slot 1 peaks between two messages; slot 2 is quiet; only slot 1 answered.
    rig.Answer(1, 100, 120, 40);
    rig.Answer(1, 101, 121, 200);
    rig.Answer(1, 102, 122, 60);
    rig.h->clock.advanceMs(100);
    ASSERT_EQ(viewer.sent.size(), before + 1);
    const QJsonObject changes = viewer.Last();
    EXPECT_EQ(changes.value("type").toString(), QStringLiteral("changes"));
    EXPECT_EQ(changes.value("slots").toArray().size(), 1);
    const QJsonObject s = SlotIn(changes, 1);
    const HistoryScale scale;
    EXPECT_DOUBLE_EQ(s.value("rfA").toDouble(), Pos(scale.RfPosition(102)));
    EXPECT_DOUBLE_EQ(s.value("audio").toDouble(), Pos(scale.AudioPosition(60)));
    EXPECT_DOUBLE_EQ(s.value("peak").toDouble(), Pos(scale.AudioPosition(200)));
    EXPECT_EQ(s.value("raw").toArray().at(3).toInt(), 200);
    EXPECT_FALSE(changes.contains("alerts"));
    // The peak is of the answers since the last message only.
    rig.Answer(1, 102, 122, 50);
    rig.h->clock.advanceMs(100);
    EXPECT_DOUBLE_EQ(SlotIn(viewer.Last(), 1).value("peak").toDouble(),
                     Pos(scale.AudioPosition(50)));
}

TEST(CrewStream, AThousandAnswersIn100MsMakeAtMostOneMessageAPer100Ms) {
    ScriptedRack rig;
    RecordingViewer viewer;
    ASSERT_EQ(rig.Open(viewer), 0);
    const std::size_t first = viewer.sent.size();
    std::vector<double> sentAt;
    int highest = 0;
    for (int i = 0; i < 3000; ++i) {
        const int audio = 20 + (i * 37) % 180;
        highest = std::max(highest, audio);
        rig.Answer(1 + i % 2, 100, 100, audio);
        const std::size_t count = viewer.sent.size();
        rig.h->clock.advanceMs(0.1);
        if (viewer.sent.size() > count) {
            sentAt.push_back(rig.h->clock.nowMs());
        }
    }
    // 300 ms of answers: at most three messages, each at least 100 ms after the one before.
    EXPECT_LE(viewer.sent.size() - first, 3u);
    EXPECT_GE(viewer.sent.size() - first, 2u);
    for (std::size_t i = 1; i < sentAt.size(); ++i) {
        EXPECT_GE(sentAt[i] - sentAt[i - 1], 100.0 - 1e-6);
    }
    // No peak is lost between them: every message carries the highest audio of its answers.
    const HistoryScale scale;
    for (std::size_t i = first; i < viewer.sent.size(); ++i) {
        EXPECT_DOUBLE_EQ(SlotIn(viewer.Message(i), 1).value("peak").toDouble(),
                         Pos(scale.AudioPosition(highest)));
    }
}

TEST(CrewStream, NothingToTellSendsAnAliveMessageTwiceASecond) {
    ScriptedRack rig;
    RecordingViewer viewer;
    ASSERT_EQ(rig.Open(viewer), 0);
    rig.h->clock.advanceMs(1010);
    EXPECT_EQ(viewer.OfType(QStringLiteral("alive")).size(), 2u);
    EXPECT_TRUE(viewer.OfType(QStringLiteral("changes")).empty());
}

TEST(CrewStream, AViewerThatDoesNotReadStaysUnderItsCapAndThenGetsTheNewestSnapshot) {
    ScriptedRack rig;
    RecordingViewer viewer;
    viewer.draining = false;
    ASSERT_EQ(rig.Open(viewer), 0);
    // Long names make long messages; the viewer reads nothing for 60 s.
    for (int i = 0; i < 600; ++i) {
        rig.Answer(1, 100 + i % 50, 100, 30 + i % 100);
        rig.Answer(2, 100, 100 + i % 50, 30 + i % 90);
        rig.h->clock.advanceMs(100);
        ASSERT_LE(viewer.queued, CrewStream::kQueueCap);
    }
    const std::size_t held = viewer.sent.size();
    EXPECT_GT(viewer.queued, CrewStream::kQueueCap - 4096);
    rig.h->clock.advanceMs(1000);
    EXPECT_EQ(viewer.sent.size(), held) << "nothing more while the queue is full";
    // The queue drains: the newest snapshot first, then changes again.
    viewer.queued = 0;
    viewer.draining = true;
    rig.Answer(1, 140, 100, 99);
    rig.h->clock.advanceMs(100);
    ASSERT_GT(viewer.sent.size(), held);
    EXPECT_EQ(viewer.Message(held).value("type").toString(), QStringLiteral("snapshot"));
    EXPECT_DOUBLE_EQ(SlotIn(viewer.Message(held), 1).value("audio").toDouble(),
                     Pos(HistoryScale().AudioPosition(99)));
    rig.Answer(1, 141, 100, 98);
    rig.h->clock.advanceMs(100);
    EXPECT_EQ(viewer.Last().value("type").toString(), QStringLiteral("changes"));
}

TEST(CrewStream, ARescanThatChangesTheRackSendsEveryViewerTheNewRack) {
    ScriptedRack rig;
    RecordingViewer first;
    RecordingViewer second;
    ASSERT_EQ(rig.Open(first), 0);
    ASSERT_EQ(rig.Open(second), 0);
    rig.h->clock.advanceMs(100);
    // Receiver 1 was unplugged: the rescan found one receiver, the former slot 2.
    rig.h->devices.DeviceCount = 1;
    rig.h->rack.CurData[1] = rig.h->rack.CurData[2];
    rig.view.RescanEnded(2, 1);
    rig.h->clock.advanceMs(100);
    for (RecordingViewer* viewer : {&first, &second}) {
        const QJsonObject last = viewer->Last();
        ASSERT_EQ(last.value("type").toString(), QStringLiteral("snapshot"));
        EXPECT_EQ(last.value("receivers").toInt(), 1);
        ASSERT_EQ(last.value("slots").toArray().size(), 1);
        EXPECT_EQ(SlotIn(last, 1).value("name").toString(), QStringLiteral("VOX_2_"));
    }
}

TEST(CrewStream, AlertsRiseAndEndInTheChanges) {
    sim::Scenario scenario = sim::Scenario::simulated(3);
    for (auto& receiver : scenario.receivers) {
        receiver.mute = 1;
        receiver.rf = {200, 250};
    }
    // Receiver 3 loses its transmitter from 8 s to 14 s.
    scenario.receivers[2].levels = {{8000, std::array<int, 2>{0, 0}, {}, {}},
                                    {14000, std::array<int, 2>{200, 250}, {}, {}}};
    CrewRig rig(scenario);
    ASSERT_EQ(rig.h->Start(), 3);
    ASSERT_TRUE(rig.h->RunToMonitoring());
    RecordingViewer viewer;
    ASSERT_EQ(rig.Open(viewer), 0);
    rig.h->clock.advanceMs(12000 - rig.h->NowMs());
    std::vector<QJsonObject> withAlerts;
    for (const QJsonObject& m : viewer.OfType(QStringLiteral("changes"))) {
        if (m.contains("alerts")) {
            withAlerts.push_back(m);
        }
    }
    ASSERT_FALSE(withAlerts.empty());
    const QJsonArray open = withAlerts.front().value("alerts").toArray();
    ASSERT_EQ(open.size(), 1);
    EXPECT_EQ(open.at(0).toObject().value("kind").toString(), QStringLiteral("rf-lost"));
    EXPECT_EQ(open.at(0).toObject().value("slot").toInt(), 3);
    EXPECT_EQ(open.at(0).toObject().value("caption").toString(), QStringLiteral("RF lost"));
    EXPECT_EQ(SlotIn(withAlerts.front(), 3).value("alert").toString(), QStringLiteral("rf-lost"));
    const std::size_t before = viewer.sent.size();
    rig.h->clock.advanceMs(20000 - rig.h->NowMs());
    bool ended = false;
    for (std::size_t i = before; i < viewer.sent.size(); ++i) {
        const QJsonObject m = viewer.Message(i);
        if (m.contains("alerts") && m.value("alerts").toArray().isEmpty()) {
            ended = true;
            EXPECT_TRUE(SlotIn(m, 3).value("alert").isNull());
            EXPECT_EQ(SlotIn(m, 3).value("alertEnded").toString(), QStringLiteral("rf-lost"));
        }
    }
    EXPECT_TRUE(ended);
    // A viewer that comes now sees the ended alert's mark, and no open alert.
    RecordingViewer late;
    ASSERT_EQ(rig.Open(late), 0);
    EXPECT_TRUE(late.Message(0).value("alerts").toArray().isEmpty());
    EXPECT_EQ(SlotIn(late.Message(0), 3).value("alertEnded").toString(), QStringLiteral("rf-lost"));
}

} // namespace
} // namespace k7::test
