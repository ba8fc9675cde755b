#include "RackEngine.h"

#include "RackPorts.h"
#include "RackTables.h"
#include "link/LinkModule.h"
#include "platform/EventPump.h"
#include "platform/TimerBank.h"

#include <algorithm>
#include <cmath>

namespace k7 {

namespace {

// Nearest integer, halves to the even neighbour.
std::int32_t roundHalfEven(double value) {
    return static_cast<std::int32_t>(std::nearbyint(value));
}

} // namespace

RackEngine::RackEngine(const DeviceTables& devices, LinkModule& link, RackTables& rack,
                       TimerBank& timers, EventPump& pump, Prompter& prompter,
                       const RackEnginePorts& ports)
    : devices_(devices), link_(link), rack_(rack), timers_(timers), pump_(pump),
      prompter_(prompter), ports_(ports), parser_(devices, rack, link.RxBuffer), display_(devices) {
    observers_.push_back(&display_);
    // The answer is parsed, and its observers told, once the read has ended.
    link_.SetAnswerParser([this](int deviceIndex) { answeredDevice_ = deviceIndex; });
}

void RackEngine::AddObserver(RackEvents& observer) {
    if (std::find(observers_.begin(), observers_.end(), &observer) == observers_.end()) {
        observers_.push_back(&observer);
    }
}

void RackEngine::RemoveObserver(RackEvents& observer) {
    // While observers are being told the list keeps its places: the entry is only cleared.
    std::replace(observers_.begin(), observers_.end(), &observer,
                 static_cast<RackEvents*>(nullptr));
    if (telling_ == 0) {
        observers_.erase(std::remove(observers_.begin(), observers_.end(), nullptr),
                         observers_.end());
    }
}

void RackEngine::AnswerReceived(int deviceIndex) {
    const RackAnswer answer = parser_.ParseSerial(deviceIndex);
    if (answer.kind == RackAnswer::Meter || answer.kind == RackAnswer::Settings) {
        tell([&answer](RackEvents& observer) { TellAnswer(answer, observer); });
    }
}

void RackEngine::noteActivity() {
    const RackActivity now = Activity();
    if (toldActivity_ != now) {
        toldActivity_ = now;
        tell([now](RackEvents& observer) { observer.ActivityChanged(now); });
    }
}

void RackEngine::EnterClosing() {
    closing_ = true;
    stopping_ = true;
    settle_.reset();
    rescanning_ = false;
    noteActivity();
}

void RackEngine::resetAnswers() {
    const int n = devices_.DeviceCount;
    const int interval = devices_.PollInterval;
    if (n > 0 && interval > 0) {
        rack_.HoldAnswers = roundHalfEven(1000.0 / (interval * n)) * 20;
        rack_.AnswersPerSecond = roundHalfEven(1000.0 / interval / n);
    } else {
        rack_.HoldAnswers = 0;
        rack_.AnswersPerSecond = 0;
    }
    for (std::size_t i = 0; i < rack_.PositionInBank.size(); ++i) {
        rack_.PositionInBank[i] = static_cast<std::int32_t>(i % 8);
    }
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        rack_.SlotState[s] = 0;
        rack_.MeterData[s].fill(0);
        rack_.VoltageKnown[s] = false;
        rack_.HoldCount[s] = 0;
        rack_.HoldStart[s] = rack_.HoldAnswers;
        rack_.AnswerCount[s] = 0;
        rack_.SlowFlag[s] = false;
    }
    parser_.ResetProbes();
    state_ = EngineState{};
    state_.PollMode = PollDiscovery;
    // The first pass after discovery sends only what differs from the receivers.
    state_.ChangedOnly = true;
    closing_ = false;
    queryOpen_ = false;
    settle_.reset();
    rescanning_ = false;
}

void RackEngine::InitialiseRackTables() {
    resetAnswers();
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        rack_.CurData[static_cast<std::size_t>(slot)] =
            SettingsRow{QStringLiteral("Starting"), QStringLiteral("798.000"), QStringLiteral("5"),
                        QStringLiteral("0")};
    }
}

void RackEngine::resetForRescan() {
    resetAnswers();
    // What a receiver reports is its own: the new slot's answers fill these again.
    rack_.UserMute.fill(false);
    rack_.MuteHighBit.fill(false);
    purgeBeforeQuery_.fill(false);
    answeredDevice_ = -1;
}

void RackEngine::StartDiscovery() {
    state_.PollMode = PollDiscovery;
    state_.ProbeIndex = 0;
    state_.SweepCounter = 1;
    state_.RetryGroups = 0;
    timers_.setInterval(PollTimer, kDiscoveryIntervalMs);
    start(PollTimer);
    noteActivity();
}

void RackEngine::ICcrpTimerNotifyEx_Timer(int tag) {
    switch (tag) {
    case PollTimer:
        if (state_.PollMode == PollDiscovery) {
            discoveryTick();
        } else if (state_.PollMode == PollMetering) {
            meteringTick();
        }
        break;
    case WatchdogTimer:
        usbWatchdog();
        break;
    case PassTimer:
        passTick();
        break;
    case AnswerRateTimer:
        answerRateCheck();
        break;
    case FrequencySendTimer:
        sendPendingFrequency();
        break;
    default:
        break;
    }
    noteActivity();
}

