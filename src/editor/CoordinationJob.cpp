#include "CoordinationJob.h"

#include <QMetaObject>
#include <QObject>

namespace k7 {

CoordinationJob::~CoordinationJob() {
    Cancel();
    Wait();
}

void CoordinationJob::Wait() {
    if (thread_.joinable()) {
        thread_.join();
    }
}

void CoordinationJob::Start(std::vector<CoordinationSlot> rack, GeneratorOptions options,
                            QObject* context,
                            std::function<void(const GeneratorProgress&)> progressed,
                            std::function<void()> finished) {
    Cancel();
    Wait();
    cancel_ = false;
    running_ = true;
    progressQueued_ = false;
    options.cancelled = [this] { return cancel_.load(); };
    options.progress = [this, context, progressed](const GeneratorProgress& progress) {
        {
            const std::lock_guard lock(progressMutex_);
            latest_ = progress;
        }
        if (!progressed || progressQueued_.exchange(true)) {
            return;
        }
        QMetaObject::invokeMethod(
            context,
            [this, progressed] {
                progressQueued_ = false;
                GeneratorProgress now;
                {
                    const std::lock_guard lock(progressMutex_);
                    now = latest_;
                }
                progressed(now);
            },
            Qt::QueuedConnection);
    };
    thread_ = std::jthread([this, rack = std::move(rack), options = std::move(options), context,
                            finished = std::move(finished)] {
        result_ = GenerateSet(rack, options);
        running_ = false;
        if (finished) {
            QMetaObject::invokeMethod(context, finished, Qt::QueuedConnection);
        }
    });
}

} // namespace k7
