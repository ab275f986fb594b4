// The DFQ export queue of PartStore: which parts wait for their folder, and the two steps that
// make a file's parts sent (written under a temporary name, then done).
#include <QSqlQuery>
#include <QVariant>

#include "history/part_schema.h"
#include "history/part_store.h"

namespace zelapp {

namespace {

StoreFailure notOpen() {
    return {QStringLiteral("the parts history is not open"), false};
}

}  // namespace

std::vector<ExportEntry> PartStore::pendingExports(int limit, std::optional<StoreFailure> *failure,
                                                   qint64 afterId) {
    std::vector<ExportEntry> entries;
    if (!open_) {
        *failure = notOpen();
        return entries;
    }
    if (schemaVersion_ < 2) {  // an older file read as it is: nothing was ever queued
        return entries;
    }
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(
            QStringLiteral("SELECT part_id, folder, temp_name FROM dfq_exports"
                           " WHERE done = 0 AND part_id > ? ORDER BY part_id LIMIT ?"))) {
        *failure = storeFailure(query.lastError());
        return entries;
    }
    query.addBindValue(afterId);
    query.addBindValue(qMax(0, limit));
    if (!query.exec()) {
        *failure = storeFailure(query.lastError());
        return entries;
    }
    while (query.next()) {
        entries.push_back(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    }
    if (query.lastError().isValid()) {
        *failure = storeFailure(query.lastError());
        entries.clear();
    }
    query.finish();
    return entries;
}

qint64 PartStore::pendingExportCount(std::optional<StoreFailure> *failure) {
    if (!open_) {
        *failure = notOpen();
        return 0;
    }
    if (schemaVersion_ < 2) {
        return 0;
    }
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.exec(QStringLiteral("SELECT COUNT(*) FROM dfq_exports WHERE done = 0")) ||
        !query.next()) {
        *failure = storeFailure(query.lastError());
        return 0;
    }
    const qint64 count = query.value(0).toLongLong();
    query.finish();
    return count;
}

std::optional<StoreFailure> PartStore::markExportWritten(const std::vector<qint64> &partIds,
                                                         const QString &tempName) {
    return updateEach(QStringLiteral("UPDATE dfq_exports SET temp_name = ? WHERE part_id = ?"),
                      {tempName.isNull() ? QStringLiteral("") : tempName}, partIds);
}

std::optional<StoreFailure> PartStore::markExportDone(const std::vector<qint64> &partIds) {
    return updateEach(QStringLiteral("UPDATE dfq_exports SET done = 1 WHERE part_id = ?"), {},
                      partIds);
}

std::optional<StoreFailure> PartStore::updateEach(const QString &sql,
                                                  const std::vector<QVariant> &binds,
                                                  const std::vector<qint64> &ids) {
    if (!open_) {
        return notOpen();
    }
    if (schemaVersion_ < 2) {
        return StoreFailure{QStringLiteral("the parts history has no export queue"), false};
    }
    QSqlQuery query(db_);
    return inWriteTransaction(query, [&]() {
        if (!query.prepare(sql)) {
            return false;
        }
        for (const qint64 id : ids) {
            int position = 0;
            for (const QVariant &value : binds) {
                query.bindValue(position++, value);
            }
            query.bindValue(position, id);
            if (!query.exec()) {
                return false;
            }
        }
        return true;
    });
}

}  // namespace zelapp