RackActivity RackEngine::Activity() const {
    if (closing_) {
        return RackActivity::Closing;
    }
    if (settle_) {
        return RackActivity::Settling;
    }
    if (state_.PollMode != PollMetering) {
        return RackActivity::Discovery;
    }
    if (state_.ProgrammingBusy || state_.PassStart || timers_.enabled(PassTimer) ||
        timers_.enabled(FrequencySendTimer)) {
        return RackActivity::Pass;
    }
    if (queryOpen_) {
        return RackActivity::LoadQuestion;
    }
    return RackActivity::Monitoring;
}

void RackEngine::sendQuery(int slot, char letter, int answerSize) {
    if (!RackTables::validSlot(slot)) {
        return;
    }
    const auto s = static_cast<std::size_t>(slot);
    const int device = devices_.SlotDevice[s];
    if (link_.validIndex(device) && purgeBeforeQuery_[static_cast<std::size_t>(device)]) {
        purgeBeforeQuery_[static_cast<std::size_t>(device)] = false;
        link_.PurgeReceive(device);
    }
    link_.TxBuffer[0] = kFrameStart;
    link_.TxBuffer[1] = devices_.SlotAddress[s];
    link_.TxBuffer[2] = static_cast<std::uint8_t>(letter);
    link_.WriteDevice(device, kQuerySize);
    answeredDevice_ = -1;
    link_.ReadDevice(device, answerSize);
    if (answeredDevice_ >= 0) {
        const int answered = answeredDevice_;
        answeredDevice_ = -1;
        AnswerReceived(answered);
    }
}

void RackEngine::StartMonitoring() {
    if (closing_) {
        return; // the program is ending: nothing may start polling again
    }
    display_.StartMetering();
    state_.PollMode = PollMetering;
    start(AnswerRateTimer);
    link_.SetFastLink();
    start(WatchdogTimer);
    timers_.setInterval(PollTimer, std::max<int>(devices_.PollInterval, 1));
    start(PollTimer);
    noteActivity();
}

void RackEngine::meteringTick() {
    pump_.LetPendingMessagesRun();
    // What ran in the pump may have stopped polling (watchdog, exit request): no query then.
    if (!timers_.enabled(PollTimer) || Activity() != RackActivity::Monitoring) {
        return;
    }
    const int count = std::clamp<int>(devices_.PollCount, 0, kMaxSlots);
    if (count == 0) {
        return;
    }
    ++state_.MeterIndex;
    if (state_.MeterIndex > count || state_.MeterIndex < 1) {
        state_.MeterIndex = 1;
    }
    sendQuery(state_.MeterIndex, 'D', kMeterAnswerSize);
}

void RackEngine::answerRateCheck() {
    pump_.LetPendingMessagesRun();
    bool redrawn = false;
    TimerPause pause(*this, {PollTimer});
    const int count = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    for (int slot = 1; slot <= count; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        if (rack_.AnswerCount[s] < rack_.AnswersPerSecond) {
            if (!rack_.SlowFlag[s]) {
                if (!redrawn) {
                    display_.BlankPanel();
                    redrawn = true;
                    pump_.LetPendingMessagesRun();
                }
                rack_.SlowFlag[s] = true;
                tell([slot](RackEvents& observer) { observer.ReceiverBlanked(slot); });
            }
        } else {
            if (rack_.SlowFlag[s]) {
                rack_.SlowFlag[s] = false;
                tell([slot](RackEvents& observer) { observer.ReceiverAnsweringAgain(slot); });
            }
        }
        rack_.AnswerCount[s] = 1;
    }
    if (Activity() != RackActivity::Monitoring) {
        pause.Keep(); // a pass or the close countdown took over while the cells were redrawn
    }
}

void RackEngine::usbWatchdog() {
    std::uint32_t attached = 0;
    if (link_.driver().FT_ListDevices(&attached, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
        return; // no count, no verdict: the next check asks again
    }
    if (settle_) {
        settleTick(attached);
        return;
    }
    const std::int64_t expected = devices_.LastDeviceIndex + 1;
    if (static_cast<std::int64_t>(attached) != expected) {
        timers_.disableAll();
        if (rescanAfterUsbChange_) {
            // The watchdog alone goes on, counting until the devices settle.
            settle_ = Settle{attached, 0};
            start(WatchdogTimer);
            noteActivity(); // the watchers know it waits before they hear of the change
        }
        // Told first, so that what watches the rack has it on record before the countdown runs.
        tell([attached, expected](RackEvents& observer) {
            observer.DeviceCountChanged(static_cast<int>(attached), static_cast<int>(expected));
        });
        if (!settle_) {
            closeCountdown();
        }
    }
}

void RackEngine::closeCountdown() {
    closing_ = true;
    queryOpen_ = false;
    ports_.dialog.ShowCloseCountdown();
}

} // namespace k7
