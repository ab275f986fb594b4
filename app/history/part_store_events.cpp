// The statistics' side of PartStore: the events the operator records about a characteristic,
// and one characteristic's values over many parts, read in one statement.
#include <QSqlQuery>
#include <QStringList>
#include <QVariant>

#include "history/part_schema.h"
#include "history/part_store.h"

namespace zelapp {

namespace {

StoreFailure notOpen() {
    return {QStringLiteral("the parts history is not open"), false};
}

// Empty text, never a null one: the columns are NOT NULL.
QString text(const QString &value) {
    return value.isNull() ? QStringLiteral("") : value;
}

}  // namespace

std::optional<StoreFailure> PartStore::addEvent(PartEvent &event) {
    if (!open_) {
        return notOpen();
    }
    if (schemaVersion_ < 2) {
        return StoreFailure{QStringLiteral("the parts history keeps no events"), false};
    }
    const QDateTime when = event.time.isValid() ? event.time : QDateTime::currentDateTime();
    QSqlQuery query(db_);
    if (!query.prepare(QStringLiteral(
            "INSERT INTO events (time_ms, utc_offset, kind, part_number, channel, part_id, who,"
            " why, data) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        return storeFailure(query.lastError());
    }
    for (const QVariant &value :
         {QVariant(when.toMSecsSinceEpoch()), QVariant(when.offsetFromUtc()),
          QVariant(eventKindText(event.kind)), QVariant(text(event.partNumber)),
          QVariant(event.channel), QVariant(event.partId), QVariant(text(event.who)),
          QVariant(text(event.why)), QVariant(text(event.data))}) {
        query.addBindValue(value);
    }
    // A single statement outside a transaction is a transaction of its own.
    if (!query.exec()) {
        return storeFailure(query.lastError());
    }
    event.id = query.lastInsertId().toLongLong();
    event.time = when;
    query.finish();
    return std::nullopt;
}

std::vector<PartEvent> PartStore::events(const QString &partNumber, int channel,
                                         std::optional<StoreFailure> *failure) {
    std::vector<PartEvent> out;
    if (!open_) {
        *failure = notOpen();
        return out;
    }
    if (schemaVersion_ < 2) {
        return out;
    }
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(QStringLiteral(
            "SELECT id, time_ms, utc_offset, kind, part_id, who, why, data FROM events"
            " WHERE part_number = ? AND channel = ? ORDER BY id"))) {
        *failure = storeFailure(query.lastError());
        return out;
    }
    query.addBindValue(text(partNumber));
    query.addBindValue(channel);
    if (!query.exec()) {
        *failure = storeFailure(query.lastError());
        return out;
    }
    while (query.next()) {
        const std::optional<PartEventKind> kind = eventKindOf(query.value(3).toString());
        if (!kind) {  // a kind a newer program wrote: not ours to read
            continue;
        }
        PartEvent event;
        event.id = query.value(0).toLongLong();
        event.time = QDateTime::fromMSecsSinceEpoch(query.value(1).toLongLong(), Qt::OffsetFromUTC,
                                                    query.value(2).toInt());
        event.kind = *kind;
        event.partNumber = partNumber;
        event.channel = channel;
        event.partId = query.value(4).toLongLong();
        event.who = query.value(5).toString();
        event.why = query.value(6).toString();
        event.data = query.value(7).toString();
        out.push_back(std::move(event));
    }
    if (query.lastError().isValid()) {
        *failure = storeFailure(query.lastError());
        out.clear();
    }
    query.finish();
    return out;
}

std::vector<PartStore::ChannelValue> PartStore::channelValues(
    int channel, const PartFilter &filter, std::optional<StoreFailure> *failure) {
    std::vector<ChannelValue> out;
    if (!open_) {
        *failure = notOpen();
        return out;
    }
    QStringList conditions;
    std::vector<QVariant> binds{channel};
    if (!filter.number.isEmpty()) {
        conditions << QStringLiteral("p.part_number = ?");
        binds.emplace_back(filter.number);
    }
    if (filter.since) {
        conditions << QStringLiteral("p.time_ms >= ?");
        binds.emplace_back(filter.since->toMSecsSinceEpoch());
    }
    if (filter.until) {
        conditions << QStringLiteral("p.time_ms < ?");
        binds.emplace_back(filter.until->toMSecsSinceEpoch());
    }
    if (!filter.verdict.isEmpty()) {
        conditions << QStringLiteral("p.verdict = ?");
        binds.emplace_back(filter.verdict);
    }
    // Within one part number the serials rise with the ids, so the order by serial is the order
    // measured and comes straight from the (part_number, serial) index, without a sort. The
    // values come by their primary key (part_id, position).
    // Few columns, because Qt SQL turns every column of every row into a QVariant: completed
    // and not valid travel as the bits of one number.
    QString sql = QStringLiteral(
        "SELECT p.id, p.serial, p.time_ms, p.revision_id,"
        " p.completed | ((p.verdict = 'NV') << 1), v.value"
        " FROM parts p JOIN part_values v ON v.part_id = p.id AND v.channel = ?");
    if (!conditions.isEmpty()) {
        sql += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    sql += filter.number.isEmpty() ? QStringLiteral(" ORDER BY p.id")
                                   : QStringLiteral(" ORDER BY p.serial");
    QSqlQuery query(db_);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        *failure = storeFailure(query.lastError());
        return out;
    }
    for (const QVariant &value : binds) {
        query.addBindValue(value);
    }
    if (!query.exec()) {
        *failure = storeFailure(query.lastError());
        return out;
    }
    while (query.next()) {
        ChannelValue value;
        value.partId = query.value(0).toLongLong();
        value.serial = query.value(1).toLongLong();
        value.time = QDateTime::fromMSecsSinceEpoch(query.value(2).toLongLong(), Qt::UTC);
        value.revision = query.value(3).toLongLong();
        const int flags = query.value(4).toInt();
        value.completed = (flags & 1) != 0;
        value.partNotValid = (flags & 2) != 0;
        const QVariant number = query.value(5);
        if (!number.isNull()) {
            value.value = number.toDouble();
        }
        out.push_back(std::move(value));
    }
    if (query.lastError().isValid()) {
        *failure = storeFailure(query.lastError());
        out.clear();
    }
    query.finish();
    return out;
}

}  // namespace zelapp
