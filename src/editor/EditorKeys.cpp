#include "EditorKeys.h"

namespace k7 {
namespace {

constexpr QChar kBackspace(u'\b');
constexpr QChar kEnter(u'\r');

bool Digit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

// A receiver shows one byte per character: printable ASCII, a space as "_".
std::optional<QChar> NameCharacter(QChar c) {
    if (c == QLatin1Char(' ')) {
        return QLatin1Char('_');
    }
    if (c.unicode() > 0x20 && c.unicode() < 0x7F) {
        return c;
    }
    return std::nullopt;
}

} // namespace

std::optional<QChar> NameKey(QChar key, const QString& box) {
    if (key == kBackspace) {
        return key;
    }
    if (key == kEnter || box.size() >= kEditorNameLength) {
        return std::nullopt;
    }
    return NameCharacter(key);
}

std::optional<QChar> FreqKey(QChar key, const QString& box, QChar separator) {
    if (key == kBackspace) {
        return key;
    }
    if (key == separator) {
        return box.contains(separator) ? std::nullopt : std::optional<QChar>(key);
    }
    if (key == QLatin1Char('.') || Digit(key)) {
        return key;
    }
    return std::nullopt;
}

std::optional<QChar> MuteKey(QChar key, const QString& box) {
    if (key == kBackspace) {
        return key;
    }
    if (Digit(key) && box.size() < kEditorMuteLength) {
        return key;
    }
    return std::nullopt;
}

QString NameTextAllowed(const QString& text) {
    QString allowed;
    for (const QChar c : text) {
        if (allowed.size() >= kEditorNameLength) {
            break;
        }
        if (const auto kept = NameCharacter(c)) {
            allowed += *kept;
        }
    }
    return allowed;
}

QString FreqTextAllowed(const QString& text, QChar separator) {
    QString allowed;
    for (const QChar c : text) {
        if (const auto kept = FreqKey(c, allowed, separator); kept && *kept != kBackspace) {
            allowed += *kept;
        }
    }
    return allowed;
}

QString MuteTextAllowed(const QString& text) {
    QString allowed;
    for (const QChar c : text) {
        if (const auto kept = MuteKey(c, allowed); kept && *kept != kBackspace) {
            allowed += *kept;
        }
    }
    return allowed;
}

} // namespace k7
