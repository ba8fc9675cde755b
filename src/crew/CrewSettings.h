// What the operator chose for the crew view, kept in the settings section "CrewView": whether
// it is served, on which address and port, and its access key (kept, so that a phone's saved
// link works again after a restart until the operator makes a new key).
#pragma once

#include <QHostAddress>
#include <QString>

namespace k7 {

class SettingsStore;

struct CrewSettings {
    static constexpr quint16 kDefaultPort = 8470;

    bool enabled = false;
    // This computer only, unless the operator chooses one of the machine's network addresses.
    QHostAddress address{QHostAddress::LocalHost};
    quint16 port = kDefaultPort;
    QString key;
    bool operator==(const CrewSettings&) const = default;
};

// The section as stored; a missing or damaged value takes its default, and a missing or damaged
// key is replaced by a new one (saved at once).
CrewSettings ReadCrewSettings(SettingsStore& store);
void SaveCrewSettings(SettingsStore& store, const CrewSettings& settings);

} // namespace k7
