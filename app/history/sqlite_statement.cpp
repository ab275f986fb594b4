#include "history/sqlite_statement.h"

#include <sqlite3.h>

#include <QSqlDriver>
#include <QVariant>
#include <cstring>

#include "history/sql.h"

namespace zelapp {

SqliteStatement::SqliteStatement(const QSqlDatabase &db, const QString &sql) {
    // Qt's SQLite driver hands out its sqlite3* under this type name.
    const QVariant handle = db.driver() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || std::strcmp(handle.typeName(), "sqlite3*") != 0) {
        failure_ = StoreFailure{QStringLiteral("the parts history is not an SQLite connection")};
        return;
    }
    db_ = *static_cast<sqlite3 *const *>(handle.constData());
    if (db_ == nullptr) {
        failure_ = StoreFailure{QStringLiteral("the parts history is not open")};
        return;
    }
    const QByteArray text = sql.toUtf8();
    if (sqlite3_prepare_v2(db_, text.constData(), int(text.size()), &statement_, nullptr) !=
        SQLITE_OK) {
        fail();
    }
}

SqliteStatement::~SqliteStatement() {
    sqlite3_finalize(statement_);
}

void SqliteStatement::bind(int index, qint64 value) {
    if (statement_ && !failure_ && sqlite3_bind_int64(statement_, index, value) != SQLITE_OK) {
        fail();
    }
}

void SqliteStatement::bind(int index, const QString &value) {
    const QByteArray text = value.toUtf8();
    if (statement_ && !failure_ &&
        sqlite3_bind_text(statement_, index, text.constData(), int(text.size()),
                          SQLITE_TRANSIENT) != SQLITE_OK) {
        fail();
    }
}

bool SqliteStatement::next() {
    if (!statement_ || failure_) {
        return false;
    }
    const int step = sqlite3_step(statement_);
    if (step == SQLITE_ROW) {
        return true;
    }
    if (step != SQLITE_DONE) {
        fail();
    }
    return false;
}

qint64 SqliteStatement::integer(int column) const {
    return sqlite3_column_int64(statement_, column);
}

std::optional<double> SqliteStatement::real(int column) const {
    if (sqlite3_column_type(statement_, column) == SQLITE_NULL) {
        return std::nullopt;
    }
    return sqlite3_column_double(statement_, column);
}

void SqliteStatement::fail() {
    failure_ = storeFailure(sqlite3_extended_errcode(db_), QString::fromUtf8(sqlite3_errmsg(db_)));
}

}  // namespace zelapp
