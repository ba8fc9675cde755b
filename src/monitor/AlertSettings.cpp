#include "AlertSettings.h"

#include "platform/SettingsStore.h"

#include <array>

namespace k7 {
namespace {

const QString kSection = QStringLiteral("Alerts");

struct Key {
    const char* name;
    int AlertSettings::*field;
    int low;
    int high;
};

constexpr int kDayMs = 24 * 3600 * 1000;

const std::array<Key, 5> kKeys{{
    {"BatteryLowBelow", &AlertSettings::batteryLowBelow, 0, 256},
    {"BatteryHoldMs", &AlertSettings::batteryHoldMs, 0, kDayMs},
    {"RfLostAfterMs", &AlertSettings::rfLostAfterMs, 0, kDayMs},
    {"AudioSilentAtOrBelow", &AlertSettings::audioSilentAtOrBelow, 0, 255},
    {"AudioSilentAfterMs", &AlertSettings::audioSilentAfterMs, 0, kDayMs},
}};

} // namespace

AlertSettings ReadAlertSettings(SettingsStore& store) {
    AlertSettings settings;
    for (const Key& key : kKeys) {
        const QString name = QLatin1String(key.name);
        int& value = settings.*key.field;
        const QString text = store.GetSetting(kSection, name, QString());
        if (text.isEmpty()) {
            store.SaveSetting(kSection, name, QString::number(value));
            continue;
        }
        bool ok = false;
        const int number = text.trimmed().toInt(&ok);
        if (ok && number >= key.low && number <= key.high) {
            value = number;
        }
    }
    return settings;
}

} // namespace k7
