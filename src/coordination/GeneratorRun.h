// The set generator on a thread of its own, in plain C++: the search works on copies of the
// slots and the options, and everything it hands back (progress, and the result at the end)
// goes through a post function to the owner's thread, where it runs later. The result is
// handed over only there, once: nothing else reads it, so no lock guards it.
#pragma once

#include "SetGenerator.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace k7 {

class GeneratorRun {
public:
    // Runs a call on the owner's thread, later (a queued call of its event loop, say).
    using Post = std::function<void(std::function<void()>)>;

    explicit GeneratorRun(Post post);
    GeneratorRun(const GeneratorRun&) = delete;
    GeneratorRun& operator=(const GeneratorRun&) = delete;
    // Cancels a search that still runs and waits for it; calls still posted do nothing.
    ~GeneratorRun();

    // Starts a search (a running one is cancelled and waited for first, and whatever it still
    // has posted is dropped). progressed and finished run on the owner's thread; finished
    // runs once, with the result. options' progress and cancelled hooks are the run's own.
    void Start(std::vector<CoordinationSlot> rack, GeneratorOptions options,
               std::function<void(const GeneratorProgress&)> progressed,
               std::function<void(GeneratorResult)> finished);
    // Asks the search to stop; it ends with the best set so far, marked cancelled.
    void Cancel() { cancel_ = true; }
    // From Start until its finished call has run.
    bool running() const { return running_; }
    // Waits for the search thread to end (its finished call is posted, not yet run).
    void Wait();

private:
    // Shared with the calls a run has posted, which may outlive the run object: they run only
    // while their run is still the current one.
    struct Shared {
        std::atomic<std::uint64_t> current{0};
        std::atomic<bool> progressQueued{false}; // one progress call posted at a time
        std::mutex progressMutex;
        GeneratorProgress latest;
    };

    Post post_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::jthread thread_;
    std::atomic<bool> cancel_ = false;
    bool running_ = false; // the owner's thread alone
};

} // namespace k7
