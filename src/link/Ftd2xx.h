// The driver port: exactly the D2XX calls the station makes, with their arguments and status
// codes. The serial-port driver, the simulated rack and the wire log implement it.
#pragma once

#include <cstdint>

namespace k7 {

using FT_HANDLE = std::uintptr_t; // opaque; 0 is never a valid handle
using FT_STATUS = std::uint32_t;

enum : FT_STATUS {
    FT_OK = 0,
    FT_INVALID_HANDLE = 1,
    FT_DEVICE_NOT_FOUND = 2,
    FT_DEVICE_NOT_OPENED = 3,
    FT_IO_ERROR = 4,
    FT_INSUFFICIENT_RESOURCES = 5,
    FT_INVALID_PARAMETER = 6,
    FT_INVALID_BAUD_RATE = 7,
    FT_OTHER_ERROR = 18,
};

inline constexpr std::uint32_t FT_PURGE_RX = 1;
inline constexpr std::uint32_t FT_PURGE_TX = 2;
inline constexpr std::uint16_t FT_FLOW_RTS_CTS = 0x0100;
inline constexpr std::uint32_t FT_LIST_NUMBER_ONLY = 0x80000000u;
inline constexpr int kSerialNumberSize = 16;
inline constexpr int kDescriptionSize = 64;

class Ftd2xx {
public:
    virtual ~Ftd2xx() = default;

    virtual FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* numDevices) = 0;
    // serialNumber: 16 bytes, description: 64 bytes, both NUL-terminated on success.
    virtual FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags,
                                             std::uint32_t* type, std::uint32_t* id,
                                             std::uint32_t* locId, char* serialNumber,
                                             char* description, FT_HANDLE* handle) = 0;
    virtual FT_STATUS FT_Open(int index, FT_HANDLE* handle) = 0;
    virtual FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baudRate) = 0;
    virtual FT_STATUS FT_SetDataCharacteristics(FT_HANDLE handle, std::uint8_t wordLength,
                                                std::uint8_t stopBits, std::uint8_t parity) = 0;
    virtual FT_STATUS FT_SetFlowControl(FT_HANDLE handle, std::uint16_t flowControl,
                                        std::uint8_t xon, std::uint8_t xoff) = 0;
    virtual FT_STATUS FT_SetTimeouts(FT_HANDLE handle, std::uint32_t readTimeoutMs,
                                     std::uint32_t writeTimeoutMs) = 0;
    virtual FT_STATUS FT_SetLatencyTimer(FT_HANDLE handle, std::uint8_t latencyMs) = 0;
    virtual FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE handle, std::uint32_t count) = 0;
    virtual FT_STATUS FT_Close(FT_HANDLE handle) = 0;
    // A write waits at most the write timeout; 0 means the adapter's own bound (100 ms).
    virtual FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                               std::uint32_t* bytesWritten) = 0;
    // Returns once bytesToRead bytes have arrived, or with what arrived when the read timeout
    // runs out (status FT_OK, fewer bytes).
    virtual FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                              std::uint32_t* bytesReturned) = 0;
    virtual FT_STATUS FT_Purge(FT_HANDLE handle, std::uint32_t mask) = 0;
    virtual FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) = 0;
    // Only the number-only form is used: flags FT_LIST_NUMBER_ONLY, arg2 unused.
    virtual FT_STATUS FT_ListDevices(std::uint32_t* numDevices, void* arg2,
                                     std::uint32_t flags) = 0;
};

} // namespace k7
