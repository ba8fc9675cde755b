// The link to the receivers' USB devices: one handle per device, the single transmit and
// receive buffers, open/configure, write, read with answer acceptance, drain, and the fast
// (polling) and slow (before exit) settings. No operation here ever shows a message.
#pragma once

#include "DeviceTables.h"
#include "Ftd2xx.h"

#include <array>
#include <cstdint>
#include <functional>
#include <span>

namespace k7 {

class EventPump;

struct LinkStatus {
    std::uint32_t BytesWritten = 0;
    std::uint32_t BytesRead = 0;
    FT_STATUS Status = FT_OK; // of the last read or purge
};

class LinkModule {
public:
    static constexpr int kTxSize = 20;
    static constexpr int kRxSize = 21;
    static constexpr std::uint32_t kBaudRate = 56000;
    static constexpr std::uint32_t kPollReadTimeoutMs = 4;
    static constexpr std::uint32_t kSlowTimeoutMs = 500;
    static constexpr std::uint8_t kSlowLatencyMs = 100;
    static constexpr std::uint32_t kResetPipeRetries = 100;

    LinkModule(Ftd2xx& driver, DeviceTables& devices, EventPump& pump);

    // Called with the device's enumeration index for every accepted answer in RxBuffer.
    void SetAnswerParser(std::function<void(int deviceIndex)> parser) {
        parser_ = std::move(parser);
    }

    void OpenDevice(int index);
    // Closes the device and forgets its handle (nothing when it has none).
    void CloseDevice(int index);
    // The driver's status; BytesWritten in Status (0 for a device index outside the table).
    FT_STATUS WriteDevice(int index, int count);
    void ReadDevice(int index, int count);
    std::uint32_t DrainDevices();

    // Bulk transfer on one device, outside the polling cycle: a block written straight from
    // the caller's bytes (larger than TxBuffer), a block read into the caller's buffer (not
    // RxBuffer, which stays what polling reads; no answer check), and the calls that prepare
    // the device for it. Each returns the driver's status; FT_INVALID_HANDLE for an index
    // outside the table or a device that is not open.
    FT_STATUS WriteBlock(int index, std::span<const std::uint8_t> bytes, std::uint32_t* written);
    FT_STATUS ReadBlock(int index, std::span<std::uint8_t> into, std::uint32_t* got);
    FT_STATUS PurgeReceive(int index);
    FT_STATUS SetTimeouts(int index, std::uint32_t readMs, std::uint32_t writeMs);
    FT_STATUS SetLatency(int index, std::uint8_t latencyMs);
    void SetSlowLink();
    void SetFastLink();
    // 40 ms for fewer than three devices, otherwise (n - 1) poll intervals.
    std::uint8_t PollingLatency() const;

    Ftd2xx& driver() { return driver_; }
    bool validIndex(int index) const { return index >= 0 && index < kMaxDevices; }
    // The device has a handle: opened and not closed since. Calls on any other index reach no
    // driver and fail with FT_INVALID_HANDLE.
    bool isOpen(int index) const {
        return validIndex(index) && DeviceHandles[static_cast<std::size_t>(index)] != FT_HANDLE{};
    }

    std::array<FT_HANDLE, kMaxDevices> DeviceHandles{};
    std::array<std::uint8_t, kTxSize> TxBuffer{};
    std::array<std::uint8_t, kRxSize> RxBuffer{};
    LinkStatus Status;

private:
    Ftd2xx& driver_;
    DeviceTables& devices_;
    EventPump& pump_;
    std::function<void(int)> parser_;
};

} // namespace k7
