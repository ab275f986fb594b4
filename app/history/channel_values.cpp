#include "history/channel_values.h"

#include "history/part_store.h"
#include "history/sql.h"
#include "history/sqlite_statement.h"

namespace zelapp {

std::vector<ChannelValue> ChannelValues::channelValues(const QString &number, int channel,
                                                       std::optional<StoreFailure> *failure) {
    std::vector<ChannelValue> out;
    *failure = readChannelValues(number, channel, 0,
                                 [&out](const ChannelValue &value) { out.push_back(value); });
    if (*failure) {
        out.clear();
    }
    return out;
}

void ChannelValues::visitNumberValues(const QString &number, qint64 fromSerial,
                                      const std::function<void(const ChannelValue &)> &visit,
                                      std::optional<StoreFailure> *failure) {
    *failure = readChannelValues(number, std::nullopt, fromSerial, visit);
}

qint64 ChannelValues::serialBeforeNewestRevision(const QString &number,
                                                 std::optional<StoreFailure> *failure) {
    if (!store_.isOpen()) {
        *failure = notOpenFailure();
        return 0;
    }
    // Walks the number's parts back from the newest, through the (part_number, serial) index,
    // to the newest of another revision: as far back as the newest revision reaches.
    SqliteStatement statement(
        store_.connection(),
        QStringLiteral("SELECT serial FROM parts WHERE part_number = ?1 AND revision_id <>"
                       " (SELECT revision_id FROM parts WHERE part_number = ?1"
                       " ORDER BY serial DESC LIMIT 1)"
                       " ORDER BY serial DESC LIMIT 1"));
    statement.bind(1, sqlText(number));
    const qint64 serial = statement.next() ? statement.integer(0) : 0;
    if (statement.failure()) {
        *failure = statement.failure();
        return 0;
    }
    return serial;
}

std::optional<StoreFailure> ChannelValues::readChannelValues(
    const QString &number, std::optional<int> channel, qint64 fromSerial,
    const std::function<void(const ChannelValue &)> &visit) {
    if (!store_.isOpen()) {
        return notOpenFailure();
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
    SqliteStatement statement(store_.connection(), sql);
    statement.bind(1, sqlText(number));
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
