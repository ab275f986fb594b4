#include "history/sql.h"

#include <sqlite3.h>

namespace zelapp {

StoreFailure storeFailure(int code, const QString &words) {
    const int primary = code & 0xFF;
    // Past the busy timeout: no connection of this program holds the lock that long.
    if (primary == SQLITE_BUSY) {
        return {QStringLiteral("locked by another program"), false, true};
    }
    return {words, primary == SQLITE_CORRUPT || primary == SQLITE_NOTADB};
}

StoreFailure storeFailure(const QSqlError &error) {
    bool numeric = false;
    const int code = error.nativeErrorCode().toInt(&numeric);
    QString cause = error.databaseText().trimmed();
    if (cause.isEmpty()) {
        cause = error.text().trimmed();
    }
    return storeFailure(numeric ? code : 0, cause);
}

StoreFailure notOpenFailure() {
    return {QStringLiteral("the parts history is not open"), false};
}

QString sqlText(const QString &value) {
    return value.isNull() ? QStringLiteral("") : value;
}

std::optional<StoreFailure> prepareSql(QSqlQuery &query, const QString &sql) {
    query.finish();  // forward only is set on a query not active
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        return storeFailure(query.lastError());
    }
    return std::nullopt;
}

std::optional<StoreFailure> runPrepared(QSqlQuery &query, const std::vector<QVariant> &binds) {
    for (int i = 0; i < int(binds.size()); ++i) {
        query.bindValue(i, binds[std::size_t(i)]);
    }
    if (!query.exec()) {
        return storeFailure(query.lastError());
    }
    return std::nullopt;
}

std::optional<StoreFailure> runSql(QSqlQuery &query, const QString &sql,
                                   const std::vector<QVariant> &binds) {
    if (std::optional<StoreFailure> failure = prepareSql(query, sql)) {
        return failure;
    }
    return runPrepared(query, binds);
}

std::optional<StoreFailure> finishRows(QSqlQuery &query) {
    std::optional<StoreFailure> failure;
    if (query.lastError().isValid()) {
        failure = storeFailure(query.lastError());
    }
    query.finish();
    return failure;
}

std::optional<StoreFailure> scalarSql(QSqlQuery &query, const QString &sql,
                                      const std::vector<QVariant> &binds, QVariant *value) {
    *value = QVariant();
    if (std::optional<StoreFailure> failure = runSql(query, sql, binds)) {
        return failure;
    }
    if (query.next()) {
        *value = query.value(0);
    }
    return finishRows(query);
}

WriteTransaction::WriteTransaction(const QSqlDatabase &db)
    : WriteTransaction(db, QStringLiteral("BEGIN IMMEDIATE")) {}

WriteTransaction::WriteTransaction(const QSqlDatabase &db, const QString &begin) : db_(db) {
    QSqlQuery query(db_);
    failure_ = runSql(query, begin);
    open_ = !failure_;
}

WriteTransaction::~WriteTransaction() {
    if (open_) {
        QSqlQuery query(db_);
        runSql(query, QStringLiteral("ROLLBACK"));
    }
}

std::optional<StoreFailure> WriteTransaction::commit() {
    if (!open_) {
        return failure_;
    }
    QSqlQuery query(db_);
    std::optional<StoreFailure> failure = runSql(query, QStringLiteral("COMMIT"));
    open_ = failure.has_value();
    return failure;
}

ReadTransaction::ReadTransaction(const QSqlDatabase &db)
    : WriteTransaction(db, QStringLiteral("BEGIN")) {}

}  // namespace zelapp
