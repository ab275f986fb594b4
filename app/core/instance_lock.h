// The previous-instance test: a lock file that only one running copy of the program holds.
// A lock left behind by a process that has ended is taken over.
#pragma once

#include <QString>
#include <memory>

class QLockFile;

namespace zelapp {

class InstanceLock {
  public:
    explicit InstanceLock(QString lockFilePath);
    ~InstanceLock();
    InstanceLock(const InstanceLock &) = delete;
    InstanceLock &operator=(const InstanceLock &) = delete;

    // true when no other running instance holds the lock (this one holds it from now on).
    bool tryLock();
    void unlock();
    QString path() const;

  private:
    QString path_;
    std::unique_ptr<QLockFile> lock_;
};

// "zelapp.lock" in the user's runtime folder (the temporary folder when there is none).
QString defaultInstanceLockPath();

}  // namespace zelapp
