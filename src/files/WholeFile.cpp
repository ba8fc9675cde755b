#include "WholeFile.h"

#include <QDir>
#include <QSaveFile>

namespace k7 {

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString& error) {
    QSaveFile file(path);
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count:
    // the buffered path hands it to commit() as a success.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) ||
        file.write(bytes.data(), bytes.size()) != bytes.size() || !file.commit()) {
        const QString reason = file.error() == QFileDevice::NoError
                                   ? QStringLiteral("the disk may be full")
                                   : file.errorString();
        error = QStringLiteral("%1 could not be written (%2); any previous file of that name "
                               "is unchanged.")
                    .arg(QDir::toNativeSeparators(path), reason);
        return false;
    }
    error.clear();
    return true;
}

} // namespace k7
