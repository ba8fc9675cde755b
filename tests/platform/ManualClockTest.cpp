// The timer rules both timer adapters share, checked on the manual clock that every
// end-to-end test relies on.
#include "support/ManualClock.h"
#include "platform/TimerBank.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace k7::test {
namespace {

TEST(ManualClock, TimersFireInTimeOrderAndTiesInCreationOrder) {
    ManualClock clock;
    std::vector<std::string> fired;
    std::vector<std::unique_ptr<Timer>> timers;
    for (const auto& [name, interval] : {std::pair{"slow", 30}, {"fast", 20}, {"also", 30}}) {
        timers.push_back(clock.createTimer());
        timers.back()->setInterval(interval);
        timers.back()->setHandler([&fired, &clock, label = name] {
            fired.push_back(label + ("@" + std::to_string(int(clock.nowMs()))));
        });
        timers.back()->setEnabled(true);
    }
    clock.advanceMs(60);
    EXPECT_EQ(fired, (std::vector<std::string>{"fast@20", "slow@30", "also@30", "fast@40",
                                               "slow@60", "fast@60", "also@60"}));
}

TEST(ManualClock, EnablingOrRetimingStartsANewPeriodButReEnablingDoesNot) {
    ManualClock clock;
    int ticks = 0;
    auto timer = clock.createTimer();
    timer->setHandler([&] { ++ticks; });
    timer->setInterval(100);
    timer->setEnabled(true);
    clock.advanceMs(60);
    timer->setEnabled(true); // already running: no new period
    clock.advanceMs(40);
    EXPECT_EQ(ticks, 1);

    clock.advanceMs(60);
    timer->setInterval(100); // a new period from now (t = 160)
    clock.advanceMs(99);
    EXPECT_EQ(ticks, 1);
    clock.advanceMs(1);
    EXPECT_EQ(ticks, 2);

    timer->setEnabled(false);
    clock.advanceMs(500);
    EXPECT_EQ(ticks, 2);
}

TEST(ManualClock, ATimerNeverFiresInsideItsOwnHandlerButOthersDoWhenThePumpRuns) {
    ManualClock clock;
    std::vector<std::string> fired;
    auto outer = clock.createTimer();
    auto other = clock.createTimer();
    outer->setInterval(10);
    other->setInterval(5);
    outer->setHandler([&] {
        fired.push_back("outer-start");
        clock.sleepMicros(30'000); // a blocking read: time moves, nothing fires
        fired.push_back("outer-slept");
        clock.LetPendingMessagesRun(); // the other timer is due; this one is not re-entered
        fired.push_back("outer-end");
    });
    other->setHandler([&] { fired.push_back("other"); });
    outer->setEnabled(true);
    other->setEnabled(true);
    clock.advanceMs(10); // other fires at 5, outer at 10 (created first, so before other)
    // The second "other" once only, although it fell several periods behind.
    EXPECT_EQ(fired, (std::vector<std::string>{"other", "outer-start", "outer-slept", "other",
                                               "outer-end"}));
}

TEST(ManualClock, ATimerThatFallsBehindFiresOnceAndKeepsItsPhase) {
    ManualClock clock;
    std::vector<double> at;
    auto timer = clock.createTimer();
    timer->setInterval(10);
    timer->setHandler([&] {
        at.push_back(clock.nowMs());
        if (at.size() == 1) {
            clock.sleepMicros(35'000);
        }
    });
    timer->setEnabled(true);
    clock.advanceMs(70);
    EXPECT_EQ(at, (std::vector<double>{10, 50, 60, 70}));
}

TEST(TimerBank, TagsReachTheTargetAndEveryChangeIsObserved) {
    ManualClock clock;
    TimerBank bank(clock);
    std::vector<int> tags;
    std::vector<std::string> changes;
    bank.setObserver([&](int tag, bool enabled, int interval) {
        changes.push_back(std::to_string(tag) + (enabled ? "+" : "-") + std::to_string(interval));
    });
    bank.Create({120, 240, 2000, 120, 5000, 90}, [&](int tag) { tags.push_back(tag); });
    EXPECT_EQ(changes.size(), 6u);
    changes.clear();

    bank.setEnabled(0, true);
    bank.setEnabled(0, true); // no change, nothing reported
    bank.setEnabled(5, true);
    bank.setInterval(0, 6);
    bank.setInterval(0, 6);
    EXPECT_EQ(changes, (std::vector<std::string>{"0+120", "5+90", "0+6"}));

    clock.advanceMs(12);
    EXPECT_EQ(tags, (std::vector<int>{0, 0}));
    clock.advanceMs(78); // t = 90: timer 5 fires
    EXPECT_EQ(tags.back(), 5);

    bank.disableAll();
    tags.clear();
    clock.advanceMs(1000);
    EXPECT_TRUE(tags.empty());
    bank.Release();
    EXPECT_FALSE(bank.exists());
    EXPECT_FALSE(bank.enabled(0));
    bank.setEnabled(0, true); // released: harmless
}

} // namespace
} // namespace k7::test
