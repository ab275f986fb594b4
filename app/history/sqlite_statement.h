// A statement run straight on SQLite under a Qt SQL connection's own handle: the reads of a
// million rows, where a QVariant for every column of every row is most of the time. It sees
// what the connection sees (its transaction, its busy timeout) and must be finished before the
// connection is used through Qt SQL again.
#pragma once

#include <QSqlDatabase>
#include <QString>
#include <optional>

#include "history/store_failure.h"

struct sqlite3;
struct sqlite3_stmt;

namespace zelapp {

class SqliteStatement {
  public:
    // A connection whose driver is not SQLite leaves the statement failed.
    SqliteStatement(const QSqlDatabase &db, const QString &sql);
    ~SqliteStatement();
    SqliteStatement(const SqliteStatement &) = delete;
    SqliteStatement &operator=(const SqliteStatement &) = delete;

    // Parameters count from 1, as in the SQL's order of "?".
    void bind(int index, qint64 value);
    void bind(int index, const QString &value);

    // The next row; false at the end or on a failure.
    bool next();
    // Columns count from 0.
    qint64 integer(int column) const;
    std::optional<double> real(int column) const;  // none: NULL

    const std::optional<StoreFailure> &failure() const { return failure_; }

  private:
    void fail();

    sqlite3 *db_ = nullptr;
    sqlite3_stmt *statement_ = nullptr;
    std::optional<StoreFailure> failure_;
};

}  // namespace zelapp
