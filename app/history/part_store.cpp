#include "history/part_store.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlQuery>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "base/private_folder.h"
#include "history/network_folder.h"
#include "history/sql.h"
#include "history/sqlite_file.h"

namespace zelapp {

namespace {

StoreFailure failureOf(const QString &cause) {
    return {cause, false};
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

OpenOutcome refused(const QString &cause, const QString &message) {
    OpenOutcome outcome;
    outcome.failure = failureOf(cause);
    outcome.message = message;
    return outcome;
}

// How long a connection waits for a lock another connection holds.
int busyTimeoutMs(const OpenOptions &options, bool held) {
    return held ? std::min(options.busyTimeoutMs, OpenOptions::kHeldBusyTimeoutMs)
                : options.busyTimeoutMs;
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

std::optional<OpenOutcome> PartStore::refusal(const OpenOptions &options) const {
    const QString folder = QFileInfo(file_).absolutePath();
    const QString network = networkFileSystemOf(folder);
    if (!network.isEmpty()) {
        return refused(QStringLiteral("on a network file system (%1)").arg(network),
                       QStringLiteral("The parts history cannot be kept in %1: it is on a "
                                      "network file system (%2). Choose a folder on this "
                                      "computer.")
                           .arg(QDir::toNativeSeparators(folder), network));
    }
    // A folder is never a history, nor set aside as a damaged one.
    if (QFileInfo(file_).isDir()) {
        return refused(QStringLiteral("it is a folder"),
                       QStringLiteral("The parts history %1 cannot be opened: it is a folder. "
                                      "Choose a file.")
                           .arg(QDir::toNativeSeparators(file_)));
    }
    // A folder made here (the default location) is the user's alone; see openFile().
    if (options.readOnly ? !QFileInfo::exists(file_) : !makePrivateFolder(folder)) {
        const QString cause = options.readOnly ? QStringLiteral("no such file")
                                               : QStringLiteral("the folder cannot be made");
        return refused(cause, QStringLiteral("The parts history %1 cannot be opened: %2.")
                                  .arg(QDir::toNativeSeparators(file_), cause));
    }
    // Opened by SQLite, a read-only file would get read-only -wal and -shm files beside it that
    // keep the history unwritable after its own permission is mended: refused untouched.
    if (!options.readOnly && ((QFileInfo::exists(file_) && !QFileInfo(file_).isWritable()) ||
                              !QFileInfo(folder).isWritable())) {
        const QString cause = QStringLiteral("the file or its folder is read-only");
        return refused(cause, QStringLiteral("The parts history %1 cannot be written: %2.")
                                  .arg(QDir::toNativeSeparators(file_), cause));
    }
    return std::nullopt;
}

OpenOutcome PartStore::openPath(const OpenOptions &options) {
    if (std::optional<OpenOutcome> refused = refusal(options)) {
        return *refused;
    }
    OpenOutcome outcome;
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
            if (absent && isPrivateFolder(QFileInfo(file_).absolutePath())) {
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
        runSql(query, QStringLiteral("PRAGMA busy_timeout=%1").arg(busyTimeoutMs(options_, held)));
    }
}

}  // namespace zelapp
