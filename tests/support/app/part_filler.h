// A history file of many parts, made fast for benchmarks and tests of large histories: one part
// through the store (so the file, its schema and the revision are the program's own), then
// copies of it in one transaction, each a second later with the next serial and its values
// shifted a little (the verdicts stay the first part's).
#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QUuid>

#include "history/part_store.h"

namespace zeltest {

// Fills `file` (absent before) with `count` parts like `part`; false when something failed.
inline bool fillParts(const QString &file, const zelapp::PartResult &part,
                      const zelapp::SetupSnapshot &setup, qint64 count) {
    {
        zelapp::PartStore store;
        if (!store.open(file).ok() || !store.append(part, setup).ok()) {
            return false;
        }
    }
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
    bool ok = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(file);
        if (db.open()) {
            QSqlQuery query(db);
            const QString copies = QStringLiteral(
                "WITH RECURSIVE n(k) AS (SELECT 1 UNION ALL SELECT k + 1 FROM n WHERE k < %1) ");
            ok = query.exec(QStringLiteral("PRAGMA synchronous=OFF")) &&
                 query.exec(QStringLiteral("BEGIN")) &&
                 query.exec(copies.arg(count - 1) +
                            QStringLiteral(
                                "INSERT INTO parts (time_ms, utc_offset, station, setup_file,"
                                " revision_id, part_number, description, serial, verdict, reason,"
                                " completed, part_id) SELECT p.time_ms + k * 1000, p.utc_offset,"
                                " p.station, p.setup_file, p.revision_id, p.part_number,"
                                " p.description, p.serial + k, p.verdict, p.reason, p.completed,"
                                " p.part_id FROM n, parts p WHERE p.id = 1 ORDER BY k")) &&
                 query.exec(QStringLiteral(
                     "INSERT INTO part_values (part_id, position, channel, value, verdict, reason)"
                     " SELECT p.id, v.position, v.channel, v.value + ((p.id % 7) - 3) * 0.001,"
                     " v.verdict, v.reason FROM parts p, part_values v"
                     " WHERE v.part_id = 1 AND p.id > 1")) &&
                 query.exec(QStringLiteral("COMMIT"));
        }
    }
    QSqlDatabase::removeDatabase(name);
    return ok;
}

}  // namespace zeltest
