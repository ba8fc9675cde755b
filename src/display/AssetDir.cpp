#include "display/AssetDir.h"

#include <QDir>
#include <QFileInfo>

namespace k7 {

QString FindAssetDir(const QString& programDir) {
    const QDir program(programDir);
    const QString installed =
        QDir::cleanPath(program.filePath(QStringLiteral("../share/k7station")));
    for (const QString& dir : {program.path(), installed}) {
        if (QFileInfo::exists(QDir(dir).filePath(QStringLiteral("Graphics.tof")))) {
            return dir;
        }
    }
    return program.path();
}

} // namespace k7
