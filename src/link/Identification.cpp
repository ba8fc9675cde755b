#include "Identification.h"

#include "Ftd2xx.h"
#include "LinkModule.h"
#include "platform/EventPump.h"

#include <array>
#include <cmath>
#include <cstring>
#include <utility>

namespace k7 {
namespace {

constexpr std::array kSerialClasses = {
    SerialClass{'3', '8', 8, ModelK73}, SerialClass{'3', '9', 9, ModelK73},
    SerialClass{'3', 0, 0, -1},         SerialClass{'5', 'A', 10, 0},
    SerialClass{'5', 'B', 11, 0},       SerialClass{'5', 'C', 12, 0},
    SerialClass{'5', 'D', 13, 0},       SerialClass{'5', 'E', 14, ModelJapanese},
    SerialClass{'5', 'G', 32, 0},       SerialClass{'5', 'H', 33, 0},
    SerialClass{'5', 'I', 34, 0},       SerialClass{'5', 'J', 35, 0},
    SerialClass{'5', 'K', 36, 0},       SerialClass{'5', 'L', 37, 0},
    SerialClass{'5', 0, 0, -1},
};

struct Position {
    std::uint32_t location = 0;
    std::int32_t index = 0;
    SerialNumber serial{};
};

} // namespace

const SerialClass* ClassifySerial(const char* serial) {
    const char first = serial[0];
    const char second = first != '\0' ? serial[1] : '\0';
    for (const SerialClass& row : kSerialClasses) {
        if (row.first == first && (row.second == 0 || row.second == second)) {
            return &row;
        }
    }
    return nullptr;
}

std::int16_t PollIntervalFor(int rackLayout, int deviceCount) {
    if (deviceCount <= 0) {
        return 4;
    }
    const bool byFormula = rackLayout == 1 || (rackLayout == 2 && deviceCount < 12);
    if (!byFormula) {
        return 4;
    }
    return static_cast<std::int16_t>(std::nearbyint(1000.0 / (deviceCount * 20.0)));
}

void Identification::CloseDevices() {
    for (int index = 0; index < kMaxDevices; ++index) {
        link_.CloseDevice(index);
    }
    devices_.DeviceCount = 0;
    devices_.LastDeviceIndex = -1;
    devices_.PollCount = 0;
    devices_.SlotSerial.fill({});
}

int Identification::ConnectUSB() {
    for (int slot = 1; slot <= kMaxSlots; ++slot) {
        devices_.SlotDevice[slot] = 0;
        devices_.SlotAddress[slot] = 0;
    }
    devices_.SlotSerial.fill({});
    devices_.DeviceGroup.fill(0);
    devices_.DeviceGroupPos.fill(0);

    std::uint32_t count = 0;
    driver_.FT_CreateDeviceInfoList(&count);
    if (count == 0) {
        return kConnectNoDevice;
    }
    if (count > static_cast<std::uint32_t>(kMaxDevices)) {
        return kConnectTooMany;
    }
    devices_.DeviceCount = static_cast<std::int32_t>(count);
    devices_.LastDeviceIndex = devices_.DeviceCount - 1;

    if (EnumerateDevices(devices_.LastDeviceIndex) == QStringLiteral("None K7 series")) {
        return kConnectNotFamily;
    }

    int slot = 1;
    int bank = 0;
    int bankPosition = 1;
    for (int p = 0; p <= devices_.LastDeviceIndex; ++p) {
        devices_.SlotDevice[slot] = devices_.DeviceOrder[p];
        devices_.SlotAddress[slot] = 0;
        ++slot;
        if (bankPosition > 8) {
            bankPosition = 1;
            ++bank;
        }
        const int device = devices_.DeviceOrder[p];
        devices_.DeviceGroup[device] = bank;
        devices_.DeviceGroupPos[device] = static_cast<std::uint8_t>(bankPosition);
        ++bankPosition;
    }

    devices_.PollCount = devices_.DeviceCount;
    if (devices_.DeviceCount < 9) {
        devices_.RackLayout = 1;
    } else if (devices_.DeviceCount < 17) {
        devices_.RackLayout = 2;
    } else if (devices_.DeviceCount < 25) {
        devices_.RackLayout = 3;
    } else {
        devices_.RackLayout = 0; // also after a rescan of a smaller rack
    }
    SetPollInterval();

    for (int index = 0; index <= devices_.LastDeviceIndex; ++index) {
        link_.OpenDevice(index);
    }
    return devices_.DeviceCount;
}

QString Identification::EnumerateDevices(int lastIndex) {
    devices_.DeviceOrder.fill(0);
    std::array<Position, kMaxDevices> positions{};
    const int last = std::min(lastIndex, kMaxDevices - 1);

    for (int i = 0; i <= last; ++i) {
        std::uint32_t flags = 0;
        std::uint32_t type = 0;
        std::uint32_t id = 0;
        std::uint32_t location = 0;
        char serial[kSerialNumberSize + 1] = {};
        char description[kDescriptionSize + 1] = {};
        FT_HANDLE handle = 0;
        // A device whose details cannot be read keeps location 0 but still its own index, so
        // that no device serves two slots.
        positions[i].index = i;
        if (driver_.FT_GetDeviceInfoDetail(static_cast<std::uint32_t>(i), &flags, &type, &id,
                                           &location, serial, description, &handle) == FT_OK) {
            positions[i].location = location;
            serial[kSerialNumberSize] = '\0';
            std::memcpy(positions[i].serial.data(), serial, kSerialChars);
        }
    }

    // Selection sort by location; among equal locations the earliest position wins.
    for (int p = 0; p < last; ++p) {
        int smallest = p;
        for (int q = p + 1; q <= last; ++q) {
            if (positions[q].location < positions[smallest].location) {
                smallest = q;
            }
        }
        if (smallest != p) {
            std::swap(positions[p], positions[smallest]);
        }
        pump_.LetPendingMessagesRun();
    }

    devices_.ModelVariant = ModelK75;
    for (int p = 0; p <= last; ++p) {
        if (const SerialClass* row = ClassifySerial(positions[p].serial.data())) {
            if (row->model < 0) {
                return QStringLiteral("None K7 series");
            }
            devices_.SlotBand[p + 1] = row->band;
            if (row->model > 0) {
                devices_.ModelVariant = row->model;
            }
        }
        devices_.DeviceOrder[p] = positions[p].index;
        devices_.SlotSerial[static_cast<std::size_t>(p + 1)] = positions[p].serial;
    }
    return QString::number(last + 1) + QStringLiteral(" Drivers sorted");
}

void Identification::SetPollInterval() {
    devices_.PollInterval = PollIntervalFor(devices_.RackLayout, devices_.DeviceCount);
}

} // namespace k7
