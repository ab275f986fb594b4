#include "unit/device_watch.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zelapp {

QString unitDeviceFolder() {
    const QString folder = qEnvironmentVariable("ZEL_DEVICE_DIR");
    if (!folder.isEmpty()) {
        return folder;
    }
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty()) {
        return runtime + QStringLiteral("/zel8");
    }
#ifdef Q_OS_WIN
    return {};  // the devices are the system's, not files in a folder
#else
    return QStringLiteral("/tmp/zel8-%1").arg(static_cast<unsigned long>(getuid()));
#endif
}

FolderDeviceWatch::FolderDeviceWatch(QString folder, QObject *parent)
    : QObject(parent), folder_(std::move(folder)) {
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this, &FolderDeviceWatch::look);
    look();
}

void FolderDeviceWatch::look() {
    if (folder_.isEmpty()) {
        return;
    }
    const QString parent = QFileInfo(folder_).absolutePath();
    const bool there = QFileInfo(folder_).isDir();
    // The parent only while the folder is not there: it may be a busy one (/tmp).
    if (there) {
        watcher_.removePath(parent);
        if (!watcher_.directories().contains(folder_)) {
            watcher_.addPath(folder_);
        }
    } else if (QFileInfo(parent).isDir() && !watcher_.directories().contains(parent)) {
        watcher_.addPath(parent);
    }
    QHash<QString, Identity> now;
    bool appeared = false;
#ifndef Q_OS_WIN
    if (there) {
        // Sockets only (System): a plain file of a device's name is none.
        const QStringList entries = QDir(folder_).entryList({QStringLiteral("ZEL*")}, QDir::System);
        for (const QString &name : entries) {
            struct stat status {};
            if (::stat(QFile::encodeName(folder_ + u'/' + name).constData(), &status) != 0 ||
                !S_ISSOCK(status.st_mode)) {
                continue;
            }
            const Identity identity{
                static_cast<quint64>(status.st_ino),
                qint64(status.st_ctim.tv_sec) * 1000000000 + status.st_ctim.tv_nsec};
            appeared = appeared || devices_.value(name) != identity;
            now.insert(name, identity);
        }
    }
#endif
    devices_ = std::move(now);
    if (appeared) {
        emit deviceAppeared();
        if (appeared_) {
            appeared_();
        }
    }
}

QSet<QString> FolderDeviceWatch::devices() const {
    QSet<QString> names;
    for (auto it = devices_.cbegin(); it != devices_.cend(); ++it) {
        names.insert(it.key());
    }
    return names;
}

}  // namespace zelapp
