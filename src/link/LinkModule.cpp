#include "LinkModule.h"

#include "platform/EventPump.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace k7 {

LinkModule::LinkModule(Ftd2xx& driver, DeviceTables& devices, EventPump& pump)
    : driver_(driver), devices_(devices), pump_(pump) {}

std::uint8_t LinkModule::PollingLatency() const {
    const int n = devices_.DeviceCount;
    const int latency = n < 3 ? 40 : (n - 1) * devices_.PollInterval;
    return static_cast<std::uint8_t>(std::clamp(latency, 0, 255));
}

void LinkModule::OpenDevice(int index) {
    if (!validIndex(index)) {
        return;
    }
    FT_HANDLE handle = 0;
    if (driver_.FT_Open(index, &handle) != FT_OK) {
        return;
    }
    DeviceHandles[index] = handle;
    const bool configured = driver_.FT_SetBaudRate(handle, kBaudRate) == FT_OK &&
                            driver_.FT_SetDataCharacteristics(handle, 8, 0, 0) == FT_OK &&
                            driver_.FT_SetFlowControl(handle, FT_FLOW_RTS_CTS, 0, 0) == FT_OK &&
                            driver_.FT_SetTimeouts(handle, kPollReadTimeoutMs, 0) == FT_OK &&
                            driver_.FT_SetLatencyTimer(handle, PollingLatency()) == FT_OK &&
                            driver_.FT_SetResetPipeRetryCount(handle, kResetPipeRetries) == FT_OK;
    if (!configured) {
        // A device that cannot be configured is closed and never answers: discovery then
        // leaves its slot empty.
        CloseDevice(index);
    }
}

void LinkModule::CloseDevice(int index) {
    if (isOpen(index)) {
        // Forgotten at once: nothing is ever sent to a handle after its close.
        driver_.FT_Close(std::exchange(DeviceHandles[index], FT_HANDLE{}));
    }
}

FT_STATUS LinkModule::WriteDevice(int index, int count) {
    if (!isOpen(index)) {
        Status.BytesWritten = 0; // never the count of an earlier write
        return FT_INVALID_HANDLE;
    }
    std::uint32_t written = 0;
    const auto n = static_cast<std::uint32_t>(std::clamp(count, 0, kTxSize));
    const FT_STATUS status = driver_.FT_Write(DeviceHandles[index], TxBuffer.data(), n, &written);
    Status.BytesWritten = written;
    return status;
}

void LinkModule::ReadDevice(int index, int count) {
    if (count <= 0 || count > kRxSize) {
        return;
    }
    if (!isOpen(index)) {
        Status.Status = FT_INVALID_HANDLE;
        Status.BytesRead = 0;
        return;
    }
    std::uint32_t got = 0;
    const auto asked = static_cast<std::uint32_t>(count);
    Status.Status = driver_.FT_Read(DeviceHandles[index], RxBuffer.data(), asked, &got);
    Status.BytesRead = got;
    if (Status.Status != FT_OK || got != asked) {
        return; // a missing or short answer: the polling cycle notices the silence
    }
    if (RxBuffer[0] == 'R') {
        if (parser_) {
            parser_(index);
        }
    } else {
        // Out of step: empty the receive queue so that the next answer starts aligned.
        Status.Status = driver_.FT_Purge(DeviceHandles[index], FT_PURGE_RX);
    }
}

std::uint32_t LinkModule::DrainDevices() {
    std::uint32_t total = 0;
    std::vector<std::uint8_t> scratch;
    for (int index = 0; index <= devices_.LastDeviceIndex && validIndex(index); ++index) {
        std::uint32_t queued = 0;
        if (isOpen(index) && driver_.FT_GetQueueStatus(DeviceHandles[index], &queued) == FT_OK &&
            queued > 0) {
            scratch.resize(queued);
            std::uint32_t got = 0;
            if (driver_.FT_Read(DeviceHandles[index], scratch.data(), queued, &got) == FT_OK &&
                got == queued) {
                total += queued;
            }
        }
        pump_.LetPendingMessagesRun();
    }
    return total;
}

FT_STATUS LinkModule::WriteBlock(int index, std::span<const std::uint8_t> bytes,
                                 std::uint32_t* written) {
    *written = 0;
    if (!isOpen(index)) {
        return FT_INVALID_HANDLE;
    }
    return driver_.FT_Write(DeviceHandles[index], bytes.data(),
                            static_cast<std::uint32_t>(bytes.size()), written);
}

FT_STATUS LinkModule::ReadBlock(int index, std::span<std::uint8_t> into, std::uint32_t* got) {
    *got = 0;
    if (!isOpen(index)) {
        return FT_INVALID_HANDLE;
    }
    return driver_.FT_Read(DeviceHandles[index], into.data(),
                           static_cast<std::uint32_t>(into.size()), got);
}

FT_STATUS LinkModule::PurgeReceive(int index) {
    return isOpen(index) ? driver_.FT_Purge(DeviceHandles[index], FT_PURGE_RX) : FT_INVALID_HANDLE;
}

FT_STATUS LinkModule::SetTimeouts(int index, std::uint32_t readMs, std::uint32_t writeMs) {
    return isOpen(index) ? driver_.FT_SetTimeouts(DeviceHandles[index], readMs, writeMs)
                         : FT_INVALID_HANDLE;
}

FT_STATUS LinkModule::SetLatency(int index, std::uint8_t latencyMs) {
    return isOpen(index) ? driver_.FT_SetLatencyTimer(DeviceHandles[index], latencyMs)
                         : FT_INVALID_HANDLE;
}

void LinkModule::SetSlowLink() {
    for (int index = 0; index <= devices_.LastDeviceIndex && validIndex(index); ++index) {
        if (!isOpen(index)) {
            continue;
        }
        driver_.FT_SetTimeouts(DeviceHandles[index], kSlowTimeoutMs, kSlowTimeoutMs);
        driver_.FT_SetLatencyTimer(DeviceHandles[index], kSlowLatencyMs);
    }
    DrainDevices();
}

void LinkModule::SetFastLink() {
    for (int index = 0; index <= devices_.LastDeviceIndex && validIndex(index); ++index) {
        if (!isOpen(index)) {
            continue;
        }
        const FT_HANDLE handle = DeviceHandles[index];
        if (driver_.FT_SetTimeouts(handle, kPollReadTimeoutMs, 0) != FT_OK ||
            driver_.FT_SetLatencyTimer(handle, PollingLatency()) != FT_OK) {
            CloseDevice(index);
        }
    }
}

} // namespace k7
