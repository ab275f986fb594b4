#include "history/part_store.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUuid>
#include <QVariant>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/private_folder.h"
#include "history/network_folder.h"
#include "history/part_schema.h"
#include "history/sqlite_file.h"

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

// SQLite's own words when the file's header is not an SQLite header; an empty or absent file is
// a new database. Read through SQLite: another connection of this process may have it open.
std::optional<StoreFailure> notSqlite(const QString &file) {
    static constexpr char kHeader[] = "SQLite format 3";  // with its NUL: 16 bytes
    SqliteFile bytes(file);
    const std::optional<QByteArray> header = bytes.head(int(sizeof kHeader));
    if (!header || header->isEmpty() || *header == QByteArray(kHeader, sizeof kHeader)) {
        return std::nullopt;  // what cannot be read, SQLite's open will say
    }
    return StoreFailure{QStringLiteral("file is not a database"), true};
}

// The file a path names now; none when it names none (or cannot be asked).
std::optional<FileIdentity> identityOf(const QString &file, int *error = nullptr) {
    struct stat info = {};
    if (::stat(QFile::encodeName(file).constData(), &info) != 0) {
        if (error != nullptr) {
            *error = errno;
        }
        return std::nullopt;
    }
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino)};
}

// Renamed by the file system alone: QFile::rename falls back to a copy through descriptors.
std::optional<StoreFailure> renameFile(const QString &from, const QString &to) {
    std::error_code error;
    std::filesystem::rename(QFile::encodeName(from).toStdString(),
                            QFile::encodeName(to).toStdString(), error);
    if (error) {
        return failureOf(QString::fromLocal8Bit(error.message()));
    }
    return std::nullopt;
}

// How long a connection waits for a lock another connection holds.
int busyTimeoutMs(const OpenOptions &options, bool held) {
    return held ? std::min(options.busyTimeoutMs, OpenOptions::kHeldBusyTimeoutMs)
                : options.busyTimeoutMs;
}

