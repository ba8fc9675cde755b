// "Upload from Rx": the receiver's own set fetched into the editor (purge, the request, the
// read with its time-out, the checksum, the set read back), the device set back for polling on
// every way out, and "Save" of the fetched set, which reopens it as its file.
#include "FrequencyEditor.h"

#include "TransferBlock.h"
#include "UploadRead.h"
#include "files/FrqFile.h"
#include "link/DeviceTables.h"
#include "link/LinkModule.h"
#include "platform/Clock.h"
#include "rack/RackCommands.h"

namespace k7 {

namespace {

constexpr std::uint32_t kUploadReadTimeoutMs = 1000;
constexpr std::uint8_t kUploadLatencyMs = 16;
// The latency the device is set back to once the transfer ends (with polling's read timeout).
constexpr std::uint8_t kPollLatencyMs = 4;

QString SetTimeoutError() {
    return QStringLiteral("Set timeout Error");
}
QString SetLatencyError() {
    return QStringLiteral("Set latency Error");
}

} // namespace

void FrequencyEditor::OpenForUpload() {
    document_.EditFile.clear(); // nothing is written until "Save" names the set
    Show(CaptionFor(QString()));
    clearBoxes();
    state_.rows.clear();
    state_.selectedRow = -1;
    state_.lblNo.clear();
    rowsChanged();
    EnterMode(EditorMode::Upload);
}

void FrequencyEditor::showStatusNow(const QString& text) {
    setStatus(text);
    if (view_) {
        view_->RepaintStatus();
    }
}

void FrequencyEditor::cmdUpload() {
    if (receiversAway_) {
        return; // disabled until monitoring resumes: the receiver may be gone
    }
    // Only the upload's own editor fetches a set: another use would lose its file's entries.
    if (mode_ != EditorMode::Upload) {
        return;
    }
    const int slot = chosenSlot();
    if (!fetchUpload(slot)) {
        dropUpload();
    }
    restoreLink(slot);
    notify();
}

bool FrequencyEditor::fetchUpload(int slot) {
    UploadAnswer answer{};
    if (w_.engine.PurgeReceive(slot) != FT_OK) {
        showStatusNow(QStringLiteral("Purge Error"));
        return false;
    }
    const WriteResult request = w_.engine.WriteTransferBlock(slot, kUploadRequest);
    showStatusNow(request.status != FT_OK || !request.complete()
                      ? QStringLiteral("Write Failed")
                      : QStringLiteral("Written %1  ").arg(request.bytesWritten));
    if (w_.engine.SetLinkTimeouts(slot, kUploadReadTimeoutMs, 0) != FT_OK) {
        showStatusNow(SetTimeoutError());
        return false;
    }
    if (w_.engine.SetLinkLatency(slot, kUploadLatencyMs) != FT_OK) {
        showStatusNow(SetLatencyError());
        return false;
    }
    UploadReader reader;
    reader.read = [this, slot](std::span<std::uint8_t> into, std::uint32_t* got) {
        return w_.engine.ReadBlock(slot, into, got);
    };
    if (w_.clock) {
        reader.nowMicros = [clock = w_.clock] { return clock->nowMicros(); };
    }
    reader.emptyRead = [this](FT_STATUS status) {
        showStatusNow(QStringLiteral("Read status = 0  %1").arg(status));
    };
    const UploadRead read = ReadUploadAnswer(answer, reader);
    switch (read.end) {
    case UploadReadEnd::TimedOut:
        showStatusNow(QStringLiteral("USB Read timed out"));
        return false;
    case UploadReadEnd::ReadError:
        showStatusNow(QStringLiteral("USB Read error"));
        return false;
    case UploadReadEnd::Complete:
        break;
    }
    setStatus(QStringLiteral("Data Received"));
    const std::uint8_t sum = UploadChecksum(answer);
    if (sum != answer.back()) {
        showStatusNow(
            QStringLiteral("Upload error.. %1 %2 %3").arg(read.bytes).arg(sum).arg(answer.back()));
        return false;
    }
    EditorDocument uploaded = document_;
    const QString refusal = ParseUpload(
        answer, w_.devices.SlotBand[static_cast<std::size_t>(std::clamp(slot, 0, kMaxSlots))],
        separator(), uploaded);
    if (!refusal.isEmpty()) {
        showStatusNow(refusal);
        return false;
    }
    acceptUpload(uploaded);
    logTransfer(slot, QStringLiteral("upload"),
                QStringLiteral("%1 entries from the receiver's store").arg(uploaded.EntryCount));
    return true;
}

// A set shown under "Rx:" must be that receiver's: after a failed upload the grid is empty,
// and neither "Save" nor "Send data to Rx" can pass another receiver's set off as this one's.
void FrequencyEditor::dropUpload() {
    document_ = EditorDocument{};
    state_.rows.clear();
    state_.selectedRow = -1;
    state_.lblNo.clear();
    clearBoxes();
    rowsChanged();
    state_.mnuFileEnabled = false;
    state_.controls[EditorControl::cmdDownload].enabled = false;
}

void FrequencyEditor::acceptUpload(const EditorDocument& uploaded) {
    document_ = uploaded;
    state_.mnuFileEnabled = true;
    state_.controls[EditorControl::cmdDownload].enabled = true;
    PopulateGrid();
    for (EditorControl control : {EditorControl::cmdAdd, EditorControl::cmdUpdate,
                                  EditorControl::cmdInsert, EditorControl::cmdDelete}) {
        state_.controls[control].enabled = false;
    }
    requestFocus(EditorFocus::Finish);
}

// Every way out of an upload ends here: a device left at the upload's one-second read time-out
// would slow the whole polling cycle down.
void FrequencyEditor::restoreLink(int slot) {
    const bool timeouts =
        w_.engine.SetLinkTimeouts(slot, LinkModule::kPollReadTimeoutMs, 0) == FT_OK;
    const bool latency = w_.engine.SetLinkLatency(slot, kPollLatencyMs) == FT_OK;
    if (!timeouts) {
        showStatusNow(SetTimeoutError());
    } else if (!latency) {
        showStatusNow(SetLatencyError());
    }
}

void FrequencyEditor::reopenSavedUpload(const QString& name) {
    const int uploaded = document_.EntryCount;
    const FrqLoad load = w_.frq.ReadEditorFile(name, document_);
    if (!load.ok()) {
        // The set stays as it is, under its new name.
        FrqFile::TellReadFailure(w_.prompter, FrqReader::Editor, name, load);
        document_.EditFile = name;
        state_.caption = CaptionFor(name);
        EnterMode(EditorMode::Edit);
        return;
    }
    EditorDocument saved = FrqFile::EditorDocumentOf(load, document_);
    saved.EditFile = name;
    Open(saved, EditorMode::Edit);
    if (uploaded > saved.EntryCount) {
        setStatus(QStringLiteral("%1 keeps %2 of the %3 entries uploaded: a file holds %2")
                      .arg(name)
                      .arg(saved.EntryCount)
                      .arg(uploaded));
        notify();
    }
}

} // namespace k7
