// Noticing that the unit's driver may be back: a device socket appearing in the device folder
// (the unit switched on again, its driver started again). The recovery then tries at once
// instead of at its next retry. A pulled cable leaves the driver and its socket where they are:
// nothing appears, and the retries find the unit.
#pragma once

#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

namespace zelapp {

class DeviceWatch {
  public:
    virtual ~DeviceWatch() = default;
    // Called on the watch's thread each time a device appears.
    virtual void setAppeared(std::function<void()> appeared) = 0;
};

// Where the library finds the unit's devices: $ZEL_DEVICE_DIR when set and not empty, else
// $XDG_RUNTIME_DIR/zel8 when that is set and not empty, else /tmp/zel8-<uid>.
QString unitDeviceFolder();

// The device folder watched by the file system's notices (inotify). A folder that is not there
// (the driver removes the one it made) is waited for in its parent folder.
class FolderDeviceWatch : public QObject, public DeviceWatch {
    Q_OBJECT
  public:
    explicit FolderDeviceWatch(QString folder = unitDeviceFolder(), QObject *parent = nullptr);

    void setAppeared(std::function<void()> appeared) override { appeared_ = std::move(appeared); }
    const QString &folder() const { return folder_; }
    // The device sockets ("ZEL1", "ZELVXD", ...) in the folder at the last look.
    QSet<QString> devices() const;

  signals:
    void deviceAppeared();

  private:
    void look();

    // A socket made anew under the same name between two looks (a driver restarted at once) is
    // another file: told apart by its inode and change time.
    struct Identity {
        quint64 inode = 0;
        qint64 changedNs = 0;
        bool operator==(const Identity &) const = default;
    };

    QString folder_;
    QFileSystemWatcher watcher_;
    QHash<QString, Identity> devices_;
    std::function<void()> appeared_;
};

}  // namespace zelapp
