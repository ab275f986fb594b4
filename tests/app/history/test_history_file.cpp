// The history's file as the file system and other programs see it: the process keeps its locks
// on it whatever else of the program opens it, a file removed or replaced while in use is
// followed by the next part, a file another program holds costs the busy timeout once and says
// so, and the folder the store makes is the user's alone.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <functional>
#include <memory>

#include "history/part_events.h"
#include "history/part_schema.h"
#include "history_locks.h"
#include "part_samples.h"

using namespace zelapp;
using namespace Qt::StringLiterals;
using zeltest::goodPart;
using zeltest::OtherConnection;
using zeltest::partsCountedByShell;
using zeltest::snapshot;

namespace {

// The connections the program makes to its history besides the recorder's store.
enum class Connection {
    Writer,    // the DFQ export's thread
    Reader,    // the history and statistics windows
    OneEvent,  // the statistics' event, written on a connection of its own and closed
};

std::unique_ptr<PartStore> connectTo(Connection kind, const QString &file) {
    auto store = std::make_unique<PartStore>();
    OpenOptions options;
    options.readOnly = kind == Connection::Reader;
    EXPECT_TRUE(store->open(file, options).ok());
    if (kind == Connection::OneEvent) {
        PartEvent event;
        event.partNumber = u"A-100"_s;
        event.channel = 1;
        EXPECT_FALSE(PartEvents(*store).addEvent(event).has_value());
        store->close();
    }
    return store;
}

struct LockCase {
    const char *name;
    std::vector<Connection> before;  // opened before the recorder's store
    std::vector<Connection> after;
};

void PrintTo(const LockCase &c, std::ostream *os) {
    *os << c.name;
}

class HistoryLocks : public ::testing::TestWithParam<LockCase> {};

// Another program (the sqlite3 shell) opens the file read-write and closes it while the
// program's connections are open: it must see that they are, and leave the log alone.
TEST_P(HistoryLocks, AnotherProgramOpeningTheFileLeavesTheLogAndTheNextPartIsThere) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"parts.db"_s);
    {
        PartStore made;  // as an earlier start left it
        ASSERT_TRUE(made.open(file).ok());
    }
    std::vector<std::unique_ptr<PartStore>> others;
    for (const Connection kind : GetParam().before) {
        others.push_back(connectTo(kind, file));
    }
    PartStore recorder;
    ASSERT_TRUE(recorder.open(file).ok());
    for (const Connection kind : GetParam().after) {
        others.push_back(connectTo(kind, file));
    }
    ASSERT_TRUE(recorder.append(goodPart(), snapshot()).ok());
    EXPECT_TRUE(zeltest::holdsLock(::getpid(), file)) << "the process holds no lock on the file";

    EXPECT_EQ(partsCountedByShell(file), u"1"_s);
    EXPECT_TRUE(QFileInfo::exists(file + u"-wal"_s)) << "the other program deleted the log";
    ASSERT_TRUE(recorder.append(goodPart(), snapshot()).ok());
    EXPECT_EQ(partsCountedByShell(file), u"2"_s) << "a part committed into a deleted log";
    EXPECT_TRUE(zeltest::holdsLock(::getpid(), file));
}

INSTANTIATE_TEST_SUITE_P(
    EveryConnection, HistoryLocks,
    ::testing::Values(LockCase{"RecorderAlone", {}, {}},
                      LockCase{"ReaderAfter", {}, {Connection::Reader}},
                      LockCase{"ReaderBefore", {Connection::Reader}, {}},
                      LockCase{"WriterAfter", {}, {Connection::Writer}},
                      LockCase{"WriterBefore", {Connection::Writer}, {}},
                      LockCase{"EventWrittenAndClosed", {}, {Connection::OneEvent}},
                      LockCase{"EveryKind",
                               {Connection::Reader, Connection::Writer},
                               {Connection::OneEvent, Connection::Reader, Connection::Writer}}),
    [](const ::testing::TestParamInfo<LockCase> &info) { return std::string(info.param.name); });

// ---- A file removed or replaced while in use ----

void removeWithLog(const QString &file) {
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
        QFile::remove(file + suffix);
    }
}

