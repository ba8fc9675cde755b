// The key rules of the editor's three boxes: what a key press becomes (or nothing when it is
// dropped), and the same rules over a whole text, for text that comes in by paste, drop or an
// input method. Names stay printable single-byte characters.
#pragma once

#include <QChar>
#include <QString>

#include <optional>

namespace k7 {

inline constexpr int kEditorNameLength = 6;
inline constexpr int kEditorMuteLength = 2;

// txtName: Backspace passes; Enter never; nothing once the box holds six characters; a space
// becomes "_"; printable ASCII only.
std::optional<QChar> NameKey(QChar key, const QString& box);
// txtFreq: Backspace, digits and "." pass; the user's separator only while the box has none.
std::optional<QChar> FreqKey(QChar key, const QString& box, QChar separator);
// txtMute: Backspace passes; digits only while the box holds fewer than two characters.
std::optional<QChar> MuteKey(QChar key, const QString& box);

QString NameTextAllowed(const QString& text);
QString FreqTextAllowed(const QString& text, QChar separator);
QString MuteTextAllowed(const QString& text);

} // namespace k7
