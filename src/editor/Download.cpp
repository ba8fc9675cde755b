// "Send data to Rx": the editor's entries written in one block into the chosen receiver's own
// store, refused before anything is written when an entry cannot go as it stands.
#include "FrequencyEditor.h"

#include "TransferBlock.h"
#include "bands/CheckFrequency.h"
#include "platform/ActionLog.h"
#include "rack/RackCommands.h"
#include "rack/RackSettings.h"

namespace k7 {

void FrequencyEditor::cmdDownload() {
    if (receiversAway_) {
        return; // disabled until monitoring resumes: the receiver may be gone
    }
    setStatus(QString());
    const int slot = chosenSlot();
    const int count = document_.EntryCount;
    const DownloadBlock block =
        BuildDownloadBlock(document_, count, [this, slot](const QString& frequency) {
            return w_.checker.FrequencyFitsSlot(frequency, slot);
        });
    if (!block.refusal.isEmpty()) {
        setStatus(block.refusal);
        notify();
        return;
    }
    const WriteResult result = w_.engine.WriteTransferBlock(slot, block.bytes);
    const bool written = result.status == FT_OK && result.complete();
    setStatus(written ? QStringLiteral("%1 Frequencies written").arg(count)
                      : QStringLiteral("Write Failed"));
    if (w_.rackSettings && RackTables::validSlot(slot)) {
        w_.rackSettings->SetMuteHighBit(slot, false);
    }
    if (written) {
        logTransfer(slot, QStringLiteral("download"),
                    QStringLiteral("%1 entries of %2 into the receiver's store")
                        .arg(count)
                        .arg(document_.EditFile.isEmpty() ? QStringLiteral("the uploaded set")
                                                          : document_.EditFile));
    }
    notify();
}

void FrequencyEditor::logTransfer(int slot, const QString& event, const QString& detail) const {
    if (w_.actions && RackTables::validSlot(slot)) {
        w_.actions->Action(slot, w_.rack.CurData[static_cast<std::size_t>(slot)].Name, event,
                           detail);
    }
}

} // namespace k7
