#include "exchange/link_address.h"

#include <QDir>
#include <QFileInfo>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

namespace zelapp {

QString serviceNameOf(const QString &programPath) {
    return QFileInfo(programPath).completeBaseName();
}

QString linkSocketFolder() {
    const QString own = qEnvironmentVariable("ZEL_DDE_DIR");
    if (!own.isEmpty()) {
        return own;
    }
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) {
        return qEnvironmentVariable("XDG_RUNTIME_DIR") + QStringLiteral("/zel-dde");
    }
#ifdef Q_OS_WIN
    // Local sockets are named pipes there; the folder only makes the name.
    return QDir::tempPath() + QStringLiteral("/zel-dde");
#else
    return QStringLiteral("/tmp/zel-dde-%1").arg(static_cast<qulonglong>(getuid()));
#endif
}

QString linkSocketPath(const QString &folder, const QString &service) {
    return QDir(folder).filePath(service.toLower());
}

bool preparePrivateFolder(const QString &folder, QString *error) {
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("cannot create the folder %1").arg(folder);
        return false;
    }
#ifdef Q_OS_WIN
    return true;  // the user's own temporary folder
#else
    const QByteArray path = QFile::encodeName(folder);
    struct stat info {};
    // lstat: a symbolic link planted in a shared folder such as /tmp is not followed.
    if (lstat(path.constData(), &info) != 0) {
        *error = QStringLiteral("cannot read the folder %1: %2")
                     .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        *error = QStringLiteral("%1 is not a folder").arg(folder);
        return false;
    }
    if (info.st_uid != getuid()) {
        *error = QStringLiteral("the folder %1 belongs to another user").arg(folder);
        return false;
    }
    if ((info.st_mode & 0777) != 0700 && chmod(path.constData(), 0700) != 0) {
        *error = QStringLiteral("cannot make the folder %1 private: %2")
                     .arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        return false;
    }
    return true;
#endif
}

}  // namespace zelapp
