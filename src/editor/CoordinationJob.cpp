#include "CoordinationJob.h"

#include <QMetaObject>
#include <QObject>

namespace k7 {

void CoordinationJob::Start(std::vector<CoordinationSlot> rack, GeneratorOptions options,
                            QObject* context,
                            std::function<void(const GeneratorProgress&)> progressed,
                            std::function<void(GeneratorResult)> finished) {
    if (!run_ || context != context_) {
        run_.reset(); // the run before, for another context, ends first
        context_ = context;
        run_ = std::make_unique<GeneratorRun>([context](std::function<void()> call) {
            QMetaObject::invokeMethod(context, std::move(call), Qt::QueuedConnection);
        });
    }
    run_->Start(std::move(rack), std::move(options), std::move(progressed), std::move(finished));
}

void CoordinationJob::Cancel() {
    if (run_) {
        run_->Cancel();
    }
}

} // namespace k7
