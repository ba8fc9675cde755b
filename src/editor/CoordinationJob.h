// The set generator run on a thread of its own, so that the window that asked for it stays
// responsive: its progress bar moves and Cancel is heard. The search works on its own copies of
// the slots and the options and touches nothing else of the station (no table, no device);
// progress and the end are handed back to the asking object's thread as queued calls.
#pragma once

#include "coordination/SetGenerator.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

class QObject;

namespace k7 {

class CoordinationJob {
public:
    CoordinationJob() = default;
    CoordinationJob(const CoordinationJob&) = delete;
    CoordinationJob& operator=(const CoordinationJob&) = delete;
    // Cancels a search that still runs and waits for it.
    ~CoordinationJob();

    // Starts the search. progressed and finished run on context's thread (queued); finished
    // runs once, after the result is in place. options' progress and cancelled hooks are the
    // job's own. context must outlive the job (it owns it, say): the job's end joins the
    // thread, and calls still queued go with the context.
    void Start(std::vector<CoordinationSlot> rack, GeneratorOptions options, QObject* context,
               std::function<void(const GeneratorProgress&)> progressed,
               std::function<void()> finished);
    // Asks the search to stop; it ends with the best set so far, marked cancelled.
    void Cancel() { cancel_ = true; }
    bool running() const { return running_; }
    // Waits for the search to end (for callers without an event loop).
    void Wait();
    // The result, once finished has run (or Wait returned).
    const GeneratorResult& result() const { return result_; }

private:
    std::jthread thread_;
    std::atomic<bool> cancel_ = false;
    std::atomic<bool> running_ = false;
    // One progress call queued at a time: a fast search never floods the event queue.
    std::atomic<bool> progressQueued_ = false;
    std::mutex progressMutex_;
    GeneratorProgress latest_;
    GeneratorResult result_;
};

} // namespace k7
