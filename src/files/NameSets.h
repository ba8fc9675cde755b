// The "NameSets" section of the per-user settings: the frequency file last taken into the rack
// ("LastSet") and the file last created, edited or saved in the editor ("LastTransfer"). Each is
// written the moment the choice is made.
#pragma once

#include "platform/SettingsStore.h"

#include <QString>

namespace k7 {

inline QString NameSetsSection() {
    return QStringLiteral("NameSets");
}
inline QString LastSetKey() {
    return QStringLiteral("LastSet");
}

inline void SaveLastSet(SettingsStore& settings, const QString& name) {
    settings.SaveSetting(NameSetsSection(), LastSetKey(), name);
}
inline void SaveLastTransfer(SettingsStore& settings, const QString& name) {
    settings.SaveSetting(NameSetsSection(), QStringLiteral("LastTransfer"), name);
}

} // namespace k7
