// The control panel's fixed rules, shared by its source files: the name's length, the user-mute
// bit of the band/type byte, the band whose frequency is not set from the panel, and how a typed
// name and mute level become what is sent.
#pragma once

#include <QString>

#include <algorithm>

namespace k7::panel_rules {

inline constexpr int kNameLength = 6;
inline constexpr int kUserMuteBit = 64;
inline constexpr int kJapanBand = 14;
inline const QString kDefaultFile = QStringLiteral("Default.frq");
inline const QString kCrLf = QStringLiteral("\r\n");

inline int LevelOf(const QString& text) {
    bool ok = false;
    const int level = text.toInt(&ok);
    return std::clamp(ok ? level : 1, 1, 10);
}

// The name as it is sent and stored: six characters, spaces (and characters a receiver cannot
// show) as "_", filled up with "_".
inline QString SavedName(const QString& typed) {
    QString name;
    for (QChar c : typed) {
        const bool shown = c.unicode() > 0x20 && c.unicode() < 0x7F;
        name += shown ? c : QChar('_');
    }
    while (name.size() < kNameLength) {
        name += QChar('_');
    }
    return name;
}

} // namespace k7::panel_rules
