#include "RackEngine.h"

#include "FileState.h"
#include "RackPorts.h"
#include "RackTables.h"
#include "TimerPause.h"
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

RackEngine::RackEngine(DeviceTables& devices, LinkModule& link, RackTables& rack, FileState& files,
                       TimerBank& timers, EventPump& pump, Prompter& prompter,
                       const RackEnginePorts& ports)
    : devices_(devices), link_(link), rack_(rack), files_(files), timers_(timers), pump_(pump),
      prompter_(prompter), ports_(ports), parser_(devices, rack, link.RxBuffer) {
    parser_.setMeterDisplay(&ports_.display);
    parser_.setReceiverPanel(ports_.panel);
    link_.SetAnswerParser([this](int deviceIndex) { parser_.ParseSerial(deviceIndex); });
}

void RackEngine::InitialiseRackTables() {
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
        rack_.CurData[s] = SettingsRow{QStringLiteral("Starting"), QStringLiteral("798.000"),
                                       QStringLiteral("5"), QStringLiteral("0")};
        rack_.SlotState[s] = 0;
        rack_.MeterData[s].fill(0);
        rack_.VoltageKnown[s] = false;
        rack_.HoldCount[s] = 0;
        rack_.HoldStart[s] = rack_.HoldAnswers;
        rack_.AnswerCount[s] = 0;
        rack_.SlowFlag[s] = false;
        rack_.ProbeAnswered[s] = 0;
    }
    // Slot 1 must answer to count: its entry starts at a value no slot stores.
    rack_.ProbeAnswered[1] = 99;
    rack_.PollMode = PollDiscovery;
    rack_.ProbeIndex = 0;
    rack_.SweepCounter = 1;
    rack_.RetryGroups = 0;
    rack_.MeterIndex = 0;
    closing_ = false;
    queryOpen_ = false;
}

void RackEngine::CreateTimers() {
    timers_.Create(TimerIntervalsAtCreation(devices_.PollInterval),
                   [this](int tag) { ICcrpTimerNotifyEx_Timer(tag); });
}

void RackEngine::StartDiscovery() {
    rack_.PollMode = PollDiscovery;
    timers_.setInterval(PollTimer, kDiscoveryIntervalMs);
    timers_.setEnabled(PollTimer, true);
}

void RackEngine::ICcrpTimerNotifyEx_Timer(int tag) {
    switch (tag) {
    case PollTimer:
        if (rack_.PollMode == PollDiscovery) {
            discoveryTick();
        } else if (rack_.PollMode == PollMetering) {
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
}

RackActivity RackEngine::Activity() const {
    if (closing_) {
        return RackActivity::Closing;
    }
    if (rack_.PollMode != PollMetering) {
        return RackActivity::Discovery;
    }
    if (rack_.ProgrammingBusy || rack_.PassStart || timers_.enabled(PassTimer) ||
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
    link_.TxBuffer[0] = kFrameStart;
    link_.TxBuffer[1] = devices_.SlotAddress[s];
    link_.TxBuffer[2] = static_cast<std::uint8_t>(letter);
    link_.WriteDevice(device, kQuerySize);
    link_.ReadDevice(device, answerSize);
}

void RackEngine::prepareCells() {
    MeterDisplay& display = ports_.display;
    switch (devices_.RackLayout) {
    case 1:
        display.PrepareCells8();
        break;
    case 2:
        display.PrepareCells16();
        break;
    case 3:
        display.PrepareCells24();
        break;
    default:
        display.PrepareCells40();
        break;
    }
}

void RackEngine::StartMonitoring() {
    if (closing_) {
        return; // the program is ending: nothing may start polling again
    }
    ports_.display.ResetPeaks();
    prepareCells();
    ports_.display.ShowPanel();
    rack_.PollMode = PollMetering;
    timers_.setEnabled(AnswerRateTimer, true);
    link_.SetFastLink();
    timers_.setEnabled(WatchdogTimer, true);
    timers_.setInterval(PollTimer, std::max<int>(devices_.PollInterval, 1));
    timers_.setEnabled(PollTimer, true);
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
    ++rack_.MeterIndex;
    if (rack_.MeterIndex > count || rack_.MeterIndex < 1) {
        rack_.MeterIndex = 1;
    }
    sendQuery(rack_.MeterIndex, 'D', kMeterAnswerSize);
}

void RackEngine::answerRateCheck() {
    pump_.LetPendingMessagesRun();
    bool redrawn = false;
    TimerPause pause(timers_, {PollTimer});
    const int count = std::clamp<int>(devices_.DeviceCount, 0, kMaxSlots);
    MeterDisplay& display = ports_.display;
    for (int slot = 1; slot <= count; ++slot) {
        const auto s = static_cast<std::size_t>(slot);
        if (rack_.AnswerCount[s] < rack_.AnswersPerSecond) {
            if (!rack_.SlowFlag[s]) {
                if (!redrawn) {
                    // Blank every cell once; receivers still answering redraw theirs.
                    if (devices_.RackLayout != 1) {
                        display.ClearPanel();
                    }
                    prepareCells();
                    display.ShowPanel();
                    redrawn = true;
                    pump_.LetPendingMessagesRun();
                }
                rack_.SlowFlag[s] = true;
            }
        } else {
            rack_.SlowFlag[s] = false;
        }
        rack_.AnswerCount[s] = 1;
    }
    if (Activity() == RackActivity::Monitoring) {
        pause.Resume({PollTimer});
    }
}

void RackEngine::usbWatchdog() {
    std::uint32_t attached = 0;
    if (link_.driver().FT_ListDevices(&attached, nullptr, FT_LIST_NUMBER_ONLY) != FT_OK) {
        return; // no count, no verdict: the next check asks again
    }
    if (static_cast<std::int64_t>(attached) != devices_.LastDeviceIndex + 1) {
        timers_.disableAll();
        closeCountdown();
    }
}

void RackEngine::closeCountdown() {
    closing_ = true;
    queryOpen_ = false;
    ports_.dialog.ShowCloseCountdown();
}

} // namespace k7
