// The set generator on its own thread: what it posts runs on the owner's thread, the result is
// handed over once and only in the finished call, Cancel is heard, and a run started again (or
// a run gone) drops what the one before still had posted. Plain C++ and no Qt, so that CI can
// run it under ThreadSanitizer as it is.
#include "coordination/GeneratorRun.h"
#include "coordination/Intermodulation.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace k7 {
namespace {

// The owner's event queue: posted calls wait here until the owner's thread runs them.
class OwnerQueue {
public:
    GeneratorRun::Post poster() {
        return [this](std::function<void()> call) {
            const std::lock_guard lock(mutex_);
            calls_.push_back(std::move(call));
            posted_.notify_one();
        };
    }
    // Runs the posted calls until done holds (true) or ten seconds pass (false).
    bool runUntil(const std::function<bool()>& done) {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            std::function<void()> call;
            {
                std::unique_lock lock(mutex_);
                if (!posted_.wait_until(lock, limit, [this] { return !calls_.empty(); })) {
                    return false;
                }
                call = std::move(calls_.front());
                calls_.pop_front();
            }
            call();
        }
        return true;
    }
    // Runs what is posted now, without waiting for more.
    void runAll() {
        runUntil([this] {
            const std::lock_guard lock(mutex_);
            return calls_.empty();
        });
    }

private:
    std::mutex mutex_;
    std::condition_variable posted_;
    std::deque<std::function<void()>> calls_;
};

GeneratorOptions Options(std::int64_t iterations) {
    GeneratorOptions options;
    options.rules = {350, 100, 0, 0};
    options.seed = 3;
    options.iterations = iterations;
    options.timeBudgetMicros = iterations > 0 ? 0 : 60'000'000;
    return options;
}

// A rack of one band, none of its receivers kept.
std::vector<CoordinationSlot> Rack(int count) {
    return std::vector<CoordinationSlot>(count, CoordinationSlot{*BandPlan::ForBand(36), {}});
}

TEST(GeneratorRun, ReportsOnTheOwnersThreadHandsTheResultToFinishedAndStopsOnCancel) {
    OwnerQueue owner;
    GeneratorRun run(owner.poster());
    const std::thread::id ownerThread = std::this_thread::get_id();
    int progressCalls = 0;
    int finishedCalls = 0;
    GeneratorResult result;
    run.Start(
        Rack(99), Options(0), // more than the band holds: only Cancel ends it
        [&](const GeneratorProgress& progress) {
            EXPECT_EQ(std::this_thread::get_id(), ownerThread);
            EXPECT_GE(progress.best, 0);
            ++progressCalls;
        },
        [&](GeneratorResult handed) {
            EXPECT_EQ(std::this_thread::get_id(), ownerThread);
            ++finishedCalls;
            result = std::move(handed);
        });
    ASSERT_TRUE(owner.runUntil([&] { return progressCalls >= 2; }));
    EXPECT_TRUE(run.running());
    run.Cancel();
    ASSERT_TRUE(owner.runUntil([&] { return finishedCalls > 0; }));
    owner.runAll();
    EXPECT_EQ(finishedCalls, 1);
    EXPECT_FALSE(run.running());
    EXPECT_TRUE(result.cancelled);
    EXPECT_FALSE(result.carriers.empty());
    EXPECT_TRUE(IsClean(result.carriers, Options(0).rules));
}

TEST(GeneratorRun, AStartAgainOrTheRunsEndDropsWhatTheRunBeforeStillHadPosted) {
    OwnerQueue owner;
    std::vector<std::size_t> handed;
    const auto finished = [&](GeneratorResult result) { handed.push_back(result.carriers.size()); };
    {
        GeneratorRun run(owner.poster());
        run.Start(Rack(2), Options(200), {}, finished);
        run.Wait(); // its result is posted, not yet taken
        run.Start(Rack(4), Options(200), {}, finished);
        ASSERT_TRUE(owner.runUntil([&] { return !run.running(); }));
        owner.runAll();
        EXPECT_EQ(handed, std::vector<std::size_t>{4});

        run.Start(Rack(3), Options(200), {}, finished);
        run.Wait();
    }
    owner.runAll(); // the run is gone: its posted result goes nowhere
    EXPECT_EQ(handed, std::vector<std::size_t>{4});
}

} // namespace
} // namespace k7
