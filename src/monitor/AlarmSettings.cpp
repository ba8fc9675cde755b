#include "AlarmSettings.h"

#include "platform/SettingsStore.h"

namespace k7 {
namespace {

const QString kSection = QStringLiteral("Alarms");
constexpr std::array<AlarmLevel, 3> kLevels{AlarmLevel::Silent, AlarmLevel::Frame,
                                            AlarmLevel::Alarm};

} // namespace

QLatin1StringView AlarmLevelToken(AlarmLevel level) {
    switch (level) {
    case AlarmLevel::Silent:
        return QLatin1StringView("silent");
    case AlarmLevel::Frame:
        return QLatin1StringView("frame");
    case AlarmLevel::Alarm:
        return QLatin1StringView("alarm");
    }
    return {};
}

std::array<bool, kAlertKinds> AlarmSettings::Marked() const {
    std::array<bool, kAlertKinds> marked{};
    for (std::size_t k = 0; k < marked.size(); ++k) {
        marked[k] = levels[k] != AlarmLevel::Silent;
    }
    return marked;
}

AlarmSettings ReadAlarmSettings(SettingsStore& store) {
    AlarmSettings settings;
    for (AlertKind kind : kAllAlertKinds) {
        const QString key = AlertToken(kind);
        AlarmLevel& level = settings.levels[static_cast<std::size_t>(Index(kind))];
        const QString text = store.GetSetting(kSection, key, QString()).trimmed().toLower();
        if (text.isEmpty()) {
            store.SaveSetting(kSection, key, AlarmLevelToken(level));
            continue;
        }
        for (AlarmLevel known : kLevels) {
            if (text == AlarmLevelToken(known)) {
                level = known;
            }
        }
    }
    return settings;
}

} // namespace k7
