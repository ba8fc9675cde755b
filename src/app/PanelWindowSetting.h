// The main window as the operator left it, remembered in the per-user settings for the next start
// of a rack of the same size: section "Settings", key "PanelWindow", the text
// "<receivers> <width>x<height> <normal|maximized|fullscreen>", the size being the window's
// drawing area below the menu bar (logical pixels) when it is neither maximised nor full screen;
// and the arrangement of the meter cells last chosen, key "Arrangement", "<receivers>
// <native|wide>".
#pragma once

#include "display/PanelArrangement.h"

#include <QSize>
#include <QString>

#include <optional>

namespace k7 {

class SettingsStore;

enum class WindowMode { Normal, Maximized, FullScreen };

struct WindowPlacement {
    QSize client; // the drawing area in the normal state
    WindowMode mode = WindowMode::Normal;
    bool operator==(const WindowPlacement&) const = default;
};

struct RememberedWindow {
    int receivers = 0; // the rack size it was left with
    WindowPlacement placement;
    bool operator==(const RememberedWindow&) const = default;
};

// The largest drawing area remembered; a larger stored size is taken for damage.
inline constexpr int kMaxRememberedSide = 16384;

QString PanelWindowText(const RememberedWindow& window);
// None for a text that is not one PanelWindowText writes (then the rack's own size serves).
std::optional<RememberedWindow> ParsePanelWindow(const QString& text);

std::optional<RememberedWindow> ReadPanelWindow(SettingsStore& settings);
void SavePanelWindow(SettingsStore& settings, const RememberedWindow& window);

// The window at start: as it was left when the rack has the same size as then, else the rack's
// own drawing area in the normal state.
WindowPlacement StartPlacement(const std::optional<RememberedWindow>& remembered, int receivers,
                               QSize rackClient);

struct RememberedArrangement {
    int receivers = 0; // the rack size it was chosen for
    PanelArrangement arrangement = PanelArrangement::Native;
    bool operator==(const RememberedArrangement&) const = default;
};

QString ArrangementText(const RememberedArrangement& chosen);
// None for a text that is not one ArrangementText writes.
std::optional<RememberedArrangement> ParseArrangementSetting(const QString& text);
std::optional<RememberedArrangement> ReadArrangement(SettingsStore& settings);
void SaveArrangement(SettingsStore& settings, const RememberedArrangement& chosen);
// The arrangement at start: the one chosen for a rack of this size, else the native one.
PanelArrangement StartArrangement(const std::optional<RememberedArrangement>& remembered,
                                  int receivers);

} // namespace k7