void renameWithLog(const QString &from, const QString &to) {
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
        if (QFileInfo::exists(from + suffix)) {
            ASSERT_TRUE(QFile::rename(from + suffix, to + suffix));
        }
    }
}

struct ReplaceCase {
    const char *name;
    // Does it to `file`; gives the parts the path names then and its UUID (empty: a new file).
    std::function<void(const QString &file, qint64 *parts, QString *uuid)> replace;
};

void PrintTo(const ReplaceCase &c, std::ostream *os) {
    *os << c.name;
}

class ReplacedHistory : public ::testing::TestWithParam<ReplaceCase> {};

TEST_P(ReplacedHistory, TheNextPartGoesToWhatThePathNamesNowAndTheOperatorIsToldOnce) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"parts.db"_s);
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    const QString first = store.uuid();
    EXPECT_FALSE(store.replaced());

    qint64 there = 0;
    QString uuid;
    GetParam().replace(file, &there, &uuid);
    EXPECT_TRUE(store.replaced());
    const Appended appended = store.append(goodPart(), snapshot());
    ASSERT_TRUE(appended.ok()) << appended.failure->cause.toStdString();
    EXPECT_TRUE(appended.reopened);
    EXPECT_EQ(
        appended.notice,
        u"The parts history %1 was removed or replaced while in use; a new one was started."_s.arg(
            QDir::toNativeSeparators(file)));
    EXPECT_EQ(appended.serial, there + 1);
    EXPECT_EQ(store.uuid(), uuid.isEmpty() ? store.uuid() : uuid);
    EXPECT_NE(store.uuid(), first);
    EXPECT_EQ(partsCountedByShell(file), QString::number(there + 1));

    const Appended next = store.append(goodPart(), snapshot());
    ASSERT_TRUE(next.ok());
    EXPECT_FALSE(next.reopened);
    EXPECT_TRUE(next.notice.isEmpty()) << "told once";
}

INSTANTIATE_TEST_SUITE_P(
    EveryWay, ReplacedHistory,
    ::testing::Values(ReplaceCase{"RemovedWithItsLog", [](const QString &file, qint64 *,
                                                          QString *) { removeWithLog(file); }},
                      ReplaceCase{"RenamedAway",
                                  [](const QString &file, qint64 *, QString *) {
                                      renameWithLog(file, file + u".old"_s);
                                      // The file renamed keeps the part it had.
                                      EXPECT_EQ(partsCountedByShell(file + u".old"_s), u"1"_s);
                                  }},
                      ReplaceCase{"ReplacedByAnotherHistory",
                                  [](const QString &file, qint64 *parts, QString *uuid) {
                                      const QString other = file + u".restored"_s;
                                      {
                                          PartStore restored;
                                          ASSERT_TRUE(restored.open(other).ok());
                                          for (int n = 0; n < 3; ++n) {
                                              ASSERT_TRUE(
                                                  restored.append(goodPart(), snapshot()).ok());
                                          }
                                          *uuid = restored.uuid();
                                      }
                                      *parts = 3;
                                      QFile::remove(file + u"-wal"_s);
                                      QFile::remove(file + u"-shm"_s);
                                      ASSERT_EQ(::rename(QFile::encodeName(other).constData(),
                                                         QFile::encodeName(file).constData()),
                                                0);
                                  }}),
    [](const ::testing::TestParamInfo<ReplaceCase> &info) { return std::string(info.param.name); });

TEST(ReplacedHistory, AFolderGoneWithTheFileIsMadeAgainAndAReaderIsNotReopened) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"history"_s);
    const QString file = folder + u"/parts.db"_s;
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    PartStore reader;
    ASSERT_TRUE(reader.open(file, {100, true}).ok());
    ASSERT_TRUE(QDir(folder).removeRecursively());
    EXPECT_TRUE(reader.replaced()) << "its owner opens it again (the program's fileChanged)";

    const Appended appended = store.append(goodPart(), snapshot());
    ASSERT_TRUE(appended.ok()) << appended.failure->cause.toStdString();
    EXPECT_TRUE(appended.reopened);
    EXPECT_EQ(appended.serial, 1);
    ASSERT_TRUE(reader.open(file, {100, true}).ok());
    EXPECT_FALSE(reader.replaced());
    EXPECT_EQ(reader.newestBefore(0, 10).parts.size(), 1u);
}

