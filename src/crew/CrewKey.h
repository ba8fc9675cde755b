// The crew view's access key: 128 random bits from the system's generator, written as 32
// lowercase hex digits, and the one way a request's key is compared with it (in constant time,
// so that how long a refusal takes tells nothing of how much of a guess was right).
#pragma once

#include <QByteArrayView>
#include <QString>

namespace k7 {

inline constexpr int kCrewKeyDigits = 32;

// A fresh key from QRandomGenerator::system().
QString NewCrewKey();
// 32 hex digits, as NewCrewKey makes them (a key read back from the settings file is checked).
bool IsCrewKey(const QString& text);
// True when given is the expected key. Every byte of the expected key is looked at whatever
// the given one holds, and the result is decided only at the end.
bool CrewKeyMatches(QByteArrayView expected, QByteArrayView given);

} // namespace k7
