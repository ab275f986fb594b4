#include "base/private_folder.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

namespace zelapp {

bool makePrivateFolder(const QString &folder) {
    QStringList missing;  // innermost first
    for (QString path = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
         !QFileInfo::exists(path); path = QFileInfo(path).path()) {
        missing.prepend(path);
        if (QFileInfo(path).path() == path) {
            break;  // the root
        }
    }
    constexpr auto kOwnerOnly =
        QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
    for (const QString &path : missing) {
        // Another program may make it meanwhile: what counts is that it is there.
        if (!QDir().mkdir(path, kOwnerOnly) && !QFileInfo(path).isDir()) {
            return false;
        }
    }
    return QFileInfo(folder).isDir();
}

bool isPrivateFolder(const QString &folder) {
    struct stat info = {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

}  // namespace zelapp
