// What identification learns about the attached devices: order, slots, banks, bands, serial
// numbers, model and the rack values derived from the device count. Filled by ConnectUSB at
// start and at every rescan.
#pragma once

#include <array>
#include <cstdint>

namespace k7 {

inline constexpr int kMaxDevices = 40;
inline constexpr int kMaxSlots = 40;
// A factory serial number as the driver lists it (up to 15 characters), NUL-terminated.
inline constexpr int kSerialChars = 15;
using SerialNumber = std::array<char, kSerialChars + 1>;

enum ModelVariantCode : std::int32_t { ModelK75 = 1, ModelK73 = 2, ModelJapanese = 3 };

struct DeviceTables {
    std::int32_t DeviceCount = 0;
    std::int32_t LastDeviceIndex = -1;
    // Position p holds the enumeration index of the device with the p-th smallest location.
    std::array<std::int32_t, kMaxDevices> DeviceOrder{};
    // Slot-indexed tables use entries 1..40; entry 0 is never used.
    std::array<std::int32_t, kMaxSlots + 1> SlotDevice{};
    std::array<std::uint8_t, kMaxSlots + 1> SlotAddress{};
    std::array<std::int32_t, kMaxSlots + 1> SlotBand{};
    // The serial number of the receiver in each slot: what the receiver is, wherever it sits.
    std::array<SerialNumber, kMaxSlots + 1> SlotSerial{};
    // Indexed by enumeration index: bank 0..4 and position 1..8 in it.
    std::array<std::int32_t, kMaxDevices> DeviceGroup{};
    std::array<std::uint8_t, kMaxDevices> DeviceGroupPos{};
    std::int32_t ModelVariant = 0;
    std::int32_t RackLayout = 0; // 1: 8 slots, 2: 16, 3: 24, 0: more than 24
    std::int16_t PollInterval = 0;
    std::int32_t PollCount = 0;
};

} // namespace k7
