#include "CrewSettings.h"

#include "CrewKey.h"
#include "platform/SettingsStore.h"

namespace k7 {
namespace {

const QString kSection = QStringLiteral("CrewView");
const QString kEnabled = QStringLiteral("Enabled");
const QString kAddress = QStringLiteral("Address");
const QString kPort = QStringLiteral("Port");
const QString kKey = QStringLiteral("Key");

} // namespace

CrewSettings ReadCrewSettings(SettingsStore& store) {
    CrewSettings settings;
    settings.enabled = store.GetSetting(kSection, kEnabled, QString()).trimmed() == u"1";
    const QHostAddress address(store.GetSetting(kSection, kAddress, QString()).trimmed());
    if (!address.isNull()) {
        settings.address = address;
    }
    bool ok = false;
    const int port = store.GetSetting(kSection, kPort, QString()).trimmed().toInt(&ok);
    if (ok && port >= 1 && port <= 65535) {
        settings.port = static_cast<quint16>(port);
    }
    settings.key = store.GetSetting(kSection, kKey, QString()).trimmed();
    if (!IsCrewKey(settings.key)) {
        settings.key = NewCrewKey();
        store.SaveSetting(kSection, kKey, settings.key);
    }
    return settings;
}

void SaveCrewSettings(SettingsStore& store, const CrewSettings& settings) {
    store.SaveSetting(kSection, kEnabled,
                      settings.enabled ? QStringLiteral("1") : QStringLiteral("0"));
    store.SaveSetting(kSection, kAddress, settings.address.toString());
    store.SaveSetting(kSection, kPort, QString::number(settings.port));
    store.SaveSetting(kSection, kKey, settings.key);
}

} // namespace k7
