#include "history/part_store.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <algorithm>

#include "history/network_folder.h"
#include "history/part_schema.h"

namespace zelapp {

namespace {

// A null QString binds as SQL NULL; the text columns hold '' for "none".
QString text(const QString &value) {
    return value.isNull() ? QStringLiteral("") : value;
}

StoreFailure failureOf(const QString &cause) {
    return {cause, false};
}

QString metaValue(QSqlQuery &query, const QString &key, std::optional<StoreFailure> *failure) {
    if (!query.prepare(QStringLiteral("SELECT value FROM meta WHERE key = ?"))) {
        *failure = storeFailure(query.lastError());
        return {};
    }
    query.addBindValue(key);
    if (!query.exec()) {
        *failure = storeFailure(query.lastError());
        return {};
    }
    const QString value = query.next() ? query.value(0).toString() : QString();
    query.finish();
    return value;
}

// SQLite's own words when the file's header is not an SQLite header; an empty file is a new
// database.
std::optional<StoreFailure> notSqlite(const QString &file) {
    QFile bytes(file);
    if (!bytes.open(QIODevice::ReadOnly) || bytes.size() == 0) {
        return std::nullopt;
    }
    static constexpr char kHeader[] = "SQLite format 3";  // with its NUL: 16 bytes
    if (bytes.read(sizeof kHeader) == QByteArray(kHeader, sizeof kHeader)) {
        return std::nullopt;
    }
    return StoreFailure{QStringLiteral("file is not a database"), true};
}

}  // namespace

PartStore::PartStore() = default;

PartStore::~PartStore() {
    close();
}

void PartStore::close() {
    if (connection_.isEmpty()) {
        return;
    }
    db_.close();
    db_ = QSqlDatabase();  // no copy may remain when the connection is removed
    QSqlDatabase::removeDatabase(connection_);
    connection_.clear();
    open_ = false;
    schemaVersion_ = 0;
    uuid_.clear();
}

OpenOutcome PartStore::open(const QString &file, const OpenOptions &options) {
    close();
    file_ = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    OpenOutcome outcome;
    const QString folder = QFileInfo(file_).absolutePath();
    const QString network = networkFileSystemOf(folder);
    if (!network.isEmpty()) {
        outcome.failure = failureOf(QStringLiteral("on a network file system (%1)").arg(network));
        outcome.message = QStringLiteral(
                              "The parts history cannot be kept in %1: it is on a "
                              "network file system (%2). Choose a folder on this "
                              "computer.")
                              .arg(QDir::toNativeSeparators(folder), network);
        return outcome;
    }
    // A folder is never a history, nor set aside as a damaged one.
    if (QFileInfo(file_).isDir()) {
        outcome.failure = failureOf(QStringLiteral("it is a folder"));
        outcome.message = QStringLiteral(
                              "The parts history %1 cannot be opened: it is a folder. "
                              "Choose a file.")
                              .arg(QDir::toNativeSeparators(file_));
        return outcome;
    }
    if (options.readOnly ? !QFileInfo::exists(file_) : !QDir().mkpath(folder)) {
        const QString cause = options.readOnly ? QStringLiteral("no such file")
                                               : QStringLiteral("the folder cannot be made");
        outcome.failure = failureOf(cause);
        outcome.message = QStringLiteral("The parts history %1 cannot be opened: %2.")
                              .arg(QDir::toNativeSeparators(file_), cause);
        return outcome;
    }
    // Opened by SQLite, a read-only file would get read-only -wal and -shm files beside it that
    // keep the history unwritable after its own permission is mended: refused untouched.
    if (!options.readOnly && ((QFileInfo::exists(file_) && !QFileInfo(file_).isWritable()) ||
                              !QFileInfo(folder).isWritable())) {
        outcome.failure = failureOf(QStringLiteral("the file or its folder is read-only"));
        outcome.message = QStringLiteral("The parts history %1 cannot be written: %2.")
                              .arg(QDir::toNativeSeparators(file_), outcome.failure->cause);
        return outcome;
    }
    // A file that is not SQLite's at all is known before SQLite opens it, which would delete
    // the journal beside it: set aside, the two stay together.
    std::optional<StoreFailure> damage = notSqlite(file_);
    if (!damage) {
        outcome = openFile(options);
        if (outcome.ok() || !outcome.failure->damaged) {
            return outcome;
        }
        damage = outcome.failure;
    }
    if (options.readOnly) {
        outcome.failure = damage;
        outcome.message = QStringLiteral("The parts history %1 cannot be opened: %2.")
                              .arg(QDir::toNativeSeparators(file_), damage->cause);
        return outcome;
    }
    QString newName;
    if (const std::optional<StoreFailure> failure = setAside(&newName)) {
        outcome.failure = failure;
        outcome.message = QStringLiteral(
                              "The parts history %1 is damaged (%2) and could not be "
                              "set aside: %3.")
                              .arg(QDir::toNativeSeparators(file_), damage->cause, failure->cause);
        return outcome;
    }
    outcome = openFile(options);
    outcome.setAside = newName;
    if (outcome.ok()) {
        outcome.message = QStringLiteral(
                              "The parts history %1 was damaged (%2). It was set "
                              "aside as %3 and a new one started.")
                              .arg(QDir::toNativeSeparators(file_), damage->cause,
                                   QDir::toNativeSeparators(newName));
    }
    return outcome;
}

OpenOutcome PartStore::openFile(const OpenOptions &options) {
    OpenOutcome outcome;
    connection_ = QStringLiteral("parts-") + QUuid::createUuid().toString(QUuid::WithoutBraces);
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection_);
    std::optional<StoreFailure> failure;
    if (!db_.isValid()) {
        failure = failureOf(QStringLiteral("Qt's SQLite driver is missing (libqt6sql6-sqlite)"));
    } else {
        db_.setDatabaseName(file_);
        QString connectOptions =
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(options.busyTimeoutMs);
        if (options.readOnly) {
            connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
        }
        db_.setConnectOptions(connectOptions);
        if (!db_.open()) {
            failure = storeFailure(db_.lastError());
        } else {
            failure = setUp(options, &outcome.created);
        }
    }
    if (failure) {
        close();
        outcome.failure = failure;
        outcome.message = QStringLiteral("The parts history %1 cannot be opened: %2.")
                              .arg(QDir::toNativeSeparators(file_), failure->cause);
        return outcome;
    }
    open_ = true;
    return outcome;
}

