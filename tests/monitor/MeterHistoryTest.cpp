// The meter history: the rings keep exactly the last hour (also past the 71 minutes where the
// stored low bits of the time wrap), a ring full before the hour lets its oldest go, the alert
// marks of a span, and a simulated rack metered past the hour on the manual clock whose history
// holds the answers of the last hour and nothing older, read from the same answers the engine
// told.
#include "monitor/MeterHistory.h"
#include "support/RackHarness.h"

#include <gtest/gtest.h>

namespace k7::test {
namespace {

constexpr std::int64_t kSecond = 1'000'000;
constexpr std::int64_t kHour = MeterHistory::kSpanMicros;

TEST(MeterHistory, KeepsExactlyTheLastHourAsTimeGoesOnPastIt) {
    MeterHistory history;
    history.Allocate(1, 1000); // one answer a second
    const std::size_t room = history.capacity(1);
    ASSERT_GE(room, 3601u);
    // Two hours and a half, past the wrap of the stored 32-bit microseconds (71.6 min).
    for (std::int64_t t = 0; t <= 9000 * kSecond; t += kSecond) {
        history.Record(1, t, static_cast<std::uint8_t>(t / kSecond % 251), 7, 9, 4, false);
        const std::int64_t oldest = std::max<std::int64_t>(t - kHour, 0);
        ASSERT_EQ(history.size(1), static_cast<std::size_t>((t - oldest) / kSecond + 1)) << t;
        ASSERT_EQ(history.at(1, 0).micros, oldest) << t;
    }
    EXPECT_EQ(history.capacity(1), room) << "no ring grows";
    const HistorySample newest = history.at(1, history.size(1) - 1);
    EXPECT_EQ(newest, (HistorySample{9000 * kSecond, 9000 % 251, 7, 9, 4, false}));
    // Every kept answer reads back at its own time, with its own values.
    for (std::size_t i = 0; i < history.size(1); ++i) {
        const std::int64_t t = 5400 * kSecond + static_cast<std::int64_t>(i) * kSecond;
        ASSERT_EQ(history.at(1, i).micros, t);
        ASSERT_EQ(history.at(1, i).rfA, t / kSecond % 251);
    }
    EXPECT_EQ(history.LowerBound(1, 6000 * kSecond + 1), 601u);
    const auto span = history.Samples(1, 8990 * kSecond, 8995 * kSecond);
    ASSERT_EQ(span.size(), 6u);
    EXPECT_EQ(span.front().micros, 8990 * kSecond);
    EXPECT_EQ(span.back().micros, 8995 * kSecond);
}

TEST(MeterHistory, AFullRingLetsItsOldestGoAndNothingIsRecordedBeforeItIsAllocated) {
    MeterHistory history;
    history.Record(1, 0, 1, 2, 3, 1, false);
    EXPECT_EQ(history.size(1), 0u) << "nothing before monitoring starts";
    history.Allocate(2, 1000);
    history.Allocate(40, 4); // a second call changes nothing
    EXPECT_EQ(history.capacity(3), 0u);
    history.Record(3, 0, 1, 2, 3, 1, false);
    EXPECT_EQ(history.size(3), 0u) << "a slot beyond the rack has no ring";

    // Faster than the rate the ring was sized for (fast polling): the newest stay.
    const std::size_t room = history.capacity(2);
    for (std::size_t i = 0; i < room + 10; ++i) {
        history.Record(2, static_cast<std::int64_t>(i) * 1000, 5, 6, 7, 2, i % 2 == 1);
    }
    EXPECT_EQ(history.size(2), room);
    EXPECT_EQ(history.at(2, 0).micros, 10'000);
    EXPECT_TRUE(history.at(2, 1).muted);
    EXPECT_EQ(history.at(2, 1).muteLevel, 2);
    EXPECT_EQ(history.size(1), 0u) << "the rings are apart";
    // A clock that steps back is held at the newest answer.
    history.Record(2, 5, 1, 1, 1, 1, false);
    EXPECT_EQ(history.at(2, room - 1).micros, static_cast<std::int64_t>(room + 9) * 1000);
}

TEST(MeterHistory, MarksOfASpanFromTheirStartToTheirEnd) {
    MeterHistory history;
    history.Allocate(3, 10);
    history.MarkStarted(2, AlertKind::RfLost, 10 * kSecond);
    history.MarkStarted(3, AlertKind::Battery, 12 * kSecond);
    history.MarkEnded(2, AlertKind::RfLost, 15 * kSecond);
    history.MarkStarted(2, AlertKind::RfLost, 40 * kSecond);
    history.MarkEnded(2, AlertKind::Battery, 41 * kSecond); // none of that kind: nothing ends

    const auto all = history.Marks(2, 0, 60 * kSecond);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0].sinceMicros, 10 * kSecond);
    EXPECT_EQ(all[0].endMicros, 15 * kSecond);
    EXPECT_TRUE(all[1].open());
    EXPECT_EQ(history.Marks(2, 16 * kSecond, 39 * kSecond).size(), 0u);
    EXPECT_EQ(history.Marks(2, 15 * kSecond, 15 * kSecond).size(), 1u);
    EXPECT_EQ(history.Marks(2, 100 * kSecond, 200 * kSecond).size(), 1u) << "still up";
    EXPECT_EQ(history.Marks(3, 0, 60 * kSecond).front().kind, AlertKind::Battery);

