#include "SettingsStore.h"

#include <QSettings>

namespace k7 {

QtSettingsStore::QtSettingsStore()
    : settings_(
          std::make_unique<QSettings>(QStringLiteral("Veltora"), QStringLiteral("K7 Series"))) {}

QtSettingsStore::QtSettingsStore(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

QtSettingsStore::~QtSettingsStore() = default;

QString QtSettingsStore::GetSetting(const QString& section, const QString& key,
                                    const QString& fallback) {
    return settings_->value(section + QLatin1Char('/') + key, fallback).toString();
}

void QtSettingsStore::SaveSetting(const QString& section, const QString& key,
                                  const QString& value) {
    settings_->setValue(section + QLatin1Char('/') + key, value);
    settings_->sync();
}

} // namespace k7
