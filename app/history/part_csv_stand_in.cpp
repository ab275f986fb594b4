// A stand-in for the CSV writer until the real one (part_csv.cpp) joins this branch: the
// columns of part_csv.h without the characteristics, enough for the history window's export
// to be wired and tested. Delete this file when part_csv.cpp arrives.
#include <QStringList>
#include <limits>

#include "history/part_csv.h"

namespace zelapp {

namespace {

QByteArray quoted(const QString &field) {
    QString text = field;
    if (text.contains(u'"') || text.contains(u',') || text.contains(u'\n') ||
        text.contains(u'\r')) {
        text.replace(QStringLiteral("\""), QStringLiteral("\"\""));
        text = u'"' + text + u'"';
    }
    return text.toUtf8();
}

}  // namespace

CsvOutcome writePartsCsv(PartStore &store, const PartFilter &filter, QIODevice &out,
                         const CsvProgress &progress) {
    CsvOutcome outcome;
    const auto write = [&](const QByteArray &line) {
        if (out.write(line) != line.size()) {
            outcome.failure = StoreFailure{out.errorString(), false};
            return false;
        }
        return true;
    };
    if (!write("id,time,station,part_number,serial,verdict,reason,completed,part_id\r\n")) {
        return outcome;
    }
    qint64 from = 1;
    for (;;) {
        PartPage page = store.range(from, std::numeric_limits<qint64>::max(), 500, filter);
        if (page.failure) {
            outcome.failure = page.failure;
            return outcome;
        }
        for (const StoredPart &p : page.parts) {
            const QStringList fields = {QString::number(p.id),
                                        p.time.toString(Qt::ISODateWithMs),
                                        p.station,
                                        p.number,
                                        QString::number(p.serial),
                                        p.verdict,
                                        p.reason,
                                        p.completed ? QStringLiteral("1") : QStringLiteral("0"),
                                        p.partId};
            QByteArrayList line;
            for (const QString &field : fields) {
                line << quoted(field);
            }
            if (!write(line.join(',') + "\r\n")) {
                return outcome;
            }
            ++outcome.rows;
            from = p.id + 1;
        }
        if (progress && !progress(outcome.rows, -1)) {
            outcome.cancelled = true;
            return outcome;
        }
        if (page.parts.size() < 500) {
            return outcome;
        }
    }
}

}  // namespace zelapp