std::optional<StoreFailure> PartStore::setUp(const OpenOptions &options, bool *created) {
    const bool readOnly = options.readOnly;
    QSqlQuery query(db_);
    const auto run = [&query](const QString &statement) { return query.exec(statement); };
    if (!readOnly) {
        if (!run(QStringLiteral("PRAGMA journal_mode=WAL"))) {
            return storeFailure(query.lastError());
        }
        if (!query.next() || query.value(0).toString() != QStringLiteral("wal")) {
            return failureOf(QStringLiteral("the file cannot be kept in WAL mode"));
        }
        query.finish();
    }
    // Both hold for this connection only: every connection that writes sets them.
    if (!run(options.fullSync ? QStringLiteral("PRAGMA synchronous=FULL")
                              : QStringLiteral("PRAGMA synchronous=NORMAL")) ||
        !run(QStringLiteral("PRAGMA foreign_keys=ON"))) {
        return storeFailure(query.lastError());
    }
    // Taken at once, so that two programs starting on a new file do not both create it.
    if (!readOnly && !run(QStringLiteral("BEGIN IMMEDIATE"))) {
        return storeFailure(query.lastError());
    }
    const auto rollback = [&](const StoreFailure &failure) {
        query.finish();
        if (!readOnly) {
            query.exec(QStringLiteral("ROLLBACK"));
        }
        return failure;
    };
    if (!run(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        return rollback(storeFailure(query.lastError()));
    }
    const bool empty = query.next() && query.value(0).toLongLong() == 0;
    query.finish();
    if (empty) {
        if (readOnly) {
            return failureOf(QStringLiteral("not a parts history"));
        }
        for (const QString &statement : partSchemaStatements()) {
            if (!run(statement)) {
                return rollback(storeFailure(query.lastError()));
            }
        }
        const QString uuid = QUuid::createUuid().toString(QUuid::WithoutBraces);
        const std::pair<QString, QString> rows[] = {
            {QStringLiteral("uuid"), uuid},
            {QStringLiteral("schema_version"), QString::number(kSchemaVersion)},
            {QStringLiteral("created"),
             QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs)}};
        for (const auto &[key, value] : rows) {
            if (!query.prepare(QStringLiteral("INSERT INTO meta (key, value) VALUES (?, ?)"))) {
                return rollback(storeFailure(query.lastError()));
            }
            query.addBindValue(key);
            query.addBindValue(value);
            if (!query.exec()) {
                return rollback(storeFailure(query.lastError()));
            }
        }
        *created = true;
    }
    std::optional<StoreFailure> failure;
    uuid_ = metaValue(query, QStringLiteral("uuid"), &failure);
    const QString version =
        failure ? QString() : metaValue(query, QStringLiteral("schema_version"), &failure);
    if (failure && failure->cause.contains(QStringLiteral("no such table"))) {
        failure = failureOf(QStringLiteral("not a parts history"));
    }
    if (!failure && (uuid_.isEmpty() || version.toInt() < 1)) {
        failure = failureOf(QStringLiteral("not a parts history"));
    }
    if (!failure && version.toInt() > kSchemaVersion) {
        failure = failureOf(QStringLiteral("written by a newer program (schema %1)").arg(version));
    }
    if (failure) {
        return rollback(*failure);
    }
    schemaVersion_ = version.toInt();
    // An older file opened for writing is brought up to date in this same transaction; read
    // only, it is read as it is.
    if (!readOnly && schemaVersion_ < kSchemaVersion) {
        for (const QString &statement : schemaUpgradeStatements(schemaVersion_)) {
            if (!run(statement)) {
                return rollback(storeFailure(query.lastError()));
            }
        }
        if (!query.prepare(
                QStringLiteral("UPDATE meta SET value = ? WHERE key = 'schema_version'"))) {
            return rollback(storeFailure(query.lastError()));
        }
        query.addBindValue(QString::number(kSchemaVersion));
        if (!query.exec()) {
            return rollback(storeFailure(query.lastError()));
        }
        schemaVersion_ = kSchemaVersion;
    }
    if (!readOnly && !run(QStringLiteral("COMMIT"))) {
        return rollback(storeFailure(query.lastError()));
    }
    return std::nullopt;
}

