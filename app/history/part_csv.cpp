#include "history/part_csv.h"

#include <QByteArray>
#include <QList>
#include <map>

#include "history/revision_cache.h"
#include "history/stored_part_text.h"

namespace zelapp {

namespace {

// Small enough that a page costs little memory, large enough that the statements cost little.
constexpr int kPageSize = 1000;

// RFC 4180: a field holding a quote, a comma or a line break is quoted, its quotes doubled.
QByteArray csvField(const QString &field) {
    QByteArray bytes = field.toUtf8();
    if (bytes.contains('"') || bytes.contains(',') || bytes.contains('\r') ||
        bytes.contains('\n')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray csvLine(const QList<QByteArray> &fields) {
    QByteArray line = fields.join(',');
    line += "\r\n";
    return line;
}

// The channel of each column, in ascending order, with its heading's description: that of the
// revision of the newest part selected that holds the channel (the summary lists revisions
// newest first, so the first to name a channel wins).
std::map<int, QString> columnsOf(const PartSummary &summary, RevisionCache &revisions,
                                 std::optional<StoreFailure> *failure) {
    std::map<int, QString> columns;
    for (const PartSummary::Revision &revision : summary.revisions) {
        const std::vector<RevisionCharacteristic> *characteristics =
            revisions.get(revision.id, failure);
        if (!characteristics) {
            return {};
        }
        for (const RevisionCharacteristic &characteristic : *characteristics) {
            columns.emplace(characteristic.channel, characteristic.description);
        }
    }
    return columns;
}

}  // namespace

CsvOutcome writePartsCsv(PartStore &store, const PartFilter &filter, QIODevice &out,
                         const CsvProgress &progress) {
    CsvOutcome outcome;
    const auto written = [&](const QByteArray &bytes) {
        if (out.write(bytes) == bytes.size()) {
            return true;
        }
        outcome.failure = StoreFailure{out.errorString(), false};
        return false;
    };

    const PartSummary summary = store.summarize(filter);
    if (summary.failure) {
        outcome.failure = summary.failure;
        return outcome;
    }
    RevisionCache revisions(store);
    const std::map<int, QString> columns = columnsOf(summary, revisions, &outcome.failure);
    if (outcome.failure) {
        return outcome;
    }

    QList<QByteArray> header = {"id",      "time",   "station",   "part_number", "serial",
                                "verdict", "reason", "completed", "part_id"};
    std::map<int, qsizetype> columnOf;  // by channel: the place of its column among the values
    for (const auto &[channel, description] : columns) {
        columnOf.emplace(channel, qsizetype(columnOf.size()));
        header << csvField(QStringLiteral("C%1 %2").arg(channel).arg(description));
    }
    if (!written(csvLine(header))) {
        return outcome;
    }

    // Ids up to the newest part counted: a part recorded meanwhile is left for the next export,
    // so the rows agree with the total told.
    qint64 next = summary.firstId;
    bool more = summary.count > 0;
    while (more) {
        const PartPage page = store.range(next, summary.lastId, kPageSize, filter);
        if (page.failure) {
            outcome.failure = page.failure;
            return outcome;
        }
        if (page.parts.empty()) {
            break;
        }
        QByteArray text;
        for (const StoredPart &part : page.parts) {
            const std::vector<RevisionCharacteristic> *revision =
                revisions.get(part.revision, &outcome.failure);
            if (!revision) {
                return outcome;
            }
            QList<QByteArray> fields = {QByteArray::number(part.id),
                                        csvField(partTimeText(part.time)),
                                        csvField(part.station),
                                        csvField(part.number),
                                        QByteArray::number(part.serial),
                                        csvField(part.verdict),
                                        csvField(part.reason),
                                        part.completed ? QByteArray("1") : QByteArray("0"),
                                        csvField(part.partId)};
            QList<QByteArray> values(qsizetype(columnOf.size()));
            for (const StoredValue &stored : part.values) {
                const auto column = columnOf.find(stored.channel);
                if (column != columnOf.end()) {
                    values[column->second] =
                        judgedValueText(stored.value, characteristicOf(*revision, stored.channel))
                            .toUtf8();
                }
            }
            text += csvLine(fields + values);
        }
        // Pages only go forwards, even over a damaged file's odd ids.
        const qint64 last = page.parts.back().id;
        more = last >= next && last < summary.lastId;
        next = more ? last + 1 : next;
        if (!written(text)) {
            return outcome;
        }
        outcome.rows += qint64(page.parts.size());
        if (progress && !progress(outcome.rows, summary.count)) {
            outcome.cancelled = true;
            return outcome;
        }
    }
    return outcome;
}

}  // namespace zelapp
