// A rack of simulated receivers behind the driver port: device list, open and close, the
// configuration calls with their checks, and I/O with the timing of a real USB serial chip
// (an answer is readable after its transmission time plus the latency timer) or, when the
// scenario asks, at once. Reads wait on the clock, so tests run in virtual time.
#pragma once

#include "SimulatedReceiver.h"
#include "link/Ftd2xx.h"

#include <deque>
#include <memory>
#include <unordered_map>
#include <vector>

namespace k7 {
class Clock;
}

namespace k7::sim {

class SimulatedRack final : public Ftd2xx {
public:
    // Adapter bounds for a timeout of 0 (a real chip's "wait for ever").
    static constexpr std::uint32_t kDefaultWriteTimeoutMs = 100;
    static constexpr std::uint32_t kDefaultReadTimeoutMs = 1000;

    // What a device was last configured to; a fresh open has the chip's power-on values.
    struct LineSettings {
        std::uint32_t baudRate = 9600;
        std::uint8_t wordLength = 8;
        std::uint8_t stopBits = 0;
        std::uint8_t parity = 0;
        std::uint16_t flowControl = 0;
        std::uint32_t readTimeoutMs = 0;
        std::uint32_t writeTimeoutMs = 0;
        std::uint8_t latencyMs = 16;
        std::uint32_t resetPipeRetries = 50;
    };

    SimulatedRack(const Scenario& scenario, Clock& clock);
    ~SimulatedRack() override;

    int receiverCount() const { return static_cast<int>(receivers_.size()); }
    // Receivers in scenario order (their enumeration order while all are plugged in; those
    // plugged in later come last).
    SimulatedReceiver& receiver(int position) { return *receivers_.at(position); }
    // A handle works on the receiver's device (opened since it was last plugged in).
    bool isOpen(int position) const;
    // Handles still held on the rack's devices, dead or alive (a station closes every one).
    std::size_t openHandles() const { return open_.size(); }
    // The settings of the open device, or nothing when it is closed.
    const LineSettings* settings(int position) const;
    bool immediateAnswers() const { return immediate_; }

    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* numDevices) override;
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serialNumber,
                                     char* description, FT_HANDLE* handle) override;
    FT_STATUS FT_Open(int index, FT_HANDLE* handle) override;
    FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) override;
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                        std::uint8_t stopBits, std::uint8_t parity) override;
    FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl, std::uint8_t xon,
                                std::uint8_t xoff) override;
    FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                             std::uint32_t writeTimeoutMs) override;
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) override;
    FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t count) override;
    FT_STATUS FT_Close(FT_HANDLE handle) override;
    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten) override;
    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesReturned) override;
    FT_STATUS FT_Purge(FT_HANDLE handle, std::uint32_t mask) override;
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) override;
    FT_STATUS FT_ListDevices(std::uint32_t* numDevices, void* arg2, std::uint32_t flags) override;

private:
    struct Chunk {
        std::int64_t arrivedAt = 0; // in the chip's buffer (a purge drops it from then on)
        std::int64_t readyAt = 0;   // readable (the latency timer has run out)
        std::vector<std::uint8_t> bytes;
    };
    struct OpenDevice {
        int position = 0;
        std::int64_t openedAt = 0;
        LineSettings line;
        std::deque<Chunk> queue;
        std::size_t consumed = 0; // bytes already read from the front chunk
    };

    bool plugged(int position) const;
    // Open on a device that is still the one it was opened on.
    bool alive(const OpenDevice& device) const;
    std::vector<int> attached() const;
    // The open device of a handle, or nullptr (unknown, closed); sets status for the caller.
    OpenDevice* find(FT_HANDLE handle, FT_STATUS* status);
    std::uint32_t readyBytes(const OpenDevice& device, std::int64_t at) const;
    std::uint32_t take(OpenDevice& device, std::uint8_t* out, std::uint32_t count, std::int64_t at);

    Clock& clock_;
    bool immediate_;
    std::vector<std::unique_ptr<SimulatedReceiver>> receivers_;
    std::vector<int> listed_; // positions in the last device info list
    bool listMade_ = false;
    // Looked up on every write and read of the polling: hashed, not ordered.
    std::unordered_map<FT_HANDLE, OpenDevice> open_;
    FT_HANDLE nextHandle_ = 0x7000;
};

} // namespace k7::sim