std::optional<StoreFailure> PartStore::setAside(QString *newName) {
    close();
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString name = file_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = file_ + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    QFile damaged(file_);
    if (!damaged.rename(name)) {
        return failureOf(damaged.errorString());
    }
    // Its journal goes with it: left behind, it would be read into the new file.
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(file_ + suffix)) {
            QFile::rename(file_ + suffix, name + suffix);
        }
    }
    *newName = name;
    return std::nullopt;
}

Appended PartStore::append(const PartResult &part, const SetupSnapshot &setup, qint64 leastSerial) {
    Appended appended;
    if (!open_) {
        appended.failure = failureOf(QStringLiteral("the parts history is not open"));
        return appended;
    }
    QSqlQuery query(db_);
    // The write lock at once: a busy file fails here, within the busy timeout, before any work.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        appended.failure = storeFailure(query.lastError());
        return appended;
    }
    const auto fail = [&]() {
        appended.failure = storeFailure(query.lastError());
        query.finish();
        query.exec(QStringLiteral("ROLLBACK"));
        appended.id = appended.serial = 0;
        return appended;
    };

    const std::vector<RevisionCharacteristic> revision = revisionOf(part, setup);
    const QByteArray fingerprint = revisionFingerprint(revision);
    if (!query.prepare(QStringLiteral("SELECT id FROM revisions WHERE fingerprint = ?"))) {
        return fail();
    }
    query.addBindValue(fingerprint);
    if (!query.exec()) {
        return fail();
    }
    qint64 revisionId = query.next() ? query.value(0).toLongLong() : 0;
    query.finish();
    if (revisionId == 0) {
        if (!query.prepare(QStringLiteral("INSERT INTO revisions (fingerprint) VALUES (?)"))) {
            return fail();
        }
        query.addBindValue(fingerprint);
        if (!query.exec()) {
            return fail();
        }
        revisionId = query.lastInsertId().toLongLong();
        if (!query.prepare(QStringLiteral(
                "INSERT INTO revision_characteristics (revision_id, position, channel, description,"
                " formula, decimals, units, lo_tol, lo_appr, hi_appr, hi_tol, nominal, sides)"
                " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
            return fail();
        }
        for (std::size_t i = 0; i < revision.size(); ++i) {
            const RevisionCharacteristic &c = revision[i];
            const QVariant values[] = {revisionId,
                                       qint64(i),
                                       c.channel,
                                       text(c.description),
                                       text(c.formula),
                                       c.decimals,
                                       text(c.units),
                                       double(c.limits.loTol),
                                       double(c.limits.loAppr),
                                       double(c.limits.hiAppr),
                                       double(c.limits.hiTol),
                                       text(c.nominal),
                                       sidesText(c.sides)};
            for (int v = 0; v < int(std::size(values)); ++v) {
                query.bindValue(v, values[v]);
            }
            if (!query.exec()) {
                return fail();
            }
        }
    }

    if (!query.prepare(QStringLiteral("SELECT COALESCE(MAX(serial), 0) + 1 FROM parts"
                                      " WHERE part_number = ?"))) {
        return fail();
    }
    query.addBindValue(text(part.number));
    if (!query.exec() || !query.next()) {
        return fail();
    }
    appended.serial = std::max(query.value(0).toLongLong(), leastSerial);
    query.finish();

    const QDateTime when = part.ended.isValid()     ? part.ended
                           : part.started.isValid() ? part.started
                                                    : QDateTime::currentDateTime();
    if (!query.prepare(QStringLiteral(
            "INSERT INTO parts (time_ms, utc_offset, station, setup_file, revision_id, part_number,"
            " description, serial, verdict, reason, completed, part_id)"
            " VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"))) {
        return fail();
    }
    const QVariant row[] = {when.toMSecsSinceEpoch(),
                            when.offsetFromUtc(),
                            text(setup.station),
                            text(setup.setupFile),
                            revisionId,
                            text(part.number),
                            text(part.description),
                            appended.serial,
                            verdictCode(part.verdict),
                            text(part.reason),
                            part.completed ? 1 : 0,
                            text(part.id)};
    for (int v = 0; v < int(std::size(row)); ++v) {
        query.bindValue(v, row[v]);
    }
    if (!query.exec()) {
        return fail();
    }
    appended.id = query.lastInsertId().toLongLong();

    if (!query.prepare(QStringLiteral("INSERT INTO part_values (part_id, position, channel, value,"
                                      " verdict, reason) VALUES (?, ?, ?, ?, ?, ?)"))) {
        return fail();
    }
    for (std::size_t i = 0; i < part.characteristics.size(); ++i) {
        const CharacteristicResult &c = part.characteristics[i];
        query.bindValue(0, appended.id);
        query.bindValue(1, qint64(i));
        query.bindValue(2, c.channel);
        // The value as captured, not as shown: a float is exact in a double.
        query.bindValue(
            3, c.value ? QVariant(double(*c.value)) : QVariant(QMetaType(QMetaType::Double)));
        query.bindValue(4, verdictCode(c.verdict));
        query.bindValue(5, text(c.reason));
        if (!query.exec()) {
            return fail();
        }
    }
    // Queued with the part: a part measured while a folder is set is never missed by the export.
    if (!setup.dfqFolder.isEmpty()) {
        if (!query.prepare(
                QStringLiteral("INSERT INTO dfq_exports (part_id, folder) VALUES (?, ?)"))) {
            return fail();
        }
        query.addBindValue(appended.id);
        query.addBindValue(setup.dfqFolder);
        if (!query.exec()) {
            return fail();
        }
    }
    query.finish();
    if (commitHook_) {
        commitHook_();
    }
    if (!query.exec(QStringLiteral("COMMIT"))) {
        return fail();
    }
    return appended;
}

}  // namespace zelapp
