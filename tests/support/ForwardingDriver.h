// A driver that passes every call to another one; tests derive from it to break one call.
#pragma once

#include "link/Ftd2xx.h"

namespace k7::test {

class ForwardingDriver : public Ftd2xx {
public:
    explicit ForwardingDriver(Ftd2xx& inner) : inner_(inner) {}

    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* n) override {
        return inner_.FT_CreateDeviceInfoList(n);
    }
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serial,
                                     char* description, FT_HANDLE* h) override {
        return inner_.FT_GetDeviceInfoDetail(index, flags, type, id, locId, serial, description, h);
    }
    FT_STATUS FT_Open(int index, FT_HANDLE* h) override { return inner_.FT_Open(index, h); }
    FT_STATUS FT_SetBaudRate(FT_HANDLE h, std::uint32_t baud) override {
        return inner_.FT_SetBaudRate(h, baud);
    }
    FT_STATUS FT_SetDataCharacteristics(FT_HANDLE h, std::uint8_t w, std::uint8_t s,
                                        std::uint8_t p) override {
        return inner_.FT_SetDataCharacteristics(h, w, s, p);
    }
    FT_STATUS FT_SetFlowControl(FT_HANDLE h, std::uint16_t f, std::uint8_t on,
                                std::uint8_t off) override {
        return inner_.FT_SetFlowControl(h, f, on, off);
    }
    FT_STATUS FT_SetTimeouts(FT_HANDLE h, std::uint32_t r, std::uint32_t w) override {
        return inner_.FT_SetTimeouts(h, r, w);
    }
    FT_STATUS FT_SetLatencyTimer(FT_HANDLE h, std::uint8_t ms) override {
        return inner_.FT_SetLatencyTimer(h, ms);
    }
    FT_STATUS FT_SetResetPipeRetryCount(FT_HANDLE h, std::uint32_t n) override {
        return inner_.FT_SetResetPipeRetryCount(h, n);
    }
    FT_STATUS FT_Close(FT_HANDLE h) override { return inner_.FT_Close(h); }
    FT_STATUS FT_Write(FT_HANDLE h, const void* b, std::uint32_t n, std::uint32_t* w) override {
        return inner_.FT_Write(h, b, n, w);
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, std::uint32_t n, std::uint32_t* got) override {
        return inner_.FT_Read(h, b, n, got);
    }
    FT_STATUS FT_Purge(FT_HANDLE h, std::uint32_t mask) override {
        return inner_.FT_Purge(h, mask);
    }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, std::uint32_t* q) override {
        return inner_.FT_GetQueueStatus(h, q);
    }
    FT_STATUS FT_ListDevices(std::uint32_t* n, void* arg, std::uint32_t flags) override {
        return inner_.FT_ListDevices(n, arg, flags);
    }

private:
    Ftd2xx& inner_;
};

} // namespace k7::test
