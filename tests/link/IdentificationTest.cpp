// Identification against the simulated rack: classification by serial number, location order,
// slots and banks, rack layout. (The results that stop start-up, with the operator's box: the
// station's StationRefusal tests.)
#include "link/Identification.h"
#include "link/LinkModule.h"
#include "sim/SimulatedRack.h"
#include "support/ForwardingDriver.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <tuple>

namespace k7 {
namespace {

// A rack on which one device's details cannot be read (none unless told).
class UnreadableDetails final : public test::ForwardingDriver {
public:
    UnreadableDetails(Ftd2xx& inner, std::uint32_t broken)
        : ForwardingDriver(inner), broken_(broken) {}
    FT_STATUS FT_GetDeviceInfoDetail(std::uint32_t index, std::uint32_t* flags, std::uint32_t* type,
                                     std::uint32_t* id, std::uint32_t* locId, char* serial,
                                     char* description, FT_HANDLE* h) override {
        if (index == broken_) {
            return FT_DEVICE_NOT_FOUND;
        }
        return ForwardingDriver::FT_GetDeviceInfoDetail(index, flags, type, id, locId, serial,
                                                        description, h);
    }

private:
    std::uint32_t broken_;
};

struct Rig {
    explicit Rig(const sim::Scenario& scenario, std::uint32_t unreadable = ~0u)
        : rack(scenario, clock), driver(rack, unreadable), link(driver, devices, clock),
          identification(driver, link, devices, clock) {}
    test::ManualClock clock;
    DeviceTables devices;
    sim::SimulatedRack rack;
    UnreadableDetails driver;
    LinkModule link;
    Identification identification;
};

sim::Scenario rackOf(const std::vector<std::pair<QString, std::uint32_t>>& devices) {
    sim::Scenario scenario = sim::Scenario::simulated(static_cast<int>(devices.size()));
    for (std::size_t i = 0; i < devices.size(); ++i) {
        scenario.receivers[i].serial = devices[i].first;
        scenario.receivers[i].location = devices[i].second;
    }
    return scenario;
}

TEST(ClassifySerial, ReadsModelAndBandFromTheFirstTwoCharacters) {
    EXPECT_EQ(ClassifySerial("5K000101")->band, 36);
    EXPECT_EQ(ClassifySerial("38xx")->model, ModelK73);
    EXPECT_EQ(ClassifySerial("5E")->model, ModelJapanese);
    EXPECT_EQ(ClassifySerial("5A12")->model, 0);
    for (const char* outside : {"5F000001", "3A000001", "5k000001", "5", "3"}) {
        ASSERT_NE(ClassifySerial(outside), nullptr) << outside;
        EXPECT_EQ(ClassifySerial(outside)->model, -1) << outside;
    }
    EXPECT_EQ(ClassifySerial("A5000001"), nullptr);
    EXPECT_EQ(ClassifySerial(""), nullptr);
}

TEST(ConnectUSB, OrdersByLocationEarliestFirstAmongEquals) {
    Rig rig(
        rackOf({{"5K000101", 0x21}, {"5K000102", 0x12}, {"5K000103", 0x30}, {"5K000104", 0x12}}));
    ASSERT_EQ(rig.identification.ConnectUSB(), 4);
    EXPECT_EQ(rig.devices.SlotDevice[1], 1);
    EXPECT_EQ(rig.devices.SlotDevice[2], 3);
    EXPECT_EQ(rig.devices.SlotDevice[3], 0);
    EXPECT_EQ(rig.devices.SlotDevice[4], 2);
    EXPECT_EQ(rig.devices.SlotBand[1], 36);
    EXPECT_EQ(rig.devices.RackLayout, 1);
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(rig.rack.isOpen(i));
        EXPECT_EQ(rig.rack.settings(i)->latencyMs, 36);
    }
}

TEST(ConnectUSB, AssignsBanksOfEight) {
    for (const auto& [n, layout, interval] : {std::tuple{9, 2, 6}, {17, 3, 4}}) {
        Rig rig(sim::Scenario::simulated(n));
        ASSERT_EQ(rig.identification.ConnectUSB(), n);
        EXPECT_EQ(rig.devices.RackLayout, layout);
        EXPECT_EQ(rig.devices.PollInterval, interval);
        // The last device is the first of a new bank; the one before it ends the bank before.
        EXPECT_EQ(rig.devices.DeviceGroup[n - 2], n / 8 - 1);
        EXPECT_EQ(rig.devices.DeviceGroupPos[n - 2], 8);
        EXPECT_EQ(rig.devices.DeviceGroup[n - 1], n / 8);
        EXPECT_EQ(rig.devices.DeviceGroupPos[n - 1], 1);
        EXPECT_EQ(rig.rack.settings(n - 1)->latencyMs, (n - 1) * interval) << n;
    }
}

TEST(ConnectUSB, ModelFollowsTheLastClassifiedDeviceAndForeignSerialsAreUsed) {
    Rig k73Last(rackOf({{"38000001", 0x30}, {"5E000001", 0x20}}));
    ASSERT_EQ(k73Last.identification.ConnectUSB(), 2);
    EXPECT_EQ(k73Last.devices.ModelVariant, ModelK73);

    Rig japaneseLast(rackOf({{"38000001", 0x20}, {"5E000001", 0x30}, {"5A000001", 0x40}}));
    ASSERT_EQ(japaneseLast.identification.ConnectUSB(), 3);
    EXPECT_EQ(japaneseLast.devices.ModelVariant, ModelJapanese);

    Rig foreign(rackOf({{"FT1234AB", 0x10}, {"5K000101", 0x20}}));
    foreign.devices.SlotBand[1] = 99;
    ASSERT_EQ(foreign.identification.ConnectUSB(), 2);
    EXPECT_EQ(foreign.devices.SlotBand[1], 99) << "band left as it was";
    EXPECT_EQ(foreign.devices.SlotBand[2], 36);
    EXPECT_TRUE(foreign.rack.isOpen(0));
}

TEST(ConnectUSB, ADeviceWithUnreadableDetailsStillServesASlotOfItsOwn) {
    Rig rig(rackOf({{"5K000101", 0x21}, {"5K000102", 0x22}, {"5K000103", 0x23}}), 2);
    const DeviceTables& devices = rig.devices;
    ASSERT_EQ(rig.identification.ConnectUSB(), 3);
    // Location 0 sorts it first, but it keeps its own index: every device serves one slot.
    EXPECT_EQ(devices.SlotDevice[1], 2);
    EXPECT_EQ(devices.SlotDevice[2], 0);
    EXPECT_EQ(devices.SlotDevice[3], 1);
    EXPECT_EQ(devices.DeviceGroupPos[2], 1);
    EXPECT_EQ(devices.DeviceGroupPos[0], 2);
}

} // namespace
} // namespace k7
