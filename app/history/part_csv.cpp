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

// RFC 4180: a field holding a quote, the separator or a line break is quoted, its quotes
// doubled.
QByteArray csvField(const QString &field, char separator) {
    QByteArray bytes = field.toUtf8();
    if (bytes.contains('"') || bytes.contains(separator) || bytes.contains('\r') ||
        bytes.contains('\n')) {
        bytes.replace("\"", "\"\"");
        bytes = '"' + bytes + '"';
    }
    return bytes;
}

QByteArray csvLine(const QList<QByteArray> &fields, char separator) {
    QByteArray line = fields.join(separator);
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
                         const CsvProgress &progress, const CsvProfile &profile) {
    CsvOutcome outcome;
    const char separator = profile.separator.toLatin1();
    const auto field = [separator](const QString &text) { return csvField(text, separator); };
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

    QByteArray start = profile.byteOrderMark ? QByteArray("\xEF\xBB\xBF") : QByteArray();
    QList<QByteArray> header = {"id",      "time",   "station",   "part_number", "serial",
                                "verdict", "reason", "completed", "part_id"};
    std::map<int, qsizetype> columnOf;  // by channel: the place of its column among the values
    for (const auto &[channel, description] : columns) {
        columnOf.emplace(channel, qsizetype(columnOf.size()));
        header << field(QStringLiteral("C%1 %2").arg(channel).arg(description));
    }
    if (!written(start + csvLine(header, separator))) {
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
                                        field(partTimeText(part.time)),
                                        field(part.station),
                                        field(part.number),
                                        QByteArray::number(part.serial),
                                        field(part.verdict),
                                        field(part.reason),
                                        part.completed ? QByteArray("1") : QByteArray("0"),
                                        field(part.partId)};
            QList<QByteArray> values(qsizetype(columnOf.size()));
            for (const StoredValue &stored : part.values) {
                const auto column = columnOf.find(stored.channel);
                if (column != columnOf.end()) {
                    // The results' digits; only the separator is the profile's.
                    values[column->second] = field(
                        judgedValueText(stored.value, characteristicOf(*revision, stored.channel))
                            .replace(u'.', profile.decimalPoint));
                }
            }
            text += csvLine(fields + values, separator);
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
