#include "RecordingPrompter.h"

#include "Trace.h"

#include "Version.h"

namespace k7 {

MsgAnswer RecordingPrompter::ShowMessage(const MessageBoxSpec& request) {
    // A box without a title of its own carries the application's title.
    MessageBoxSpec box = request;
    if (box.title.isEmpty()) {
        box.title = QString::fromUtf8(version::Title);
    }
    shown_.push_back(box);
    const MsgAnswer answer = unattended_ ? DefaultAnswer(box) : inner_->ShowMessage(box);
    trace_.Message(box, answer);
    return answer;
}

} // namespace k7
