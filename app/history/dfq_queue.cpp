#include "history/dfq_queue.h"

#include <QSqlQuery>
#include <QVariant>

#include "history/part_store.h"
#include "history/sql.h"

namespace zelapp {

std::vector<ExportEntry> DfqQueue::pendingExports(int limit, std::optional<StoreFailure> *failure,
                                                  qint64 afterId) {
    std::vector<ExportEntry> entries;
    if (!store_.isOpen()) {
        *failure = notOpenFailure();
        return entries;
    }
    if (store_.schemaVersion() < 2) {  // an older file read as it is: nothing was ever queued
        return entries;
    }
    QSqlQuery query(store_.connection());
    if (auto error =
            runSql(query,
                   QStringLiteral("SELECT part_id, folder, temp_name FROM dfq_exports"
                                  " WHERE done = 0 AND part_id > ? ORDER BY part_id LIMIT ?"),
                   {afterId, qMax(0, limit)})) {
        *failure = error;
        return entries;
    }
    while (query.next()) {
        entries.push_back(
            {query.value(0).toLongLong(), query.value(1).toString(), query.value(2).toString()});
    }
    if (auto error = finishRows(query)) {
        *failure = error;
        entries.clear();
    }
    return entries;
}

qint64 DfqQueue::pendingExportCount(std::optional<StoreFailure> *failure) {
    if (!store_.isOpen()) {
        *failure = notOpenFailure();
        return 0;
    }
    if (store_.schemaVersion() < 2) {
        return 0;
    }
    QSqlQuery query(store_.connection());
    QVariant count;
    if (auto error = scalarSql(
            query, QStringLiteral("SELECT COUNT(*) FROM dfq_exports WHERE done = 0"), {}, &count)) {
        *failure = error;
        return 0;
    }
    return count.toLongLong();
}

std::optional<StoreFailure> DfqQueue::markExportWritten(const std::vector<qint64> &partIds,
                                                        const QString &tempName) {
    return updateEach(QStringLiteral("UPDATE dfq_exports SET temp_name = ? WHERE part_id = ?"),
                      {sqlText(tempName)}, partIds);
}

std::optional<StoreFailure> DfqQueue::markExportDone(const std::vector<qint64> &partIds) {
    return updateEach(QStringLiteral("UPDATE dfq_exports SET done = 1 WHERE part_id = ?"), {},
                      partIds);
}

std::optional<StoreFailure> DfqQueue::updateEach(const QString &sql,
                                                 const std::vector<QVariant> &binds,
                                                 const std::vector<qint64> &ids) {
    if (!store_.isOpen()) {
        return notOpenFailure();
    }
    if (store_.schemaVersion() < 2) {
        return StoreFailure{QStringLiteral("the parts history has no export queue"), false};
    }
    WriteTransaction transaction(store_.connection());
    if (transaction.failure()) {
        return transaction.failure();
    }
    QSqlQuery query(store_.connection());
    if (auto failure = prepareSql(query, sql)) {
        return failure;
    }
    std::vector<QVariant> row = binds;
    row.emplace_back();
    for (const qint64 id : ids) {
        row.back() = id;
        if (auto failure = runPrepared(query, row)) {
            return failure;
        }
    }
    query.finish();
    return transaction.commit();
}

}  // namespace zelapp
