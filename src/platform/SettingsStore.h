// The per-user settings store: section, key and a text value, under the application's name.
#pragma once

#include <QString>

#include <memory>

class QSettings;

namespace k7 {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    virtual QString GetSetting(const QString& section, const QString& key,
                               const QString& fallback) = 0;
    virtual void SaveSetting(const QString& section, const QString& key, const QString& value) = 0;
};

// QSettings under organisation "Veltora", application "K7 Series" (on Linux the file
// $XDG_CONFIG_HOME/Veltora/K7 Series.conf). A settings file path may be given instead, for tests.
class QtSettingsStore final : public SettingsStore {
public:
    QtSettingsStore();
    explicit QtSettingsStore(const QString& iniFile);
    ~QtSettingsStore() override;
    QString GetSetting(const QString& section, const QString& key,
                       const QString& fallback) override;
    void SaveSetting(const QString& section, const QString& key, const QString& value) override;

private:
    std::unique_ptr<QSettings> settings_;
};

} // namespace k7
