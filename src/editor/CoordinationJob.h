// The set generator run on a thread of its own (GeneratorRun), so that the window that asked
// for it stays responsive: its progress bar moves and Cancel is heard. Progress and the result
// come back to the asking object's thread as queued calls; the result only as the finished
// call's argument.
#pragma once

#include "coordination/GeneratorRun.h"

#include <functional>
#include <memory>
#include <vector>

class QObject;

namespace k7 {

class CoordinationJob {
public:
    CoordinationJob() = default;
    CoordinationJob(const CoordinationJob&) = delete;
    CoordinationJob& operator=(const CoordinationJob&) = delete;

    // Starts the search. progressed and finished run on context's thread (queued); finished
    // runs once, with the result; a run started again drops what the one before still had
    // queued. context must outlive the job (it owns it, say): calls still queued go with it.
    void Start(std::vector<CoordinationSlot> rack, GeneratorOptions options, QObject* context,
               std::function<void(const GeneratorProgress&)> progressed,
               std::function<void(GeneratorResult)> finished);
    // Asks the search to stop; it ends with the best set so far, marked cancelled.
    void Cancel();
    bool running() const { return run_ && run_->running(); }

private:
    // Made by the first Start, for its context; cancelled and joined when the job goes.
    std::unique_ptr<GeneratorRun> run_;
    QObject* context_ = nullptr;
};

} // namespace k7
