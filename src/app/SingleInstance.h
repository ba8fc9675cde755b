// One station per user: a lock file in the per-user runtime folder. The lock holds the owner's
// process id, so a lock left behind by a crashed station is taken over at the next start.
#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

namespace k7 {

class SingleInstance {
public:
    // folder: where the lock lives; empty means the per-user runtime folder.
    explicit SingleInstance(const QString& folder = {});
    // True when this process now holds the lock; false when another station holds it.
    bool TryAcquire();
    QString lockPath() const { return path_; }

private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

} // namespace k7
