// The writing side of PartStore: one part, its revision, its values and its DFQ queue entry in
// one transaction.
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>

#include "history/part_schema.h"
#include "history/part_store.h"
#include "history/sql.h"

namespace zelapp {

namespace {

// The id of the revision that judged the part, stored now when it is new.
std::optional<StoreFailure> revisionIdFor(QSqlQuery &query,
                                          const std::vector<RevisionCharacteristic> &revision,
                                          qint64 *id) {
    const QByteArray fingerprint = revisionFingerprint(revision);
    QVariant found;
    if (auto failure =
            scalarSql(query, QStringLiteral("SELECT id FROM revisions WHERE fingerprint = ?"),
                      {fingerprint}, &found)) {
        return failure;
    }
    *id = found.toLongLong();
    if (*id != 0) {
        return std::nullopt;
    }
    if (auto failure =
            runSql(query, QStringLiteral("INSERT INTO revisions (fingerprint) VALUES (?)"),
                   {fingerprint})) {
        return failure;
    }
    *id = query.lastInsertId().toLongLong();
    if (auto failure = prepareSql(
            query,
            QStringLiteral(
                "INSERT INTO revision_characteristics (revision_id, position, channel, description,"
                " formula, decimals, units, lo_tol, lo_appr, hi_appr, hi_tol, nominal, sides)"
                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        return failure;
    }
    for (std::size_t i = 0; i < revision.size(); ++i) {
        const RevisionCharacteristic &c = revision[i];
        if (auto failure = runPrepared(
                query, {*id, qint64(i), c.channel, sqlText(c.description), sqlText(c.formula),
                        c.decimals, sqlText(c.units), double(c.limits.loTol),
                        double(c.limits.loAppr), double(c.limits.hiAppr), double(c.limits.hiTol),
                        sqlText(c.nominal), sidesText(c.sides)})) {
            return failure;
        }
    }
    return std::nullopt;
}

// The highest serial of the part's number plus one, never below `leastSerial`.
std::optional<StoreFailure> nextSerial(QSqlQuery &query, const QString &number, qint64 leastSerial,
                                       qint64 *serial) {
    QVariant next;
    if (auto failure = scalarSql(query,
                                 QStringLiteral("SELECT COALESCE(MAX(serial), 0) + 1 FROM parts"
                                                " WHERE part_number = ?"),
                                 {sqlText(number)}, &next)) {
        return failure;
    }
    *serial = std::max(next.toLongLong(), leastSerial);
    return std::nullopt;
}

std::optional<StoreFailure> insertPart(QSqlQuery &query, const PartResult &part,
                                       const SetupSnapshot &setup, qint64 revisionId,
                                       Appended &appended) {
    const QDateTime when = part.ended.isValid()     ? part.ended
                           : part.started.isValid() ? part.started
                                                    : QDateTime::currentDateTime();
    if (auto failure =
            runSql(query,
                   QStringLiteral(
                       "INSERT INTO parts (time_ms, utc_offset, station, setup_file, revision_id,"
                       " part_number, description, serial, verdict, reason, completed, part_id)"
                       " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                   {when.toMSecsSinceEpoch(), when.offsetFromUtc(), sqlText(setup.station),
                    sqlText(setup.setupFile), revisionId, sqlText(part.number),
                    sqlText(part.description), appended.serial, verdictCode(part.verdict),
                    sqlText(part.reason), part.completed ? 1 : 0, sqlText(part.id)})) {
        return failure;
    }
    appended.id = query.lastInsertId().toLongLong();
    return std::nullopt;
}

std::optional<StoreFailure> insertValues(QSqlQuery &query, qint64 partId,
                                         const std::vector<CharacteristicResult> &values) {
    if (auto failure = prepareSql(query, QStringLiteral("INSERT INTO part_values (part_id,"
                                                        " position, channel, value, verdict,"
                                                        " reason) VALUES (?, ?, ?, ?, ?, ?)"))) {
        return failure;
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
        const CharacteristicResult &c = values[i];
        // The value as captured, not as shown: a float is exact in a double.
        const QVariant value =
            c.value ? QVariant(double(*c.value)) : QVariant(QMetaType(QMetaType::Double));
        if (auto failure = runPrepared(query, {partId, qint64(i), c.channel, value,
                                               verdictCode(c.verdict), sqlText(c.reason)})) {
            return failure;
        }
    }
    return std::nullopt;
}

// Queued with the part: a part measured while a folder is set is never missed by the export.
std::optional<StoreFailure> queueForDfq(QSqlQuery &query, qint64 partId, const QString &folder) {
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return runSql(query, QStringLiteral("INSERT INTO dfq_exports (part_id, folder) VALUES (?, ?)"),
                  {partId, folder});
}

}  // namespace

Appended PartStore::append(const PartResult &part, const SetupSnapshot &setup, qint64 leastSerial) {
    Appended appended;
    if (replaced()) {
        reopen(appended);
    }
    if (!open_) {
        appended.failure = openFailure_.value_or(notOpenFailure());
        return appended;
    }
    if ((appended.failure = record(part, setup, leastSerial, appended))) {
        appended.id = appended.serial = 0;
        if (appended.failure->busy) {
            setHeld(true);
        }
        return appended;
    }
    setHeld(false);
    return appended;
}

std::optional<StoreFailure> PartStore::record(const PartResult &part, const SetupSnapshot &setup,
                                              qint64 leastSerial, Appended &appended) {
    WriteTransaction transaction(db_);
    if (transaction.failure()) {
        return transaction.failure();
    }
    QSqlQuery query(db_);  // finished before the transaction ends
    qint64 revisionId = 0;
    if (auto failure = revisionIdFor(query, revisionOf(part, setup), &revisionId)) {
        return failure;
    }
    if (auto failure = nextSerial(query, part.number, leastSerial, &appended.serial)) {
        return failure;
    }
    if (auto failure = insertPart(query, part, setup, revisionId, appended)) {
        return failure;
    }
    if (auto failure = insertValues(query, appended.id, part.characteristics)) {
        return failure;
    }
    if (auto failure = queueForDfq(query, appended.id, setup.dfqFolder)) {
        return failure;
    }
    query.finish();
    if (commitHook_) {
        commitHook_();
    }
    return transaction.commit();
}

}  // namespace zelapp
