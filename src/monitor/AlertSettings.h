// The alert thresholds, kept in the per-user settings store (section "Alerts") so that a
// station can be tuned to its rack without a rebuild. A missing key is written with its
// default, so that every threshold can be found in the settings file; a key that holds no
// whole number in its range is taken at its default.
#pragma once

namespace k7 {

class SettingsStore;

struct AlertSettings {
    // Battery low: the raw voltage below which the gauge shows the low frame, held this long.
    int batteryLowBelow = 108;
    int batteryHoldMs = 5000;
    // RF lost: both antennas under the receiver's mute threshold for longer than this.
    int rfLostAfterMs = 1000;
    // Audio silent: the raw audio level at or under this (the audio bar's empty foot) for longer
    // than audioSilentAfterMs while the receiver is not muted; 0 switches the alert off.
    int audioSilentAtOrBelow = 12;
    int audioSilentAfterMs = 0;

    bool audioSilentOn() const { return audioSilentAfterMs > 0; }
};

AlertSettings ReadAlertSettings(SettingsStore& store);

} // namespace k7
