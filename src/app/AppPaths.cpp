#include "AppPaths.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace k7 {

QString AssetFolder(const QString& programFolder) {
    const QDir beside(programFolder);
    if (beside.exists(QStringLiteral("Graphics.tof"))) {
        return beside.absolutePath();
    }
    const QString shared =
        QDir::cleanPath(beside.absoluteFilePath(QStringLiteral("../share/k7station")));
    if (QDir(shared).exists(QStringLiteral("Graphics.tof"))) {
        return shared;
    }
    return beside.absolutePath();
}

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
