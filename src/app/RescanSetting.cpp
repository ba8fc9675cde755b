#include "RescanSetting.h"

#include "files/LoadFileSetting.h"
#include "platform/SettingsStore.h"

#include <QString>

namespace k7 {
namespace {

const QString kSection = QStringLiteral("Rescan");
const QString kKey = QStringLiteral("Automatic");

} // namespace

bool ReadRescanAfterUsbChange(SettingsStore& settings) {
    return ParseSettingBoolean(settings.GetSetting(kSection, kKey, QStringLiteral("false")))
        .value_or(false);
}

void SaveRescanAfterUsbChange(SettingsStore& settings, bool on) {
    settings.SaveSetting(kSection, kKey, on ? QStringLiteral("true") : QStringLiteral("false"));
}

} // namespace k7
