// What the layers above the rack ask of it (RackCommands) and what it tells those who watch it
// (RackEvents), on a simulated rack: several observers in order, blocks written whole or not at
// all, and polling paused and resumed as metering starts it. (The activities from start to close
// and no pass on a closing station: RackStartTest; slow and unplugged receivers told to an
// observer: MonitorRackTest.)
#include "rack/Protocol.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

#include <memory>

namespace k7::test {
namespace {

std::unique_ptr<RackHarness> meteringRack(int n) {
    auto h = std::make_unique<RackHarness>(sim::Scenario::simulated(n, 3));
    EXPECT_EQ(h->Start(), n);
    EXPECT_TRUE(h->RunToMonitoring());
    return h;
}

class NamedObserver final : public RackEvents {
public:
    NamedObserver(QStringList& log, const char* name) : log_(log), name_(name) {}
    void MeterAnswered(int slot, int) override { log_ << name_ + QString::number(slot); }

private:
    QStringList& log_;
    QString name_;
};

// Hears one answer, and leaves the engine while it is told.
class OneShotObserver final : public RackEvents {
public:
    explicit OneShotObserver(RackEngine& engine) : engine_(engine) {}
    void MeterAnswered(int, int) override {
        ++heard;
        engine_.RemoveObserver(*this);
    }
    int heard = 0;

private:
    RackEngine& engine_;
};

int framesTaken(RackHarness& h) {
    int n = 0;
    for (int i = 0; i < h.simRack.receiverCount(); ++i) {
        n += static_cast<int>(h.receiver(i).frames().size());
    }
    return n;
}

TEST(RackEvents, EveryObserverHearsEachAnswerInTheOrderAddedUntilRemoved) {
    auto h = meteringRack(2);
    QStringList log;
    NamedObserver first(log, "a");
    OneShotObserver once(h->engine);
    NamedObserver second(log, "b");
    h->engine.AddObserver(first);
    h->engine.AddObserver(once);
    h->engine.AddObserver(second);
    h->engine.AddObserver(first); // once is enough
    ASSERT_TRUE(h->clock.runUntil([&] { return log.size() >= 4; }, 1000));
    EXPECT_EQ(log.mid(0, 4), (QStringList{"a1", "b1", "a2", "b2"}));
    EXPECT_EQ(once.heard, 1) << "the observer after it still heard that answer";
    EXPECT_TRUE(h->events.events.contains(QStringLiteral("meter 2,2")));

    h->engine.RemoveObserver(second);
    log.clear();
    h->clock.advanceMs(200);
    EXPECT_FALSE(log.isEmpty());
    EXPECT_FALSE(log.join(QString()).contains('b'));
}

TEST(RackCommands, WriteBlockWritesWholeBlocksToSlotsInTheRackOnly) {
    auto h = meteringRack(2);
    const SettingsFrame mute = *BuildMuteFrame(h->rack, 1, 7);
    const WriteResult written = h->engine.WriteBlock(1, mute);
    EXPECT_TRUE(written.complete());
    EXPECT_EQ(written.status, FT_OK);
    EXPECT_EQ(written.bytesWritten, 13u);
    EXPECT_EQ(h->receiver(0).muteLevel(), 7);

    const int taken = framesTaken(*h);
    const std::array<std::uint8_t, RackCommands::kMaxBlockSize + 1> tooLong{'R'};
    const std::pair<int, std::span<const std::uint8_t>> refused[] = {
        {0, mute}, {3, mute}, {41, mute}, {-1, mute}, {1, {}}, {1, tooLong}};
    for (const auto& [slot, bytes] : refused) {
        const WriteResult result = h->engine.WriteBlock(slot, bytes);
        EXPECT_EQ(result.status, FT_INVALID_PARAMETER) << slot;
        EXPECT_EQ(result.bytesWritten, 0u) << slot;
        EXPECT_FALSE(result.complete()) << slot;
    }
    EXPECT_EQ(framesTaken(*h), taken);

    h->line.stall(1, true);
    const WriteResult stalled = h->engine.WriteBlock(2, *BuildMuteFrame(h->rack, 2, 7));
    EXPECT_EQ(stalled.status, FT_IO_ERROR);
    EXPECT_FALSE(stalled.complete());
    // A slot outside the rack writes no slot's row, and ends nothing.
    const SettingsTable before = h->rack.CurData;
    h->core.settings().Current(41).Name = QStringLiteral("NOWHERE");
    h->core.settings().Current(-1) = SettingsRow{};
    h->core.settings().SetUserMute(0, true);
    EXPECT_EQ(h->rack.CurData, before);
    EXPECT_FALSE(h->rack.UserMute[0]);
}

// A pause restarts what it stopped when it ends, the last stopped first (as metering starts);
// one handed on restarts nothing until its new holder ends, one kept never does.
TEST(RackCommands, APauseRestartsExactlyWhatItStoppedWhenItEnds) {
    auto h = meteringRack(2);
    const auto startedSince = [&](std::size_t from) {
        std::vector<int> started;
        for (std::size_t i = from; i < h->timerChanges.size(); ++i) {
            if (h->timerChanges[i].second) {
                started.push_back(h->timerChanges[i].first);
            }
        }
        return started;
    };
    {
        const TimerPause queries = h->engine.PauseQueries(); // polling stopped by another
        const std::size_t mark = h->timerChanges.size();
        {
            const TimerPause pause = h->engine.PausePolling();
            EXPECT_FALSE(h->timers.enabled(WatchdogTimer));
            EXPECT_FALSE(h->timers.enabled(AnswerRateTimer));
        }
        EXPECT_EQ(startedSince(mark), (std::vector<int>{AnswerRateTimer, WatchdogTimer}));
        EXPECT_FALSE(h->engine.PollTimerRunning()) << "not the inner pause's to start";
    }
    EXPECT_TRUE(h->engine.PollTimerRunning());

    std::size_t mark = h->timerChanges.size();
    TimerPause holder;
    {
        TimerPause pause = h->engine.PausePolling();
        holder = std::move(pause); // handed on: its end restarts nothing
    }
    EXPECT_TRUE(startedSince(mark).empty());
    holder = TimerPause(); // the new holder's end restarts them
    EXPECT_EQ(startedSince(mark), (std::vector<int>{AnswerRateTimer, WatchdogTimer, PollTimer}));

    mark = h->timerChanges.size();
    h->engine.PausePolling().Keep();
    EXPECT_TRUE(startedSince(mark).empty());
    EXPECT_FALSE(h->engine.PollTimerRunning());
}

} // namespace
} // namespace k7::test
