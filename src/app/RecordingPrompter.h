// A prompter decorator: every message box goes into the trace with the answer it got. In an
// unattended run nobody is there to press a button, so each box is answered at once with its
// default button and never shown.
#pragma once

#include "platform/Prompter.h"

#include <vector>

namespace k7 {

class Trace;

class RecordingPrompter final : public Prompter {
public:
    // inner may be null only when unattended.
    RecordingPrompter(Prompter* inner, Trace& trace, bool unattended)
        : inner_(inner), trace_(trace), unattended_(unattended || inner == nullptr) {}

    MsgAnswer ShowMessage(const MessageBoxSpec& box) override;
    bool unattended() const { return unattended_; }
    // Every box shown so far, in order.
    const std::vector<MessageBoxSpec>& shown() const { return shown_; }

private:
    Prompter* inner_;
    Trace& trace_;
    bool unattended_;
    std::vector<MessageBoxSpec> shown_;
};

} // namespace k7
