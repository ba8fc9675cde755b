// Writing a whole file or nothing: the bytes go to a temporary file beside the target, which
// replaces the target only once every byte is on disk, so a failed write (a full disk, a
// missing folder) leaves any previous file of that name as it was.
#pragma once

#include <QByteArray>
#include <QString>

namespace k7 {

// False when the file could not be written; error then says which file and why.
bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString& error);

} // namespace k7
