// The reading side of PartStore: pages keyed on id. Every statement is finished before a page
// is handed back, because a reader left open stops WAL checkpoints and the file grows all day.
#include <QJsonArray>
#include <QJsonDocument>
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>
#include <unordered_map>

#include "history/part_schema.h"
#include "history/part_store.h"
#include "history/sql.h"

namespace zelapp {

namespace {

std::optional<double> optionalReal(const QVariant &value) {
    if (value.isNull()) {
        return std::nullopt;
    }
    return value.toDouble();
}

}  // namespace

std::optional<StoreFailure> PartStore::addFilter(const PartFilter &filter, QStringList &conditions,
                                                 std::vector<QVariant> &binds, bool numberByIndex) {
    if (filter.since) {
        conditions << QStringLiteral("time_ms >= ?");
        binds.emplace_back(filter.since->toMSecsSinceEpoch());
    }
    if (filter.until) {
        conditions << QStringLiteral("time_ms < ?");
        binds.emplace_back(filter.until->toMSecsSinceEpoch());
    }
    // "+" keeps the column off its index.
    const QString column =
        numberByIndex ? QStringLiteral("part_number") : QStringLiteral("+part_number");
    if (!filter.number.isEmpty()) {
        conditions << column + QStringLiteral(" = ?");
        binds.emplace_back(filter.number);
    }
    if (!filter.numberPrefix.isEmpty()) {
        // SQLite folds only A-Z (lower(), LIKE): the few numbers recorded are matched here, with
        // Qt's full case folding, and the rows selected by the numbers found.
        QStringList numbers;
        if (std::optional<StoreFailure> failure = partNumbers(&numbers)) {
            return failure;
        }
        QJsonArray matching;
        for (const QString &number : numbers) {
            if (number.startsWith(filter.numberPrefix, Qt::CaseInsensitive)) {
                matching.append(number);
            }
        }
        conditions << column + QStringLiteral(" IN (SELECT value FROM json_each(?))");
        binds.emplace_back(
            QString::fromUtf8(QJsonDocument(matching).toJson(QJsonDocument::Compact)));
    }
    if (!filter.verdict.isEmpty()) {
        conditions << QStringLiteral("verdict = ?");
        binds.emplace_back(filter.verdict);
    }
    return std::nullopt;
}

std::optional<StoreFailure> PartStore::partNumbers(QStringList *numbers) {
    numbers->clear();
    if (!open_) {
        return notOpenFailure();
    }
    // One step along the (part_number, serial) index per number, not a pass over every part;
    // within one number the highest serial is its newest part.
    QSqlQuery query(db_);
    if (auto failure = runSql(
            query,
            QStringLiteral("WITH RECURSIVE numbers(number) AS ("
                           " SELECT MIN(part_number) FROM parts"
                           " UNION ALL SELECT (SELECT MIN(part_number) FROM parts"
                           "  WHERE part_number > number) FROM numbers WHERE number IS NOT NULL)"
                           " SELECT number FROM numbers WHERE number IS NOT NULL"
                           " ORDER BY (SELECT id FROM parts WHERE part_number = number"
                           "  ORDER BY serial DESC LIMIT 1) DESC"))) {
        return failure;
    }
    while (query.next()) {
        *numbers << query.value(0).toString();
    }
    if (auto failure = finishRows(query)) {
        numbers->clear();
        return failure;
    }
    return std::nullopt;
}

PartPage PartStore::newestBefore(qint64 beforeId, int limit, const PartFilter &filter) {
    if (beforeId <= 0) {
        return readParts({}, {}, limit, filter, true);
    }
    return readParts(QStringLiteral("id < ?"), {beforeId}, limit, filter, true);
}

std::optional<qint64> PartStore::lastSerial(const QString &number) {
    if (!open_) {
        return std::nullopt;
    }
    QSqlQuery query(db_);
    QVariant serial;
    if (scalarSql(
            query,
            QStringLiteral("SELECT COALESCE(MAX(serial), 0) FROM parts WHERE part_number = ?"),
            {sqlText(number)}, &serial)) {
        return std::nullopt;
    }
    return serial.toLongLong();
}

PartPage PartStore::range(qint64 fromId, qint64 toId, int limit, const PartFilter &filter) {
    return readParts(QStringLiteral("id BETWEEN ? AND ?"), {fromId, toId}, limit, filter, false);
}

PartPage PartStore::partsWithIds(const std::vector<qint64> &ids) {
    if (ids.empty()) {
        return {};
    }
    QStringList list;
    for (const qint64 id : ids) {
        list << QString::number(id);  // numbers, not text: safe inline
    }
    return readParts(QStringLiteral("id IN (%1)").arg(list.join(QLatin1Char(','))), {},
                     int(ids.size()), {}, false);
}

PartPage PartStore::readParts(const QString &where, const std::vector<QVariant> &bindings,
                              int limit, const PartFilter &filter, bool newestFirst) {
    PartPage page;
    if (!open_) {
        page.failure = notOpenFailure();
        return page;
    }
    QStringList conditions;
    std::vector<QVariant> binds = bindings;
    if (!where.isEmpty()) {
        conditions << where;
    }
    // A page from an id on walks the ids, the part number kept off its index: it costs its own
    // rows (and the other numbers' between them), where the index would pass over all of the
    // number's parts for each page. Without an id, a number's first page comes straight from
    // the (part_number, serial) index: within one number the serials rise with the ids.
    // Several numbers (a prefix) have no common serial: along the ids.
    const bool byId = !where.isEmpty() || filter.number.isEmpty() || !filter.numberPrefix.isEmpty();
    if ((page.failure = addFilter(filter, conditions, binds, !byId))) {
        return page;
    }
    QString sql = QStringLiteral(
        "SELECT id, time_ms, utc_offset, station, setup_file, revision_id, part_number,"
        " description, serial, verdict, reason, completed, part_id FROM parts");
    if (!conditions.isEmpty()) {
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    const QString order = byId ? QStringLiteral("id") : QStringLiteral("serial");
    sql +=
        QStringLiteral(" ORDER BY ") + order + (newestFirst ? QStringLiteral(" DESC") : QString());
    sql += QStringLiteral(" LIMIT ?");
    binds.emplace_back(qMax(0, limit));

    QSqlQuery query(db_);
    if ((page.failure = runSql(query, sql, binds))) {
        return page;
    }
    while (query.next()) {
        StoredPart part;
        part.id = query.value(0).toLongLong();
        part.time = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::OffsetFromUTC,
                                                   query.value(2).toInt());
        part.station = query.value(3).toString();
        part.setupFile = query.value(4).toString();
        part.revision = query.value(5).toLongLong();
        part.number = query.value(6).toString();
        part.description = query.value(7).toString();
        part.serial = query.value(8).toLongLong();
        part.verdict = query.value(9).toString();
        part.reason = query.value(10).toString();
        part.completed = query.value(11).toInt() != 0;
        part.partId = query.value(12).toString();
        page.parts.push_back(std::move(part));
    }
    page.failure = finishRows(query);
    if (!page.failure) {
        page.failure = readValues(page.parts);
    }
    if (page.failure) {
        page.parts.clear();
    }
    return page;
}

std::optional<StoreFailure> PartStore::readValues(std::vector<StoredPart> &parts) {
    if (parts.empty()) {
        return std::nullopt;
    }
    std::unordered_map<qint64, std::size_t> byId;
    QStringList ids;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        byId.emplace(parts[i].id, i);
        ids << QString::number(parts[i].id);  // whole numbers read from the file: safe inline
    }
    QSqlQuery query(db_);
    if (auto failure =
            runSql(query, QStringLiteral("SELECT part_id, channel, value, verdict, reason"
                                         " FROM part_values WHERE part_id IN (%1)"
                                         " ORDER BY part_id, position")
                              .arg(ids.join(QLatin1Char(','))))) {
        return failure;
    }
    while (query.next()) {
        const auto part = byId.find(query.value(0).toLongLong());
        if (part == byId.end()) {
            continue;
        }
        parts[part->second].values.push_back({query.value(1).toInt(), optionalReal(query.value(2)),
                                              query.value(3).toString(),
                                              query.value(4).toString()});
    }
    return finishRows(query);
}

