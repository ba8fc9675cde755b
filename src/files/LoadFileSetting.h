// The "Load last file on Start" choice in the per-user settings: section "Settings", key
// "LoadFile", stored as the text "True" or "False".
#pragma once

#include <optional>

class QString;

namespace k7 {

class SettingsStore;

// Reads the choice (False when missing). A stored False or a missing key is written back as
// "False" at once, so the key exists after the first start; a text that is not a Boolean
// reads as false and stays as it is.
bool ReadLoadLastFile(SettingsStore& settings);
void SaveLoadLastFile(SettingsStore& settings, bool loadLastFile);

// The Boolean texts the settings hold: "True"/"False" in any case, or a number (non-zero is
// true); nothing for any other text.
std::optional<bool> ParseSettingBoolean(const QString& text);

} // namespace k7
