// A driver decorator for tests: passes every call through, except that the answers of the
// devices whose line a test has cut are never delivered (the receiver stopped answering), that
// writes to a stalled device run out with no byte taken, and that the device count can be made
// to fail.
#pragma once

#include "support/ForwardingDriver.h"

#include <map>
#include <set>

namespace k7::test {

class LineSwitch final : public ForwardingDriver {
public:
    using ForwardingDriver::ForwardingDriver;

    // Handles are learnt as devices are opened, so the enumeration index names the line.
    void cut(int index, bool isCut) { Switch(cut_, index, isCut); }
    void stall(int index, bool isStalled) { Switch(stalled_, index, isStalled); }
    // A device count the driver cannot give.
    FT_STATUS listStatus = FT_OK;

    FT_STATUS FT_Open(int index, FT_HANDLE* handle) override {
        const FT_STATUS status = ForwardingDriver::FT_Open(index, handle);
        if (status == FT_OK) {
            index_[*handle] = index;
        }
        return status;
    }
    FT_STATUS FT_Read(FT_HANDLE h, void* b, std::uint32_t n, std::uint32_t* got) override {
        const FT_STATUS status = ForwardingDriver::FT_Read(h, b, n, got);
        const auto it = index_.find(h);
        if (it != index_.end() && cut_.count(it->second) > 0) {
            *got = 0; // what arrived is lost on the cut line
        }
        return status;
    }
    FT_STATUS FT_Write(FT_HANDLE h, const void* b, std::uint32_t n,
                       std::uint32_t* written) override {
        const auto it = index_.find(h);
        if (it != index_.end() && stalled_.count(it->second) > 0) {
            *written = 0;
            return FT_IO_ERROR;
        }
        return ForwardingDriver::FT_Write(h, b, n, written);
    }
    FT_STATUS FT_ListDevices(std::uint32_t* n, void* arg, std::uint32_t flags) override {
        return listStatus != FT_OK ? listStatus : ForwardingDriver::FT_ListDevices(n, arg, flags);
    }

private:
    static void Switch(std::set<int>& lines, int index, bool on) {
        if (on) {
            lines.insert(index);
        } else {
            lines.erase(index);
        }
    }

    std::set<int> cut_;
    std::set<int> stalled_;
    std::map<FT_HANDLE, int> index_;
};

} // namespace k7::test
