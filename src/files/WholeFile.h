// Writing a whole file or nothing: the bytes go to a temporary file beside the target, which
// replaces the target only once every byte is on disk, so a failed write (a full disk, a
// missing folder) leaves any previous file of that name as it was. Every writer of the station
// writes through WriteAll, so that a full disk is told in the system's own words.
#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

namespace k7 {

// False when the file could not be written; error then says which file and why.
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString& error);

// Writes every byte to an open file. False when the system takes no more; reason then holds
// the system's own words ("No space left on device" on a full disk).
bool WriteAll(QFileDevice& file, QByteArrayView bytes, QString& reason);

} // namespace k7
