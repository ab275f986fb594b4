// The one way the parts history runs a Qt SQL statement and a transaction: every failure comes
// back as the store's StoreFailure, every write transaction rolls back unless committed. The
// largest reads go straight to SQLite instead (history/sqlite_statement.h).
#pragma once

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <optional>
#include <vector>

#include "history/store_failure.h"

namespace zelapp {

// SQLite's words for an error, and whether they say the file is damaged (SQLITE_CORRUPT,
// SQLITE_NOTADB) or held by another program (SQLITE_BUSY: "locked by another program").
StoreFailure storeFailure(const QSqlError &error);
// The same from SQLite's result code and its message.
StoreFailure storeFailure(int code, const QString &words);
// A call on a store whose file is not open.
StoreFailure notOpenFailure();

// A null QString binds as SQL NULL; the text columns are NOT NULL and hold '' for "none".
QString sqlText(const QString &value);

// Prepares `sql` on `query`, forward only: rows are read once, in order.
std::optional<StoreFailure> prepareSql(QSqlQuery &query, const QString &sql);
// Binds `binds` to the statement prepared on `query`, in order, and runs it.
std::optional<StoreFailure> runPrepared(QSqlQuery &query, const std::vector<QVariant> &binds = {});
// Prepares, binds and runs; the rows are then read with query.next() and closed by finishRows().
std::optional<StoreFailure> runSql(QSqlQuery &query, const QString &sql,
                                   const std::vector<QVariant> &binds = {});
// Finishes the rows read: the failure one of them met (a damaged page part way through), if any.
std::optional<StoreFailure> finishRows(QSqlQuery &query);
// Runs `sql` and puts the first column of its first row in `value` (a null QVariant when there is
// no row), then finishes it.
std::optional<StoreFailure> scalarSql(QSqlQuery &query, const QString &sql,
                                      const std::vector<QVariant> &binds, QVariant *value);

// A write transaction: BEGIN IMMEDIATE on construction, so that a file another program holds
// fails here, within the busy timeout, before any work. Rolled back when it goes out of scope
// unless commit() succeeded. Statements of the transaction must be finished before it ends.
class WriteTransaction {
  public:
    explicit WriteTransaction(const QSqlDatabase &db);
    ~WriteTransaction();
    WriteTransaction(const WriteTransaction &) = delete;
    WriteTransaction &operator=(const WriteTransaction &) = delete;

    // Why the transaction could not begin; none: it is open.
    const std::optional<StoreFailure> &failure() const { return failure_; }
    // Commits; on a failure the transaction stays open and rolls back at the end of its scope.
    std::optional<StoreFailure> commit();

  protected:
    WriteTransaction(const QSqlDatabase &db, const QString &begin);

  private:
    QSqlDatabase db_;
    std::optional<StoreFailure> failure_;
    bool open_ = false;
};

// Several reads that see one snapshot of the file: BEGIN (deferred, taking no write lock),
// always rolled back.
class ReadTransaction : private WriteTransaction {
  public:
    explicit ReadTransaction(const QSqlDatabase &db);
    using WriteTransaction::failure;
};

}  // namespace zelapp