// ---- A file another program holds ----

TEST(HeldHistory, AFileAnotherWriterHoldsOpensAtOnceAndCostsTheBusyTimeoutOncePerStretch) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"parts.db"_s);
    constexpr int kBusyMs = 1000;
    {
        PartStore made;
        ASSERT_TRUE(made.open(file).ok());
        ASSERT_TRUE(made.append(goodPart(), snapshot()).ok());
    }
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(u"BEGIN IMMEDIATE"_s));

    PartStore store;
    ASSERT_TRUE(store.open(file, {kBusyMs, false}).ok()) << "only read while it opens";
    EXPECT_EQ(store.lastSerial(goodPart().number), 1);
    Appended failed = store.append(goodPart(), snapshot());
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.failure->busy);
    EXPECT_EQ(failed.failure->cause, u"locked by another program"_s);

    // A bound, not a wait: each of these would take the whole busy timeout if it waited it.
    QElapsedTimer running;
    running.start();
    for (int n = 0; n < 3; ++n) {
        EXPECT_FALSE(store.append(goodPart(), snapshot()).ok());
    }
    EXPECT_LT(running.elapsed(), kBusyMs) << "the operator waited on the held file again";

    ASSERT_TRUE(other->exec(u"ROLLBACK"_s));
    other.reset();
    const Appended appended = store.append(goodPart(), snapshot());
    ASSERT_TRUE(appended.ok());
    EXPECT_EQ(appended.serial, 2);
}

TEST(HeldHistory, AFileLockedAtOpenSaysSoAndTheClosedStoreFailsWithThatCause) {
    QTemporaryDir dir;
    const QString file = dir.filePath(u"parts.db"_s);
    {
        PartStore made;
        ASSERT_TRUE(made.open(file).ok());
    }
    // Not even read: a program holding the file in exclusive locking mode.
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(u"PRAGMA locking_mode=EXCLUSIVE"_s));
    ASSERT_TRUE(other->exec(u"BEGIN EXCLUSIVE"_s));

    PartStore store;
    const OpenOutcome outcome = store.open(file, {100, false});
    ASSERT_FALSE(outcome.ok());
    EXPECT_TRUE(outcome.failure->busy);
    EXPECT_TRUE(outcome.message.endsWith(u": locked by another program."_s))
        << outcome.message.toStdString();
    EXPECT_FALSE(store.lastSerial(goodPart().number).has_value());
    const Appended failed = store.append(goodPart(), snapshot());
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.failure->cause, u"locked by another program"_s) << "not \"not open\"";

    other.reset();
    ASSERT_TRUE(store.open(file).ok());
    EXPECT_TRUE(store.append(goodPart(), snapshot()).ok());
}

// ---- Who may read it ----

mode_t modeOf(const QString &path) {
    struct stat info = {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 0;
}

TEST(HistoryPermissions, AFolderTheStoreMakesAndTheHistoryInItAreTheUsersAlone) {
    QTemporaryDir dir;
    const QString folder = dir.filePath(u"zelapp"_s);
    const QString file = folder + u"/parts.db"_s;
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    EXPECT_EQ(modeOf(folder), 0700u);
    for (const QString &suffix : {u""_s, u"-wal"_s, u"-shm"_s}) {
        EXPECT_EQ(modeOf(file + suffix), 0600u) << suffix.toStdString();
    }
    // Started again in the same folder after the file went: as private.
    store.close();
    removeWithLog(file);
    ASSERT_TRUE(store.open(file).ok());
    EXPECT_EQ(modeOf(file), 0600u);
}

TEST(HistoryPermissions, AFolderOthersMayEnterKeepsItsDefault) {
    QTemporaryDir dir;
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const QString file = dir.filePath(u"parts.db"_s);
    const mode_t mask = ::umask(0);
    ::umask(mask);
    PartStore store;
    ASSERT_TRUE(store.open(file).ok());
    EXPECT_EQ(modeOf(dir.path()), 0755u);
    EXPECT_EQ(modeOf(file), 0644u & ~mask) << "SQLite's own, as another program's reader needs";
}

}  // namespace
