#include "LoadFileSetting.h"

#include "platform/SettingsStore.h"

#include <optional>

namespace k7 {
namespace {

const QString kSection = QStringLiteral("Settings");
const QString kKey = QStringLiteral("LoadFile");

} // namespace

std::optional<bool> ParseSettingBoolean(const QString& text) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(QStringLiteral("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (trimmed.compare(QStringLiteral("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    bool ok = false;
    const double number = trimmed.toDouble(&ok);
    if (ok) {
        return number != 0.0;
    }
    return std::nullopt;
}

bool ReadLoadLastFile(SettingsStore& settings) {
    const std::optional<bool> value =
        ParseSettingBoolean(settings.GetSetting(kSection, kKey, QStringLiteral("False")));
    if (!value.has_value()) {
        return false;
    }
    if (!*value) {
        SaveLoadLastFile(settings, false);
    }
    return *value;
}

void SaveLoadLastFile(SettingsStore& settings, bool loadLastFile) {
    settings.SaveSetting(kSection, kKey,
                         loadLastFile ? QStringLiteral("True") : QStringLiteral("False"));
}

} // namespace k7
