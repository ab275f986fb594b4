#include "core/instance_lock.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>
#include <utility>

using namespace Qt::StringLiterals;

namespace zelapp {

InstanceLock::InstanceLock(QString lockFilePath)
    : path_(std::move(lockFilePath)), lock_(std::make_unique<QLockFile>(path_)) {
    // The lock is held for the whole run: only a vanished owner makes it stale, never its age.
    lock_->setStaleLockTime(0);
}

InstanceLock::~InstanceLock() = default;

bool InstanceLock::tryLock() {
    if (lock_->isLocked()) {
        return true;
    }
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        return false;
    }
    return lock_->tryLock(0);
}

void InstanceLock::unlock() {
    lock_->unlock();
}

QString InstanceLock::path() const {
    return path_;
}

QString defaultInstanceLockPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty()) {
        folder = QDir::tempPath();
    }
    return QDir(folder).filePath(u"zelapp.lock"_s);
}

}  // namespace zelapp
