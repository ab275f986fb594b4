// The statistics' side of PartStore: the events the operator records about a characteristic,
// and the values of many parts, read in one statement.
#include <QSqlQuery>
#include <QVariant>

#include "history/part_schema.h"
#include "history/part_store.h"
#include "history/sqlite_statement.h"

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
    std::vector<PartEvent> one{event};
    std::optional<StoreFailure> failure = addEvents(one);
    if (!failure) {
        event = std::move(one.front());
    }
    return failure;
}

std::optional<StoreFailure> PartStore::addEvents(std::vector<PartEvent> &events) {
    if (!open_) {
        return notOpen();
    }
    if (schemaVersion_ < 2) {
        return StoreFailure{QStringLiteral("the parts history keeps no events"), false};
    }
    QSqlQuery query(db_);
    const QDateTime now = QDateTime::currentDateTime();
    std::vector<std::pair<qint64, QDateTime>> stored;  // given to the events once committed
    const std::optional<StoreFailure> failure = inWriteTransaction(query, [&]() {
        if (!query.prepare(QStringLiteral(
                "INSERT INTO events (time_ms, utc_offset, kind, part_number, channel, part_id,"
                " who, why, data) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
            return false;
        }
        for (const PartEvent &event : events) {
            const QDateTime when = event.time.isValid() ? event.time : now;
            int position = 0;
            for (const QVariant &value :
                 {QVariant(when.toMSecsSinceEpoch()), QVariant(when.offsetFromUtc()),
                  QVariant(eventKindText(event.kind)), QVariant(text(event.partNumber)),
                  QVariant(event.channel), QVariant(event.partId), QVariant(text(event.who)),
                  QVariant(text(event.why)), QVariant(text(event.data))}) {
                query.bindValue(position++, value);
            }
            if (!query.exec()) {
                return false;
            }
            stored.emplace_back(query.lastInsertId().toLongLong(), when);
        }
        return true;
    });
    if (failure) {
        return failure;
    }
    for (size_t i = 0; i < events.size(); ++i) {
        events[i].id = stored[i].first;
        events[i].time = stored[i].second;
    }
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
    const QString &number, int channel, std::optional<StoreFailure> *failure) {
    std::vector<ChannelValue> out;
    *failure = readChannelValues(number, channel, 0,
                                 [&out](const ChannelValue &value) { out.push_back(value); });
    if (*failure) {
        out.clear();
    }
    return out;
}

void PartStore::visitNumberValues(const QString &number, qint64 fromSerial,
                                  const std::function<void(const ChannelValue &)> &visit,
                                  std::optional<StoreFailure> *failure) {
    *failure = readChannelValues(number, std::nullopt, fromSerial, visit);
}

qint64 PartStore::serialBeforeNewestRevision(const QString &number,
                                             std::optional<StoreFailure> *failure) {
    if (!open_) {
        *failure = notOpen();
        return 0;
    }
    // Walks the number's parts back from the newest, through the (part_number, serial) index,
    // to the newest of another revision: as far back as the newest revision reaches.
    SqliteStatement statement(
        db_, QStringLiteral("SELECT serial FROM parts WHERE part_number = ?1 AND revision_id <>"
                            " (SELECT revision_id FROM parts WHERE part_number = ?1"
                            " ORDER BY serial DESC LIMIT 1)"
                            " ORDER BY serial DESC LIMIT 1"));
    statement.bind(1, text(number));
    const qint64 serial = statement.next() ? statement.integer(0) : 0;
    if (statement.failure()) {
        *failure = statement.failure();
        return 0;
    }
    return serial;
}

std::optional<StoreFailure> PartStore::readChannelValues(
    const QString &number, std::optional<int> channel, qint64 fromSerial,
    const std::function<void(const ChannelValue &)> &visit) {
    if (!open_) {
        return notOpen();
    }
    // Within one part number the serials rise with the ids, so the order by serial is the order
    // measured and comes straight from the (part_number, serial) index, without a sort. The
    // values come by their primary key (part_id, position). Read straight from SQLite: through
    // Qt SQL, a QVariant for each column of a million rows costs more than SQLite's own work.
    QString sql = QStringLiteral(
        "SELECT p.id, p.serial, p.time_ms, p.revision_id, p.completed, p.verdict = 'NV',"
        " v.channel, v.value FROM parts p JOIN part_values v ON v.part_id = p.id");
    sql += channel ? QStringLiteral(" AND v.channel = ?3") : QString();
    sql += QStringLiteral(" WHERE p.part_number = ?1 AND p.serial >= ?2 ORDER BY p.serial");
    sql += channel ? QString() : QStringLiteral(", v.position");
    SqliteStatement statement(db_, sql);
    statement.bind(1, text(number));
    statement.bind(2, fromSerial);
    if (channel) {
        statement.bind(3, qint64(*channel));
    }
    ChannelValue value;
    while (statement.next()) {
        value.partId = statement.integer(0);
        value.serial = statement.integer(1);
        value.time = QDateTime::fromMSecsSinceEpoch(statement.integer(2), Qt::UTC);
        value.revision = statement.integer(3);
        value.completed = statement.integer(4) != 0;
        value.partNotValid = statement.integer(5) != 0;
        value.channel = int(statement.integer(6));
        value.value = statement.real(7);
        visit(value);
    }
    return statement.failure();
}

}  // namespace zelapp
