// The local file layer of the DFQ export, in POSIX calls rather than QFile: the causes come
// straight from errno ("No space left on device"), the data and the folder entry are fsync'ed,
// and the rename never replaces a file (a file of the same name may be one the upload service
// has not imported yet).
#include "dfq/dfq_folder.h"

#include <QFile>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelapp {

namespace {

QString causeOf(int error) {
    // std::error_code's message is strerror's text without strerror's shared buffer: the sender
    // runs on a thread of its own.
    return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

QByteArray pathOf(const QString &folder, const QString &name) {
    return QFile::encodeName(name.isEmpty() ? folder : folder + QLatin1Char('/') + name);
}

// Makes the folder's entries (a rename) durable. A file system that cannot sync a folder
// (EINVAL) has nothing more to do.
std::optional<QString> syncFolder(const QString &folder) {
    const int fd = ::open(pathOf(folder, {}).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        return causeOf(errno);
    }
    if (::fsync(fd) != 0 && errno != EINVAL) {
        const int error = errno;
        ::close(fd);
        return causeOf(error);
    }
    ::close(fd);
    return std::nullopt;
}

// Without replacing `to`: renameat2's RENAME_NOREPLACE, else a hard link and an unlink, else
// (a file system without hard links) a rename after looking that `to` is absent.
int renameNoReplace(const QByteArray &from, const QByteArray &to) {
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0) {
        return 0;
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
        return -1;
    }
    if (::link(from.constData(), to.constData()) == 0) {
        ::unlink(from.constData());
        return 0;
    }
    if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS) {
        return -1;
    }
    struct stat status {};
    if (::lstat(to.constData(), &status) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::rename(from.constData(), to.constData());
}

class LocalDfqFolder : public DfqFolder {
  public:
    std::optional<QString> writeFlushed(const QString &folder, const QString &name,
                                        const QByteArray &bytes) override {
        const QByteArray path = pathOf(folder, name);
        // Never O_CREAT of the folder: a missing mount point must not turn into a local folder.
        const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) {
            return causeOf(errno);
        }
        int error = 0;
        for (qsizetype done = 0; done < bytes.size() && error == 0;) {
            const ssize_t n =
                ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
            if (n >= 0) {
                done += n;
            } else if (errno != EINTR) {
                error = errno;
            }
        }
        // A full network share often tells only at fsync or close.
        if (error == 0 && ::fsync(fd) != 0) {
            error = errno;
        }
        if (::close(fd) != 0 && error == 0) {
            error = errno;
        }
        if (error != 0) {
            ::unlink(path.constData());  // no half file left beside the others
            return causeOf(error);
        }
        return std::nullopt;
    }

    bool exists(const QString &folder, const QString &name) override {
        struct stat status {};
        if (::stat(pathOf(folder, name).constData(), &status) != 0) {
            return false;
        }
        return name.isEmpty() ? S_ISDIR(status.st_mode) : true;
    }

    std::optional<QString> rename(const QString &folder, const QString &from,
                                  const QString &to) override {
        if (renameNoReplace(pathOf(folder, from), pathOf(folder, to)) != 0) {
            return causeOf(errno);
        }
        return syncFolder(folder);
    }

    std::optional<QString> remove(const QString &folder, const QString &name) override {
        if (::unlink(pathOf(folder, name).constData()) != 0 && errno != ENOENT) {
            return causeOf(errno);
        }
        return std::nullopt;
    }
};

}  // namespace

std::unique_ptr<DfqFolder> localDfqFolder() {
    return std::make_unique<LocalDfqFolder>();
}

}  // namespace zelapp
