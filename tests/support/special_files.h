// Files a reader must refuse, made by the test itself: a FIFO (opening it waits for a writer)
// and a sparse file of any size that costs no disk and no time.
#pragma once

#include <sys/stat.h>

#include <QByteArray>
#include <QFile>
#include <QString>

namespace zeltest {

inline bool makeFifo(const QString &path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}

// A file of `size` bytes, all zero, with no data written.
inline bool makeSparseFile(const QString &path, qint64 size) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.resize(size);
}

}  // namespace zeltest
