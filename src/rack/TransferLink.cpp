// The rack engine's side of a bulk transfer: the calls on one slot's device that a transfer
// makes while polling is paused, and the purge they leave due before that device's next query.
#include "RackEngine.h"

#include "RackTables.h"
#include "link/LinkModule.h"

namespace k7 {

int RackEngine::transferDevice(int slot) {
    if (!RackTables::validSlot(slot) || slot > devices_.DeviceCount) {
        return -1;
    }
    const int device = devices_.SlotDevice[static_cast<std::size_t>(slot)];
    if (!link_.validIndex(device)) {
        return -1;
    }
    purgeBeforeQuery_[static_cast<std::size_t>(device)] = true;
    return device;
}

FT_STATUS RackEngine::PurgeReceive(int slot) {
    const int device = transferDevice(slot);
    return device < 0 ? FT_INVALID_PARAMETER : link_.PurgeReceive(device);
}

WriteResult RackEngine::WriteTransferBlock(int slot, std::span<const std::uint8_t> bytes) {
    // A receiver may still answer a block it was sent after polling has resumed.
    transferDevice(slot);
    return WriteBlock(slot, bytes);
}

FT_STATUS RackEngine::SetLinkTimeouts(int slot, std::uint32_t readMs, std::uint32_t writeMs) {
    const int device = transferDevice(slot);
    return device < 0 ? FT_INVALID_PARAMETER : link_.SetTimeouts(device, readMs, writeMs);
}

FT_STATUS RackEngine::SetLinkLatency(int slot, std::uint8_t latencyMs) {
    const int device = transferDevice(slot);
    return device < 0 ? FT_INVALID_PARAMETER : link_.SetLatency(device, latencyMs);
}

FT_STATUS RackEngine::ReadBlock(int slot, std::span<std::uint8_t> into, std::uint32_t* got) {
    *got = 0;
    const int device = transferDevice(slot);
    return device < 0 ? FT_INVALID_PARAMETER : link_.ReadBlock(device, into, got);
}

} // namespace k7
