// Discovery: identify sweeps over every slot until each receiver has answered once, the
// give-up after fifteen unevaluated sweeps, and the choice of settings on completion.
#include "RackEngine.h"

#include "RackPorts.h"
#include "RackTables.h"
#include "link/LinkModule.h"
#include "platform/EventPump.h"
#include "platform/Prompter.h"
#include "platform/TimerBank.h"

#include <algorithm>

namespace k7 {

namespace {

constexpr int kEvaluatedSweeps = 9; // sweeps with a counter of 9 or more are not evaluated
constexpr int kMaxRetryGroups = 14; // the fifteenth unevaluated sweep gives up
const QString kLineBreak = QStringLiteral("\r\n");

} // namespace

QString RackEngine::NotRespondingText() {
    return QStringLiteral("At least one receiver is not responding") + kLineBreak +
           QStringLiteral("You should reconnect your system") + kLineBreak +
           QStringLiteral("Please read software manual 'Appendix A'") + kLineBreak +
           QStringLiteral("Monitoring will close'");
}

void RackEngine::discoveryTick() {
    ++state_.ProbeIndex;
    const int count = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    if (state_.ProbeIndex > count) {
        evaluateSweep();
        return;
    }
    const int slot = state_.ProbeIndex;
    sendQuery(slot, '?', kIdentifyAnswerSize);
    pump_.LetPendingMessagesRun();
    StartupDialogPort& dialog = ports_.dialog;
    if (count == 1) {
        dialog.SetReceiverNumber(
            dialog.ReceiverNumber() == QStringLiteral("1") ? QString() : QStringLiteral("1"));
    } else {
        dialog.SetReceiverNumber(QString::number(slot));
    }
    dialog.SetProgress(slot);
}

void RackEngine::evaluateSweep() {
    timers_.setEnabled(PollTimer, false);
    const int count = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    bool allAnswered = false;
    if (state_.SweepCounter < kEvaluatedSweeps) {
        allAnswered = true;
        for (int slot = 1; slot <= count; ++slot) {
            if (parser_.ProbeAnswered()[static_cast<std::size_t>(slot)] != slot) {
                allAnswered = false;
            }
        }
    } else {
        link_.DrainDevices();
        state_.SweepCounter = 1;
        ++state_.RetryGroups;
        if (state_.RetryGroups > kMaxRetryGroups) {
            failDiscovery();
            return;
        }
    }
    state_.ProbeIndex = 0;
    ++state_.SweepCounter;
    if (allAnswered) {
        completeDiscovery();
        return;
    }
    if (!closing_) {
        start(PollTimer);
    }
}

void RackEngine::completeDiscovery() {
    timers_.setEnabled(PollTimer, false);
    link_.DrainDevices();
    state_.SweepCounter = 1;
    state_.MeterIndex = 0;
    if (rescanning_) {
        finishRescan();
        return;
    }
    RackFiles& files = ports_.files;
    if (files.LoadAtStart()) {
        const QString current = files.CurrentFile();
        const FrqResult result = files.LoadRackFile(current);
        if (result == FrqResult::Read) {
            files.CopyLoadToCurrent();
            state_.PollMode = PollMetering;
            if (files.RackDiffers()) {
                queryOpen_ = true;
                ports_.dialog.ShowQuery();
            } else {
                files.AcceptLoadedFile();
            }
            return;
        }
        MessageBoxSpec box;
        box.icon = MsgIcon::Exclamation;
        box.buttons = MsgButtons::OK;
        if (result == FrqResult::NoFile) {
            box.text = current + QStringLiteral(" does not exist ") + kLineBreak +
                       QStringLiteral("Exiting file load") + kLineBreak;
        } else {
            box.text = QStringLiteral("An error occurred reading the file: ") + current +
                       kLineBreak + QStringLiteral("Exiting file load") + kLineBreak;
        }
        prompter_.ShowMessage(box);
    }
    state_.PollMode = PollMetering;
    files.CurrentFromRack();
}

void RackEngine::failDiscovery() {
    std::vector<int> silent;
    const int count = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    for (int slot = 1; slot <= count; ++slot) {
        if (parser_.ProbeAnswered()[static_cast<std::size_t>(slot)] != slot) {
            silent.push_back(slot);
        }
    }
    tell([&silent](RackEvents& observer) { observer.DiscoveryFailed(silent); });
    if (rescanning_) {
        rescanning_ = false;
        tell([before = rescanBefore_](RackEvents& observer) {
            observer.RescanRefused(RescanRefusal::DiscoveryFailed, before);
        });
    }
    MessageBoxSpec box;
    box.text = NotRespondingText();
    box.icon = MsgIcon::Exclamation;
    box.buttons = MsgButtons::OK;
    prompter_.ShowMessage(box);
    timers_.disableAll();
    closeCountdown();
}

} // namespace k7
