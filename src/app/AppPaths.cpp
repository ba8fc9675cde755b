#include "AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace k7 {

QString ApplicationFolder(const QString& programFolder, const QString& chosen) {
    QString folder = chosen;
    if (folder.isEmpty()) {
        const QFileInfo program(programFolder);
        folder = program.isDir() && program.isWritable()
                     ? program.absoluteFilePath()
                     : QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    }
    folder = QDir(folder).absolutePath();
    QDir().mkpath(folder);
    return folder;
}

QString DataFolder(const QString& applicationFolder) {
    return QDir(applicationFolder).filePath(QString::fromLatin1(kDataFolderName));
}

} // namespace k7
