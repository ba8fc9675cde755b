// A driver double for unit tests of the rack: a number of devices whose answers a test
// scripts (a responder called for every frame written), recording every frame per device.
// Reads return what is queued, at once; the device count can be changed to play an unplug.
#pragma once

#include "link/Ftd2xx.h"

#include <QByteArray>

#include <deque>
#include <functional>
#include <vector>

namespace k7::test {

class ScriptedDriver final : public Ftd2xx {
public:
    // Returns the bytes the device answers to a written frame (empty: silence).
    using Responder = std::function<QByteArray(int device, const QByteArray& frame)>;

    explicit ScriptedDriver(int deviceCount);

    struct Device {
        std::deque<char> rx;
        std::vector<QByteArray> written;
    };
    std::vector<Device> devices;
    Responder respond;
    std::uint32_t attached = 0; // what FT_ListDevices reports
    FT_STATUS listStatus = FT_OK;
    int purges = 0;

    // Every frame written to the device whose third byte is the letter.
    std::vector<QByteArray> framesOf(int device, char letter) const;

    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* numDevices) override;
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serialNumber,
                                     char* description, FT_HANDLE* handle) override;
    FT_STATUS FT_Open(int index, FT_HANDLE* handle) override;
    FT_STATUS FT_SetBaudRate(FT_HANDLE, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE, std::uint8_t, std::uint8_t,
                                        std::uint8_t) override {
        return FT_OK;
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE, std::uint16_t, std::uint8_t, std::uint8_t) override {
        return FT_OK;
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE, std::uint32_t, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE, std::uint8_t) override { return FT_OK; }
    FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE, std::uint32_t) override { return FT_OK; }
    FT_STATUS FT_Close(FT_HANDLE) override { return FT_OK; }
    FT_STATUS FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                       std::uint32_t* bytesWritten) override;
    FT_STATUS FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                      std::uint32_t* bytesReturned) override;
    FT_STATUS FT_Purge(FT_HANDLE handle, std::uint32_t mask) override;
    FT_STATUS FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) override;
    FT_STATUS FT_ListDevices(std::uint32_t* numDevices, void* arg2, std::uint32_t flags) override;

private:
    Device* deviceOf(FT_HANDLE handle);
};

} // namespace k7::test
