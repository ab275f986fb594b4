#include "history/network_folder.h"

#include <sys/vfs.h>

#include <QDir>
#include <QFileInfo>

namespace zelapp {

QString networkFileSystemName(unsigned long type) {
    // The kernel's magic numbers (linux/magic.h and the file systems' own headers).
    switch (type) {
        case 0x6969UL:
            return QStringLiteral("NFS");
        case 0x517BUL:
            return QStringLiteral("SMB");
        case 0xFF534D42UL:
            return QStringLiteral("CIFS");
        case 0xFE534D42UL:
            return QStringLiteral("SMB2");
        case 0x564CUL:
            return QStringLiteral("NCP");
        case 0x73757245UL:
            return QStringLiteral("Coda");
        case 0x5346414FUL:
        case 0x6B414653UL:
            return QStringLiteral("AFS");
        case 0x01021997UL:
            return QStringLiteral("9P");
        case 0x00C36400UL:
            return QStringLiteral("Ceph");
        case 0x0BD00BD0UL:
            return QStringLiteral("Lustre");
        case 0x47504653UL:
            return QStringLiteral("GPFS");
        default:
            return {};
    }
}

QString networkFileSystemOf(const QString &folder) {
    QString path = QFileInfo(folder).absoluteFilePath();
    while (!QFileInfo::exists(path)) {
        const QString parent = QFileInfo(path).path();
        if (parent == path) {
            return {};
        }
        path = parent;
    }
    struct statfs info {};
    if (::statfs(QFile::encodeName(path).constData(), &info) != 0) {
        return {};
    }
    return networkFileSystemName(static_cast<unsigned long>(info.f_type));
}

}  // namespace zelapp
