// Files a reader must refuse, made by the test itself: a FIFO (opening it waits for a writer),
// a listening socket, and a sparse file of any size that costs no disk and no time.
#pragma once

#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstring>

namespace zeltest {

inline bool makeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A socket bound to `path`; the name stays after the descriptor is closed.
inline bool makeSocketFile(const QString &path) {
    const QByteArray name = QFile::encodeName(path);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (name.size() >= static_cast<qsizetype>(sizeof(address.sun_path))) {
        return false;
    }
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address) == 0;
    if (fd >= 0) {
        ::close(fd);
    }
    return bound;
}

// A file of `size` bytes, all zero, with no data written.
inline bool makeSparseFile(const QString &path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

}  // namespace zeltest
