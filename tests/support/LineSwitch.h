// A driver decorator for tests: passes every call through, except that the answers of the
// devices whose line a test has cut are never delivered (the receiver stopped answering) and
// that the device count can be made to fail.
#pragma once

#include "link/Ftd2xx.h"

#include <map>
#include <set>

namespace k7::test {

class LineSwitch final : public Ftd2xx {
public:
    explicit LineSwitch(Ftd2xx& inner) : inner_(inner) {}

    // Handles are learnt as devices are opened, so the enumeration index names the line.
    void cut(int index, bool isCut) {
        if (isCut) {
            cut_.insert(index);
        } else {
            cut_.erase(index);
        }
    }

    FT_STATUS FT_CreateDeviceInfoList(std::uint32_t* n) override {
        return inner_.FT_CreateDeviceInfoList(n);
    }
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serial,
                                     char* description, FT_HANDLE* handle) override {
        return inner_.FT_GetDeviceInfoDetail(index, flags, type, id, locId, serial, description,
                                             handle);
    }
    FT_STATUS FT_Open(int index, FT_HANDLE* handle) override {
        const FT_STATUS status = inner_.FT_Open(index, handle);
        if (status == FT_OK) {
            index_[*handle] = index;
        }
        return status;
    }
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
        const FT_STATUS status = inner_.FT_Read(h, b, n, got);
        if (isCut(h)) {
            *got = 0; // what arrived is lost on the cut line
        }
        return status;
    }
    FT_STATUS FT_Purge(FT_HANDLE h, std::uint32_t mask) override {
        return inner_.FT_Purge(h, mask);
    }
    FT_STATUS FT_GetQueueStatus(FT_HANDLE h, std::uint32_t* rx) override {
        return inner_.FT_GetQueueStatus(h, rx);
    }
    FT_STATUS FT_ListDevices(std::uint32_t* n, void* arg, std::uint32_t flags) override {
        if (listStatus != FT_OK) {
            return listStatus;
        }
        return inner_.FT_ListDevices(n, arg, flags);
    }

    // A device count the driver cannot give.
    FT_STATUS listStatus = FT_OK;

private:
    bool isCut(FT_HANDLE h) const {
        const auto it = index_.find(h);
        return it != index_.end() && cut_.count(it->second) > 0;
    }

    Ftd2xx& inner_;
    std::set<int> cut_;
    std::map<FT_HANDLE, int> index_;
};

} // namespace k7::test
