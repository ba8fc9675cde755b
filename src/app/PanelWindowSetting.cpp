#include "PanelWindowSetting.h"

#include "platform/SettingsStore.h"

#include <QRegularExpression>

#include <array>
#include <utility>

namespace k7 {
namespace {

const QString kSection = QStringLiteral("Settings");
const QString kKey = QStringLiteral("PanelWindow");
const QString kArrangementKey = QStringLiteral("Arrangement");

constexpr std::array<std::pair<WindowMode, const char*>, 3> kModeNames{{
    {WindowMode::Normal, "normal"},
    {WindowMode::Maximized, "maximized"},
    {WindowMode::FullScreen, "fullscreen"},
}};

} // namespace

QString PanelWindowText(const RememberedWindow& window) {
    const char* mode = kModeNames[0].second;
    for (const auto& [value, name] : kModeNames) {
        if (value == window.placement.mode) {
            mode = name;
        }
    }
    return QStringLiteral("%1 %2x%3 %4")
        .arg(window.receivers)
        .arg(window.placement.client.width())
        .arg(window.placement.client.height())
        .arg(QLatin1String(mode));
}

std::optional<RememberedWindow> ParsePanelWindow(const QString& text) {
    static const QRegularExpression form(
        QStringLiteral("^(\\d{1,2}) (\\d{1,5})x(\\d{1,5}) (\\w+)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    RememberedWindow window;
    window.receivers = match.captured(1).toInt();
    const QSize client(match.captured(2).toInt(), match.captured(3).toInt());
    if (window.receivers < 1 || client.isEmpty() || client.width() > kMaxRememberedSide ||
        client.height() > kMaxRememberedSide) {
        return std::nullopt;
    }
    window.placement.client = client;
    for (const auto& [value, name] : kModeNames) {
        if (match.captured(4) == QLatin1String(name)) {
            window.placement.mode = value;
            return window;
        }
    }
    return std::nullopt;
}

std::optional<RememberedWindow> ReadPanelWindow(SettingsStore& settings) {
    return ParsePanelWindow(settings.GetSetting(kSection, kKey, QString()));
}

void SavePanelWindow(SettingsStore& settings, const RememberedWindow& window) {
    settings.SaveSetting(kSection, kKey, PanelWindowText(window));
}

WindowPlacement StartPlacement(const std::optional<RememberedWindow>& remembered, int receivers,
                               QSize rackClient) {
    if (remembered && remembered->receivers == receivers) {
        return remembered->placement;
    }
    return {rackClient, WindowMode::Normal};
}

QString ArrangementText(const RememberedArrangement& chosen) {
    return QStringLiteral("%1 %2").arg(chosen.receivers).arg(ArrangementName(chosen.arrangement));
}

std::optional<RememberedArrangement> ParseArrangementSetting(const QString& text) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,2}) (\\w+)$"));
    const QRegularExpressionMatch match = form.match(text.trimmed());
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const int receivers = match.captured(1).toInt();
    const std::optional<PanelArrangement> arrangement = ParseArrangement(match.captured(2));
    if (receivers < 1 || !arrangement) {
        return std::nullopt;
    }
    return RememberedArrangement{receivers, *arrangement};
}

std::optional<RememberedArrangement> ReadArrangement(SettingsStore& settings) {
    return ParseArrangementSetting(settings.GetSetting(kSection, kArrangementKey, QString()));
}

void SaveArrangement(SettingsStore& settings, const RememberedArrangement& chosen) {
    settings.SaveSetting(kSection, kArrangementKey, ArrangementText(chosen));
}

PanelArrangement StartArrangement(const std::optional<RememberedArrangement>& remembered,
                                  int receivers) {
    return remembered && remembered->receivers == receivers ? remembered->arrangement
                                                            : PanelArrangement::Native;
}

} // namespace k7
