// The driver port on real hardware: each receiver's USB serial device through QSerialPort,
// found by the device directory. Reads and writes block on the calling thread within their
// timeouts, as the station's one-thread design expects; nothing waits for ever.
#pragma once

#include "DeviceDirectory.h"
#include "Ftd2xx.h"

#include <map>
#include <memory>

class QSerialPort;

namespace k7 {

class SerialPortDriver final : public Ftd2xx {
public:
    // Bounds for a timeout of 0, which the driver library takes as "wait for ever".
    static constexpr std::uint32_t kDefaultWriteTimeoutMs = 100;
    static constexpr std::uint32_t kDefaultReadTimeoutMs = 1000;

    explicit SerialPortDriver(DeviceDirectory directory = DeviceDirectory());
    ~SerialPortDriver() override;
    SerialPortDriver(const SerialPortDriver&) = delete;
    SerialPortDriver& operator=(const SerialPortDriver&) = delete;

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
    struct Port;
    Port* find(FT_HANDLE handle);

    DeviceDirectory directory_;
    std::vector<DeviceEntry> listed_;
    bool listMade_ = false;
    std::map<FT_HANDLE, std::unique_ptr<Port>> open_;
    FT_HANDLE nextHandle_ = 1;
};

} // namespace k7
