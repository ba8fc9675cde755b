// The single-byte text of .frq files: Windows-1252, as every K7 station writes it. Bytes that
// code page leaves undefined map to the C1 control of the same value, so any byte sequence
// reads and writes back unchanged.
#pragma once

#include <QByteArray>
#include <QString>

namespace k7 {

QString DecodeWindows1252(QByteArrayView bytes);
// Characters the code page cannot hold are written as "?".
QByteArray EncodeWindows1252(QStringView text);

} // namespace k7