    // The oldest mark goes when the record of marks is full.
    for (std::size_t i = 0; i < MeterHistory::kMarks; ++i) {
        history.MarkStarted(1, AlertKind::NotAnswering, 100 * kSecond);
        history.MarkEnded(1, AlertKind::NotAnswering, 101 * kSecond);
    }
    EXPECT_TRUE(history.Marks(2, 0, 60 * kSecond).empty());
    EXPECT_EQ(history.Marks(1, 0, 200 * kSecond).size(), MeterHistory::kMarks);
}

// The answers the engine told, with their times.
class AnswerTimes final : public RackEvents {
public:
    explicit AnswerTimes(const ManualClock& clock) : clock_(clock) {}
    void MeterAnswered(int slot, int) override {
        times[static_cast<std::size_t>(slot)].push_back(clock_.nowMicros());
    }
    std::array<std::vector<std::int64_t>, kMaxSlots + 1> times;

private:
    const ManualClock& clock_;
};

TEST(MeterHistory, AMeteredRackKeepsTheAnswersOfTheLastHourAsTheClockPassesIt) {
    RackHarness h(sim::Scenario::simulated(3, 11));
    AnswerTimes told(h.clock);
    h.engine.AddObserver(told);
    ASSERT_EQ(h.Start(), 3);
    ASSERT_TRUE(h.RunToMonitoring());
    const MeterHistory& history = h.core.monitor().history();
    ASSERT_TRUE(history.allocated());
    EXPECT_LE(history.memoryBytes(), 8u << 20);

    h.clock.advanceMs(65 * 60 * 1000.0);
    for (int slot = 1; slot <= 3; ++slot) {
        // The hour up to the slot's newest answer.
        const std::int64_t newest = told.times[static_cast<std::size_t>(slot)].back();
        EXPECT_GT(newest, h.clock.nowMicros() - kSecond);
        std::vector<std::int64_t> expected;
        for (std::int64_t t : told.times[static_cast<std::size_t>(slot)]) {
            if (newest - t <= kHour) {
                expected.push_back(t);
            }
        }
        ASSERT_GT(expected.size(), 3600u * 15) << "about twenty answers a second";
        ASSERT_LT(expected.size(), history.capacity(slot));
        std::vector<std::int64_t> kept;
        for (std::size_t i = 0; i < history.size(slot); ++i) {
            kept.push_back(history.at(slot, i).micros);
        }
        EXPECT_EQ(kept, expected) << "slot " << slot;
    }
    // The newest answer carries the meter values the engine parsed.
    const HistorySample newest = history.at(1, history.size(1) - 1);
    EXPECT_EQ(newest.rfA, h.rack.MeterData[1][RfA]);
    EXPECT_EQ(newest.rfB, h.rack.MeterData[1][RfB]);
    EXPECT_EQ(newest.audio, h.rack.MeterData[1][AudioLevel]);
}

} // namespace
} // namespace k7::test
