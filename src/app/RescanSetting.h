// "Rescan after a USB change" in the per-user settings: section "Rescan", key "Automatic",
// "true" or "false" (off when missing or not a Boolean).
#pragma once

namespace k7 {

class SettingsStore;

bool ReadRescanAfterUsbChange(SettingsStore& settings);
void SaveRescanAfterUsbChange(SettingsStore& settings, bool on);

} // namespace k7