std::vector<RevisionCharacteristic> PartStore::revision(qint64 id,
                                                        std::optional<StoreFailure> *failure) {
    std::vector<RevisionCharacteristic> characteristics;
    if (!open_) {
        *failure = notOpenFailure();
        return characteristics;
    }
    QSqlQuery query(db_);
    if (auto error = runSql(
            query,
            QStringLiteral(
                "SELECT channel, description, formula, decimals, units, lo_tol, lo_appr, hi_appr,"
                " hi_tol, %1 FROM revision_characteristics WHERE revision_id = ? ORDER BY position")
                .arg(schemaVersion_ >= 2 ? QStringLiteral("nominal, sides")
                                         : QStringLiteral("'', ''")),
            {id})) {
        *failure = error;
        return characteristics;
    }
    while (query.next()) {
        characteristics.push_back(
            {query.value(0).toInt(), query.value(1).toString(), query.value(2).toString(),
             query.value(3).toInt(), query.value(4).toString(),
             ToleranceLimits{query.value(5).toFloat(), query.value(6).toFloat(),
                             query.value(7).toFloat(), query.value(8).toFloat()},
             query.value(9).toString(), sidesOf(query.value(10).toString())});
    }
    if (auto error = finishRows(query)) {  // a damaged page part way through
        *failure = error;
        characteristics.clear();
    }
    return characteristics;
}

PartSummary PartStore::summarize(const PartFilter &filter) {
    PartSummary summary;
    if (!open_) {
        summary.failure = notOpenFailure();
        return summary;
    }
    QStringList conditions;
    std::vector<QVariant> binds;
    if ((summary.failure = addFilter(filter, conditions, binds, true))) {
        return summary;
    }
    QString sql = QStringLiteral("SELECT revision_id, COUNT(*), MIN(id), MAX(id) FROM parts");
    if (!conditions.isEmpty()) {
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    sql += QStringLiteral(" GROUP BY revision_id ORDER BY MAX(id) DESC");
    QSqlQuery query(db_);
    if ((summary.failure = runSql(query, sql, binds))) {
        return summary;
    }
    while (query.next()) {
        const qint64 first = query.value(2).toLongLong();
        const qint64 last = query.value(3).toLongLong();
        summary.count += query.value(1).toLongLong();
        summary.firstId = summary.firstId == 0 ? first : qMin(summary.firstId, first);
        summary.lastId = qMax(summary.lastId, last);
        summary.revisions.push_back({query.value(0).toLongLong(), last});
    }
    if (std::optional<StoreFailure> failure = finishRows(query)) {
        summary = PartSummary{};
        summary.failure = failure;
    }
    return summary;
}

std::optional<StoreFailure> PartStore::copyInto(const QString &file) {
    if (!open_) {
        return notOpenFailure();
    }
    QSqlQuery query(db_);
    std::optional<StoreFailure> failure = runSql(query, QStringLiteral("VACUUM INTO ?"), {file});
    query.finish();
    return failure;
}

}  // namespace zelapp
