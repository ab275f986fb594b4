#include "history/sqlite_file.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace zelapp {

SqliteFile::SqliteFile(const QString &file, bool write) : vfs_(sqlite3_vfs_find(nullptr)) {
    if (vfs_ == nullptr) {
        return;
    }
    // The name as a connection gives it: the layer may look for the journal's names beside it.
    const QByteArray path = file.toUtf8();
    const QByteArray journal = path + "-journal";
    const QByteArray wal = path + "-wal";
    name_ =
        sqlite3_create_filename(path.constData(), journal.constData(), wal.constData(), 0, nullptr);
    handle_ = static_cast<sqlite3_file *>(sqlite3_malloc64(sqlite3_uint64(vfs_->szOsFile)));
    if (name_ == nullptr || handle_ == nullptr) {
        return;
    }
    std::memset(static_cast<void *>(handle_), 0, std::size_t(vfs_->szOsFile));
    int flags = 0;
    open_ =
        vfs_->xOpen(vfs_, name_, handle_,
                    (write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY) | SQLITE_OPEN_MAIN_DB,
                    &flags) == SQLITE_OK;
}

SqliteFile::~SqliteFile() {
    // Set by xOpen even when it failed.
    if (handle_ != nullptr && handle_->pMethods != nullptr) {
        handle_->pMethods->xClose(handle_);
    }
    sqlite3_free(handle_);
    sqlite3_free_filename(name_);
}

std::optional<qint64> SqliteFile::size() {
    sqlite3_int64 size = 0;
    if (!open_ || handle_->pMethods->xFileSize(handle_, &size) != SQLITE_OK) {
        return std::nullopt;
    }
    return size;
}

std::optional<QByteArray> SqliteFile::head(int count) {
    const std::optional<qint64> length = size();
    if (!length) {
        return std::nullopt;
    }
    QByteArray bytes(int(std::min<qint64>(count, *length)), '\0');
    if (bytes.isEmpty()) {
        return bytes;
    }
    if (handle_->pMethods->xRead(handle_, bytes.data(), int(bytes.size()), 0) != SQLITE_OK) {
        return std::nullopt;
    }
    return bytes;
}

bool SqliteFile::sync() {
    return open_ && handle_->pMethods->xSync(handle_, SQLITE_SYNC_FULL) == SQLITE_OK;
}

}  // namespace zelapp
