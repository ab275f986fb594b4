#include "history/part_events.h"

#include <QSqlQuery>
#include <QVariant>

#include "history/part_schema.h"
#include "history/part_store.h"
#include "history/sql.h"

namespace zelapp {

std::optional<StoreFailure> PartEvents::addEvent(PartEvent &event) {
    std::vector<PartEvent> one{event};
    std::optional<StoreFailure> failure = addEvents(one);
    if (!failure) {
        event = std::move(one.front());
    }
    return failure;
}

std::optional<StoreFailure> PartEvents::addEvents(std::vector<PartEvent> &events) {
    if (!store_.isOpen()) {
        return notOpenFailure();
    }
    if (store_.schemaVersion() < 2) {
        return StoreFailure{QStringLiteral("the parts history keeps no events"), false};
    }
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<std::pair<qint64, QDateTime>> stored;  // given to the events once committed
    WriteTransaction transaction(store_.connection());
    if (transaction.failure()) {
        return transaction.failure();
    }
    QSqlQuery query(store_.connection());
    if (auto failure = prepareSql(
            query,
            QStringLiteral("INSERT INTO events (time_ms, utc_offset, kind, part_number, channel,"
                           " part_id, who, why, data) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        return failure;
    }
    for (const PartEvent &event : events) {
        const QDateTime when = event.time.isValid() ? event.time : now;
        if (auto failure = runPrepared(
                query, {when.toMSecsSinceEpoch(), when.offsetFromUtc(), eventKindText(event.kind),
                        sqlText(event.partNumber), event.channel, event.partId, sqlText(event.who),
                        sqlText(event.why), sqlText(event.data)})) {
            return failure;
        }
        stored.emplace_back(query.lastInsertId().toLongLong(), when);
    }
    query.finish();
    if (auto failure = transaction.commit()) {
        return failure;
    }
    for (size_t i = 0; i < events.size(); ++i) {
        events[i].id = stored[i].first;
        events[i].time = stored[i].second;
    }
    return std::nullopt;
}

std::vector<PartEvent> PartEvents::events(const QString &partNumber, int channel,
                                          std::optional<StoreFailure> *failure) {
    std::vector<PartEvent> out;
    if (!store_.isOpen()) {
        *failure = notOpenFailure();
        return out;
    }
    if (store_.schemaVersion() < 2) {
        return out;
    }
    QSqlQuery query(store_.connection());
    if (auto error =
            runSql(query,
                   QStringLiteral("SELECT id, time_ms, utc_offset, kind, part_id, who, why,"
                                  " data FROM events WHERE part_number = ? AND channel = ?"
                                  " ORDER BY id"),
                   {sqlText(partNumber), channel})) {
        *failure = error;
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
    if (auto error = finishRows(query)) {
        *failure = error;
        out.clear();
    }
    return out;
}

}  // namespace zelapp
