#include "ScriptedDriver.h"

#include <cstring>

namespace k7::test {

ScriptedDriver::ScriptedDriver(int deviceCount)
    : devices(static_cast<std::size_t>(deviceCount)),
      attached(static_cast<std::uint32_t>(deviceCount)) {}

std::vector<QByteArray> ScriptedDriver::framesOf(int device, char letter) const {
    std::vector<QByteArray> frames;
    for (const QByteArray& frame : devices.at(static_cast<std::size_t>(device)).written) {
        if (frame.size() > 2 && frame.at(2) == letter) {
            frames.push_back(frame);
        }
    }
    return frames;
}

ScriptedDriver::Device* ScriptedDriver::deviceOf(FT_HANDLE handle) {
    if (handle == 0 || handle > devices.size()) {
        return nullptr;
    }
    return &devices[handle - 1];
}

FT_STATUS ScriptedDriver::FT_CreateDeviceInfoList(std::uint32_t* numDevices) {
    *numDevices = static_cast<std::uint32_t>(devices.size());
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags,
                                                 std::uint32_t* type, std::uint32_t* id,
                                                 std::uint32_t* locId, char* serialNumber,
                                                 char* description, FT_HANDLE* handle) {
    if (index >= devices.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    *flags = 0;
    *type = 0;
    *id = 0;
    *locId = 0x100 + index;
    std::strcpy(serialNumber, "5A000000");
    std::strcpy(description, "receiver");
    *handle = 0;
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_Open(int index, FT_HANDLE* handle) {
    if (index < 0 || static_cast<std::size_t>(index) >= devices.size()) {
        return FT_DEVICE_NOT_FOUND;
    }
    *handle = static_cast<FT_HANDLE>(index) + 1;
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_Write(FT_HANDLE handle, const void* buffer, std::uint32_t bytesToWrite,
                                   std::uint32_t* bytesWritten) {
    Device* device = deviceOf(handle);
    *bytesWritten = 0;
    if (!device) {
        return FT_INVALID_HANDLE;
    }
    const QByteArray frame(static_cast<const char*>(buffer), static_cast<qsizetype>(bytesToWrite));
    device->written.push_back(frame);
    *bytesWritten = bytesToWrite;
    if (respond) {
        const QByteArray answer = respond(static_cast<int>(handle - 1), frame);
        device->rx.insert(device->rx.end(), answer.begin(), answer.end());
    }
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_Read(FT_HANDLE handle, void* buffer, std::uint32_t bytesToRead,
                                  std::uint32_t* bytesReturned) {
    Device* device = deviceOf(handle);
    *bytesReturned = 0;
    if (!device) {
        return FT_INVALID_HANDLE;
    }
    auto* out = static_cast<char*>(buffer);
    while (*bytesReturned < bytesToRead && !device->rx.empty()) {
        out[(*bytesReturned)++] = device->rx.front();
        device->rx.pop_front();
    }
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_Purge(FT_HANDLE handle, std::uint32_t mask) {
    Device* device = deviceOf(handle);
    if (!device) {
        return FT_INVALID_HANDLE;
    }
    if (mask & FT_PURGE_RX) {
        device->rx.clear();
    }
    ++purges;
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_GetQueueStatus(FT_HANDLE handle, std::uint32_t* rxBytes) {
    Device* device = deviceOf(handle);
    if (!device) {
        return FT_INVALID_HANDLE;
    }
    *rxBytes = static_cast<std::uint32_t>(device->rx.size());
    return FT_OK;
}

FT_STATUS ScriptedDriver::FT_ListDevices(std::uint32_t* numDevices, void*, std::uint32_t flags) {
    if (flags != FT_LIST_NUMBER_ONLY) {
        return FT_INVALID_PARAMETER;
    }
    *numDevices = attached;
    return listStatus;
}

} // namespace k7::test
