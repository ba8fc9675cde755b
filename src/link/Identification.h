// Finding the receivers: count the devices, sort them by USB location, classify each by the
// first two characters of its factory serial number, assign slots and banks of eight, derive
// the poll interval and open every device.
#pragma once

#include "DeviceTables.h"

#include <QString>

namespace k7 {

class Ftd2xx;
class LinkModule;
class EventPump;

// ConnectUSB results besides the device count.
inline constexpr int kConnectNoDevice = 0;
inline constexpr int kConnectNotFamily = 6000;
inline constexpr int kConnectTooMany = 6040; // more than 40 devices: beyond the tables

// One row of the serial-number classification. second == 0 matches any second character.
struct SerialClass {
    char first;
    char second;
    std::int32_t band;  // 0: none
    std::int32_t model; // 0: leaves ModelVariant alone; -1: not of the family
};

// The classification of a serial number; nullptr when its first character is neither "3"
// nor "5" (such a device is used, its band and the model stay as they were).
const SerialClass* ClassifySerial(const char* serial);

class Identification {
public:
    Identification(Ftd2xx& driver, LinkModule& link, DeviceTables& devices, EventPump& pump)
        : driver_(driver), link_(link), devices_(devices), pump_(pump) {}

    int ConnectUSB();
    // Every device closed through the link, and the tables left with no device: what a
    // rescan starts from.
    void CloseDevices();
    QString EnumerateDevices(int lastIndex);
    void SetPollInterval();

private:
    Ftd2xx& driver_;
    LinkModule& link_;
    DeviceTables& devices_;
    EventPump& pump_;
};

// 1000 / (n * 20) rounded half to even for up to 11 devices, 4 ms from 12 on.
std::int16_t PollIntervalFor(int rackLayout, int deviceCount);

} // namespace k7
