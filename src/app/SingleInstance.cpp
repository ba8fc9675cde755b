#include "SingleInstance.h"

#include <QDir>
#include <QStandardPaths>

namespace k7 {

SingleInstance::SingleInstance(const QString& folder) {
    QString dir = folder;
    if (dir.isEmpty()) {
        dir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    }
    if (dir.isEmpty()) {
        dir = QDir::tempPath();
    }
    QDir().mkpath(dir);
    path_ = QDir(dir).filePath(QStringLiteral("k7station.lock"));
    lock_ = std::make_unique<QLockFile>(path_);
    // A station never holds the lock for a bounded time: it is held until the process ends.
    lock_->setStaleLockTime(0);
}

bool SingleInstance::TryAcquire() {
    return lock_->isLocked() || lock_->tryLock(0);
}

} // namespace k7
