// A history file's bytes reached through SQLite's own file layer (its VFS) instead of a
// descriptor of the program's own. On Linux, closing any descriptor of a file drops every lock
// the process holds on it, SQLite's included; SQLite's layer keeps its descriptor open while
// another connection of the process holds a lock on the file. For what no connection does:
// the header read before a file is opened, the flush of a backup copy.
#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

struct sqlite3_file;
struct sqlite3_vfs;

namespace zelapp {

class SqliteFile {
  public:
    // Opens an existing file, read-only unless `write`; isOpen() says whether it opened.
    explicit SqliteFile(const QString &file, bool write = false);
    ~SqliteFile();
    SqliteFile(const SqliteFile &) = delete;
    SqliteFile &operator=(const SqliteFile &) = delete;

    bool isOpen() const { return open_; }
    // None when it cannot be told.
    std::optional<qint64> size();
    // The first `count` bytes; fewer when the file is shorter; none when the read fails.
    std::optional<QByteArray> head(int count);
    // Flushes the file to the disk.
    bool sync();

  private:
    sqlite3_vfs *vfs_ = nullptr;
    const char *name_ = nullptr;  // sqlite3_filename, held until closed
    sqlite3_file *handle_ = nullptr;
    bool open_ = false;
};

}  // namespace zelapp
