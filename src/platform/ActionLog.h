// Where the operator's actions that change a receiver or a file are recorded: the station's
// event log. The control panel, the File menu commands, the editor and the transfers each call
// Action once their change has landed (a frame sent, a file written), never for an attempt that
// was refused or cancelled before anything changed. The events are short tokens, one per kind
// of change: "name", "frequency", "mute-level", "user-mute" (a receiver's settings, detail
// "old -> new"); "file-load", "file-save", "file-new" (detail: the file, and what it went to);
// "transfer-to-receiver", "transfer-from-receiver" (slot and name of the receiver; detail: the
// file and the number of entries); "history-export" (detail: the file, the span and its rows).
#pragma once

#include <QString>

namespace k7 {

class ActionLog {
public:
    virtual ~ActionLog() = default;
    // slot 1..40 with the receiver's name as shown, or 0 and an empty name for an action on no
    // one receiver (a file load, an editor save). event is a short token naming what was done
    // ("frequency", "file-load"); detail says what changed, e.g. "606.600 -> 607.000".
    virtual void Action(int slot, const QString& name, const QString& event,
                        const QString& detail) = 0;
};

} // namespace k7
