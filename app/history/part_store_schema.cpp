// The schema side of PartStore: the connection's settings, the file's meta rows checked, the
// tables of a new file made and an older file brought up to date.
#include <QDateTime>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>

#include "history/part_schema.h"
#include "history/part_store.h"
#include "history/sql.h"

namespace zelapp {

namespace {

QString metaValue(QSqlQuery &query, const QString &key, std::optional<StoreFailure> *failure) {
    QVariant value;
    *failure =
        scalarSql(query, QStringLiteral("SELECT value FROM meta WHERE key = ?"), {key}, &value);
    return value.toString();
}

}  // namespace

std::optional<StoreFailure> PartStore::setUp(const OpenOptions &options, bool *created) {
    QSqlQuery query(db_);
    if (!options.readOnly) {
        if (auto failure = runSql(query, QStringLiteral("PRAGMA journal_mode=WAL"))) {
            return failure;
        }
        if (!query.next() || query.value(0).toString() != QStringLiteral("wal")) {
            return StoreFailure{QStringLiteral("the file cannot be kept in WAL mode")};
        }
        query.finish();
    }
    // Both hold for this connection only: every connection that writes sets them.
    for (const QString &pragma : {options.fullSync ? QStringLiteral("PRAGMA synchronous=FULL")
                                                   : QStringLiteral("PRAGMA synchronous=NORMAL"),
                                  QStringLiteral("PRAGMA foreign_keys=ON")}) {
        if (auto failure = runSql(query, pragma)) {
            return failure;
        }
    }
    // A file of this schema is only read: it opens at once while another program holds the
    // write lock, and the parts wait for that in their own commits.
    bool empty = false;
    {
        const ReadTransaction snapshot(db_);
        if (snapshot.failure()) {
            return snapshot.failure();
        }
        if (auto failure = checkMeta(&empty)) {
            return failure;
        }
    }
    if (empty && options.readOnly) {
        return StoreFailure{QStringLiteral("not a parts history")};
    }
    if (options.readOnly || (!empty && schemaVersion_ == kSchemaVersion)) {
        return std::nullopt;
    }
    return createOrUpgrade(created);
}

std::optional<StoreFailure> PartStore::checkMeta(bool *empty) {
    QSqlQuery query(db_);
    QVariant tables;
    if (auto failure =
            scalarSql(query, QStringLiteral("SELECT count(*) FROM sqlite_master"), {}, &tables)) {
        return failure;
    }
    *empty = tables.toLongLong() == 0;
    if (*empty) {
        return std::nullopt;
    }
    std::optional<StoreFailure> failure;
    uuid_ = metaValue(query, QStringLiteral("uuid"), &failure);
    const QString version =
        failure ? QString() : metaValue(query, QStringLiteral("schema_version"), &failure);
    if (failure && failure->cause.contains(QStringLiteral("no such table"))) {
        failure = StoreFailure{QStringLiteral("not a parts history")};
    }
    if (!failure && (uuid_.isEmpty() || version.toInt() < 1)) {
        failure = StoreFailure{QStringLiteral("not a parts history")};
    }
    if (!failure && version.toInt() > kSchemaVersion) {
        failure =
            StoreFailure{QStringLiteral("written by a newer program (schema %1)").arg(version)};
    }
    schemaVersion_ = failure ? 0 : version.toInt();
    return failure;
}

// Under the write lock taken at once, so that two programs starting on a new file do not both
// create it; the meta rows are read again inside it.
std::optional<StoreFailure> PartStore::createOrUpgrade(bool *created) {
    WriteTransaction transaction(db_);
    if (transaction.failure()) {
        return transaction.failure();
    }
    QSqlQuery query(db_);
    bool empty = false;
    if (auto failure = checkMeta(&empty)) {
        return failure;
    }
    if (empty) {
        if (auto failure = createSchema(query)) {
            return failure;
        }
        *created = true;
        if (auto failure = checkMeta(&empty)) {
            return failure;
        }
    }
    if (schemaVersion_ < kSchemaVersion) {
        if (auto failure = upgrade(query)) {
            return failure;
        }
    }
    query.finish();
    return transaction.commit();
}

std::optional<StoreFailure> PartStore::createSchema(QSqlQuery &query) {
    for (const QString &statement : partSchemaStatements()) {
        if (auto failure = runSql(query, statement)) {
            return failure;
        }
    }
    const std::pair<QString, QString> rows[] = {
        {QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces)},
        {QStringLiteral("schema_version"), QString::number(kSchemaVersion)},
        {QStringLiteral("created"), QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
    for (const auto &[key, value] : rows) {
        if (auto failure =
                runSql(query, QStringLiteral("INSERT INTO meta (key, value) VALUES (?, ?)"),
                       {key, value})) {
            return failure;
        }
    }
    return std::nullopt;
}

std::optional<StoreFailure> PartStore::upgrade(QSqlQuery &query) {
    for (const QString &statement : schemaUpgradeStatements(schemaVersion_)) {
        if (auto failure = runSql(query, statement)) {
            return failure;
        }
    }
    if (auto failure =
            runSql(query, QStringLiteral("UPDATE meta SET value = ? WHERE key = 'schema_version'"),
                   {QString::number(kSchemaVersion)})) {
        return failure;
    }
    schemaVersion_ = kSchemaVersion;
    return std::nullopt;
}

}  // namespace zelapp
