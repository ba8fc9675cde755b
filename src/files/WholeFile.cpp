#include "WholeFile.h"

#include <QDir>
#include <QSaveFile>

namespace k7 {

bool WriteAll(QFileDevice& file, QByteArrayView bytes, QString& reason) {
    // A write that stops short (the disk filled up during it) returns the count so far and sets
    // no error; writing the rest asks the system again, and its refusal comes with its reason.
    while (!bytes.isEmpty()) {
        const qint64 written = file.write(bytes.data(), bytes.size());
        if (written <= 0) {
            reason = file.error() != QFileDevice::NoError
                         ? file.errorString()
                         : QStringLiteral("the system took only part of the data");
            return false;
        }
        bytes = bytes.sliced(written);
    }
    reason.clear();
    return true;
}

bool WriteWholeFile(const QString& path, QByteArrayView bytes, QString& error) {
    QSaveFile file(path);
    QString reason;
    // Unbuffered, so that a short write (a full disk, a size limit) shows in write()'s count:
    // the buffered path hands it to commit() as a success.
    const bool opened = file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    const bool written = opened && WriteAll(file, bytes, reason);
    if (!written || !file.commit()) {
        error = QStringLiteral("%1 could not be written (%2); any previous file of that name "
                               "is unchanged.")
                    .arg(QDir::toNativeSeparators(path),
                         opened && !written ? reason : file.errorString());
        return false;
    }
    error.clear();
    return true;
}

} // namespace k7