// No group or other user may enter `folder`.
bool privateFolder(const QString &folder) {
    struct stat info = {};
    return ::stat(QFile::encodeName(folder).constData(), &info) == 0 &&
           (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
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
    identity_ = {};
}

bool PartStore::replaced() const {
    if (!open_ || identity_ == FileIdentity{}) {
        return false;
    }
    int error = 0;
    const std::optional<FileIdentity> now = identityOf(file_, &error);
    // A name that cannot be asked about now (a folder's permission) is not taken for gone.
    return now ? *now != identity_ : error == ENOENT || error == ENOTDIR;
}

OpenOutcome PartStore::open(const QString &file, const OpenOptions &options) {
    const QString path = QDir::cleanPath(QFileInfo(file).absoluteFilePath());
    const OpenOptions chosen = options;
    close();
    file_ = path;
    options_ = chosen;
    const OpenOutcome outcome = openPath(chosen);
    openFailure_ = outcome.failure;
    if (outcome.failure && outcome.failure->busy) {
        held_ = true;
    }
    return outcome;
}

OpenOutcome PartStore::openPath(const OpenOptions &options) {
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
    // A folder made here (the default location) is the user's alone; see openFile().
    if (options.readOnly ? !QFileInfo::exists(file_) : !makePrivateFolder(folder)) {
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
    // the journal beside it: set aside, the two stay together. Read through SQLite: another
    // connection of this process may have the file open.
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
            QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1").arg(busyTimeoutMs(options, held_));
        if (options.readOnly) {
            connectOptions += QStringLiteral(";QSQLITE_OPEN_READONLY");
        }
        db_.setConnectOptions(connectOptions);
        const bool absent = !options.readOnly && !QFileInfo::exists(file_);
        if (!db_.open()) {
            failure = storeFailure(db_.lastError());
        } else {
            // SQLite made the file on opening it; its -wal and -shm take the file's permissions.
            // In a folder nobody else may enter, the history is the user's alone too.
            if (absent && privateFolder(QFileInfo(file_).absolutePath())) {
                ::chmod(QFile::encodeName(file_).constData(), S_IRUSR | S_IWUSR);
            }
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
    identity_ = identityOf(file_).value_or(FileIdentity{});
    return outcome;
}

std::optional<StoreFailure> PartStore::readMeta(bool *empty) {
    QSqlQuery query(db_);
    if (!query.exec(QStringLiteral("SELECT count(*) FROM sqlite_master"))) {
        return storeFailure(query.lastError());
    }
    *empty = query.next() && query.value(0).toLongLong() == 0;
    query.finish();
    if (*empty) {
        return std::nullopt;
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
    schemaVersion_ = failure ? 0 : version.toInt();
    return failure;
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
    // A file of this schema is only read: it opens at once while another program holds the
    // write lock, and the parts wait for that in their own commits.
    if (!run(QStringLiteral("BEGIN"))) {
        return storeFailure(query.lastError());
    }
    bool empty = false;
    std::optional<StoreFailure> failure = readMeta(&empty);
    query.exec(QStringLiteral("ROLLBACK"));
    if (!failure && empty && readOnly) {
        failure = failureOf(QStringLiteral("not a parts history"));
    }
    if (failure || readOnly || (!empty && schemaVersion_ == kSchemaVersion)) {
        return failure;
    }
    // A new file is made, an older one brought up to date, under the write lock taken at once,
    // so that two programs starting on a new file do not both create it.
    return inWriteTransaction(query, [&]() {
        failure = readMeta(&empty);
        if (!failure && empty) {
            for (const QString &statement : partSchemaStatements()) {
                if (!run(statement)) {
                    return false;
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
                    return false;
                }
                query.addBindValue(key);
                query.addBindValue(value);
                if (!query.exec()) {
                    return false;
                }
            }
            *created = true;
            failure = readMeta(&empty);
        }
        if (failure) {
            return false;
        }
        if (schemaVersion_ < kSchemaVersion) {
            for (const QString &statement : schemaUpgradeStatements(schemaVersion_)) {
                if (!run(statement)) {
                    return false;
                }
            }
            if (!query.prepare(
                    QStringLiteral("UPDATE meta SET value = ? WHERE key = 'schema_version'"))) {
                return false;
            }
            query.addBindValue(QString::number(kSchemaVersion));
            if (!query.exec()) {
                return false;
            }
            schemaVersion_ = kSchemaVersion;
        }
        return true;
    });
}

std::optional<StoreFailure> PartStore::setAside(QString *newName) {
    close();
    const QString stamp =
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString name = file_ + QStringLiteral(".damaged-") + stamp;
    for (int n = 2; QFileInfo::exists(name); ++n) {
        name = file_ + QStringLiteral(".damaged-") + stamp + QLatin1Char('-') + QString::number(n);
    }
    if (const std::optional<StoreFailure> failure = renameFile(file_, name)) {
        return failure;
    }
    // Its journal goes with it: left behind, it would be read into the new file.
    for (const QString &suffix : {QStringLiteral("-wal"), QStringLiteral("-shm")}) {
        if (QFileInfo::exists(file_ + suffix)) {
            renameFile(file_ + suffix, name + suffix);
        }
    }
    *newName = name;
    return std::nullopt;
}

void PartStore::reopen(Appended &appended) {
    const QString file = file_;
    const OpenOptions options = options_;
    const OpenOutcome outcome = open(file, options);
    appended.reopened = true;
    if (!outcome.ok()) {
        appended.failure = outcome.failure;
        return;
    }
    appended.notice = QStringLiteral(
                          "The parts history %1 was removed or replaced while in use; a new one "
                          "was started.")
                          .arg(QDir::toNativeSeparators(file_));
    if (!outcome.message.isEmpty()) {
        appended.notice += QLatin1Char('\r') + outcome.message;
    }
}

void PartStore::setHeld(bool held) {
    if (held == held_) {
        return;
    }
    held_ = held;
    if (open_) {
        QSqlQuery query(db_);
        query.exec(QStringLiteral("PRAGMA busy_timeout=%1").arg(busyTimeoutMs(options_, held)));
    }
}

Appended PartStore::append(const PartResult &part, const SetupSnapshot &setup, qint64 leastSerial) {
    Appended appended;
    if (replaced()) {
        reopen(appended);
    }
    if (!open_) {
        appended.failure =
            openFailure_.value_or(failureOf(QStringLiteral("the parts history is not open")));
        return appended;
    }
    QSqlQuery query(db_);
    const auto failed = [&](const StoreFailure &failure) {
        appended.failure = failure;
        appended.id = appended.serial = 0;
        if (failure.busy) {
            setHeld(true);
        }
        return appended;
    };
    // The write lock at once: a busy file fails here, within the busy timeout, before any work.
    if (!query.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        return failed(storeFailure(query.lastError()));
    }
    const auto fail = [&]() {
        const StoreFailure failure = storeFailure(query.lastError());
        query.finish();
        query.exec(QStringLiteral("ROLLBACK"));
        return failed(failure);
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
    setHeld(false);
    return appended;
}

}  // namespace zelapp
