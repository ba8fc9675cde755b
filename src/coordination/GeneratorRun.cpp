#include "GeneratorRun.h"

#include <utility>

namespace k7 {

GeneratorRun::GeneratorRun(Post post) : post_(std::move(post)) {}

GeneratorRun::~GeneratorRun() {
    ++shared_->current; // whatever is still posted finds its run gone
    Cancel();
    Wait();
}

void GeneratorRun::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void GeneratorRun::Start(std::vector<CoordinationSlot> rack, GeneratorOptions options,
                         std::function<void(const GeneratorProgress&)> progressed,
                         std::function<void(GeneratorResult)> finished) {
    Cancel();
    Wait();
    const std::uint64_t run = ++shared_->current;
    cancel_ = false;
    running_ = true;
    shared_->progressQueued = false;
    const std::shared_ptr<Shared> shared = shared_;
    options.cancelled = [this] { return cancel_.load(); };
    options.progress = [post = post_, shared, run,
                        progressed = std::move(progressed)](const GeneratorProgress& progress) {
        {
            const std::lock_guard lock(shared->progressMutex);
            shared->latest = progress;
        }
        if (!progressed || shared->progressQueued.exchange(true)) {
            return;
        }
        post([shared, run, progressed] {
            shared->progressQueued = false;
            if (shared->current != run) {
                return;
            }
            GeneratorProgress now;
            {
                const std::lock_guard lock(shared->progressMutex);
                now = shared->latest;
            }
            progressed(now);
        });
    };
    // The result lives in the thread until it is moved into the posted call: the owner sees
    // it only as finished's argument.
    thread_ =
        std::jthread([this, post = post_, shared, run, rack = std::move(rack),
                      options = std::move(options), finished = std::move(finished)]() mutable {
            GeneratorResult result = GenerateSet(rack, options);
            post([this, shared, run, finished = std::move(finished),
                  result = std::move(result)]() mutable {
                if (shared->current != run) {
                    return; // a later run, or none, owns the owner's attention now
                }
                running_ = false;
                if (finished) {
                    finished(std::move(result));
                }
            });
        });
}

} // namespace k7
