// A meter panel over the tables of the station's core, filled as a rack of receivers fills them,
// for the display benchmarks.
#pragma once

#include "display/MeterPanel.h"
#include "rack/LayoutProfiles.h"
#include "support/PanelLayouts.h"
#include "support/RackHarness.h"

namespace k7::bench {

// The meter panel over the tables of the station's core (a rack of no receivers, set up here),
// attached to the core as the program attaches it.
struct Rack {
    explicit Rack(int layout, int count) {
        rig.engine.RemoveObserver(rig.events); // nothing recorded: the redraw alone
        rig.core.AttachDisplay(panel);
        devices.RackLayout = layout;
        devices.DeviceCount = count;
        devices.ModelVariant = k7::ModelK75;
        panel.BuildScaling();
        panel.InitGraphics(QStringLiteral(K7_ASSET_DIR), QSize(800, 700));
        int pastes = 0;
        panel.setPasteListener([pastes](const QRect&) mutable { ++pastes; });
        for (int slot = 1; slot <= count; ++slot) {
            rack.CurData[slot] = {QStringLiteral("VOX_%1").arg(slot), QStringLiteral("606.600"),
                                  QStringLiteral("4"), QStringLiteral("0")};
            rack.VoltageKnown[slot] = true;
            rack.MeterData[slot][k7::Voltage] = 150;
        }
        panel.ResetPeaks();
    }
    // A meter answer's values changing from one poll to the next, as a live signal does.
    void Vary(int slot, int tick) {
        auto& m = rack.MeterData[slot];
        m[k7::RfA] = static_cast<std::uint8_t>(90 + tick % 80);
        m[k7::RfB] = static_cast<std::uint8_t>(100 + (tick * 7) % 70);
        m[k7::AudioLevel] = static_cast<std::uint8_t>(20 + (tick * 13) % 160);
        rack.LastAntenna = static_cast<std::uint8_t>(tick & 1);
    }
    k7::test::RackHarness rig;
    k7::RackTables& rack = rig.rack;
    k7::DeviceTables& devices = rig.devices;
    k7::MeterPanel panel{rack, devices, rig.prompter};
};

// The layout of a rack of `count` receivers, as identification picks it.
inline int LayoutFor(int count) {
    return k7::LayoutProfileFor(count).rackLayout;
}

} // namespace k7::bench
