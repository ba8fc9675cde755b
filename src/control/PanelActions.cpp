// The control panel's entries in the event log: each change that reached a receiver (or the
// current file), once it has landed, with what it was and what it became.
#include "ReceiverPanel.h"

#include "platform/ActionLog.h"
#include "rack/RackTables.h"

namespace k7 {

void ReceiverPanel::logAction(int slot, const QString& event, const QString& detail) const {
    if (!w_.actions) {
        return;
    }
    const QString name = RackTables::validSlot(slot)
                             ? tables().CurData[static_cast<std::size_t>(slot)].Name
                             : QString();
    w_.actions->Action(slot, name, event, detail);
}

void ReceiverPanel::logChange(int slot, const QString& event, const QString& from,
                              const QString& to, bool sent) const {
    QString detail = from + QStringLiteral(" -> ") + to;
    if (!sent) {
        detail += QStringLiteral(", not sent: the write to the receiver failed");
    }
    logAction(slot, event, detail);
}

void ReceiverPanel::logLevel(int slot, const QString& from, bool sent) {
    if (!sent) {
        logChange(slot, QStringLiteral("mute-level"), from, lblMute_, false);
        return;
    }
    if (!sliderHeld_) {
        logChange(slot, QStringLiteral("mute-level"), from, lblMute_, true);
        return;
    }
    if (!heldLevelFrom_ || heldLevelFrom_->first != slot) {
        logHeldLevel();
        heldLevelFrom_.emplace(slot, from);
    }
}

void ReceiverPanel::logHeldLevel() {
    if (!heldLevelFrom_) {
        return;
    }
    const auto [slot, from] = *heldLevelFrom_;
    heldLevelFrom_.reset();
    const QString to = tables().CurData[static_cast<std::size_t>(slot)].MuteLevel;
    if (to != from) {
        logChange(slot, QStringLiteral("mute-level"), from, to, true);
    }
}

} // namespace k7
