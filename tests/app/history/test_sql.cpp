// The store's one way to run a statement and a transaction: each failure comes back as the
// store's own, told busy or damaged as the operator is told; a write transaction not committed,
// or whose commit fails, leaves the file as it was.
#include <gtest/gtest.h>

#include <QFile>
#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QUuid>

#include "history/sql.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::OtherConnection;

namespace {

// SQLite's result codes, primary and extended, as the store classifies them.
struct CodeCase {
    int code;
    bool busy;
    bool damaged;
};

class StoreFailureCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(StoreFailureCode, SaysBusyOrDamagedByThePrimaryCode) {
    const StoreFailure failure = storeFailure(GetParam().code, QStringLiteral("words"));
    EXPECT_EQ(failure.busy, GetParam().busy);
    EXPECT_EQ(failure.damaged, GetParam().damaged);
    EXPECT_EQ(failure.cause, GetParam().busy ? QStringLiteral("locked by another program")
                                             : QStringLiteral("words"));
}

INSTANTIATE_TEST_SUITE_P(Codes, StoreFailureCode,
                         ::testing::Values(CodeCase{5, true, false},    // SQLITE_BUSY
                                           CodeCase{517, true, false},  // SQLITE_BUSY_SNAPSHOT
                                           CodeCase{11, false, true},   // SQLITE_CORRUPT
                                           CodeCase{267, false, true},  // SQLITE_CORRUPT_VTAB
                                           CodeCase{26, false, true},   // SQLITE_NOTADB
                                           CodeCase{6, false, false},   // SQLITE_LOCKED
                                           CodeCase{19, false, false},  // SQLITE_CONSTRAINT
                                           CodeCase{0, false, false}));

// A connection of its own on a WAL file holding one row, and another program's beside it.
class Sql : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        file_ = dir_.filePath(QStringLiteral("t.db"));
        db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name_);
        db_.setDatabaseName(file_);
        db_.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=20"));
        ASSERT_TRUE(db_.open());
        QSqlQuery query(db_);
        for (const char *statement :
             {"PRAGMA journal_mode=WAL", "PRAGMA foreign_keys=ON",
              "CREATE TABLE t (id INTEGER PRIMARY KEY, name TEXT NOT NULL)",
              "CREATE TABLE child (t_id INTEGER REFERENCES t(id) DEFERRABLE INITIALLY DEFERRED)",
              "INSERT INTO t VALUES (1, 'one')"}) {
            ASSERT_FALSE(runSql(query, QString::fromLatin1(statement))) << statement;
        }
        query.finish();
        other_ = std::make_unique<OtherConnection>(file_);
    }
    void TearDown() override {
        other_.reset();
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(name_);
    }
    qint64 rows() {
        QSqlQuery query(db_);
        QVariant count;
        EXPECT_FALSE(scalarSql(query, QStringLiteral("SELECT COUNT(*) FROM t"), {}, &count));
        return count.toLongLong();
    }

    QTemporaryDir dir_;
    QString file_;
    const QString name_ = QUuid::createUuid().toString(QUuid::WithoutBraces);
    QSqlDatabase db_;
    std::unique_ptr<OtherConnection> other_;
};

struct StatementCase {
    const char *sql;
    std::vector<QVariant> binds;
    bool heldByOther;  // another program holds the write lock
    const char *cause;
    bool busy;
};

class SqlFailure : public Sql, public ::testing::WithParamInterface<StatementCase> {};

TEST_P(SqlFailure, ComesBackAsTheStoresFailureAndLeavesTheRowsAsTheyWere) {
    const StatementCase &c = GetParam();
    if (c.heldByOther) {
        ASSERT_TRUE(other_->exec(QStringLiteral("BEGIN IMMEDIATE")));
    }
    QSqlQuery query(db_);
    const std::optional<StoreFailure> failure = runSql(query, QString::fromLatin1(c.sql), c.binds);
    ASSERT_TRUE(failure);
    EXPECT_TRUE(failure->cause.contains(QString::fromLatin1(c.cause)))
        << qPrintable(failure->cause);
    EXPECT_EQ(failure->busy, c.busy);
    EXPECT_FALSE(failure->damaged);
    if (c.heldByOther) {
        ASSERT_TRUE(other_->exec(QStringLiteral("ROLLBACK")));
    }
    EXPECT_EQ(rows(), 1);
}

INSTANTIATE_TEST_SUITE_P(
    Statements, SqlFailure,
    ::testing::Values(
        StatementCase{"SELEC id FROM t", {}, false, "syntax error", false},  // prepare
        StatementCase{"SELECT id FROM nowhere", {}, false, "no such table", false},
        StatementCase{"INSERT INTO t VALUES (?, ?)",
                      {1, QStringLiteral("again")},
                      false,
                      "UNIQUE constraint failed",
                      false},  // run
        // A null QString binds as NULL: why the store's text goes through sqlText().
        StatementCase{"INSERT INTO t VALUES (?, ?)",
                      {2, QString()},
                      false,
                      "NOT NULL constraint failed",
                      false},
        StatementCase{
            "INSERT INTO t VALUES (2, 'two')", {}, true, "locked by another program", true}));

TEST_F(Sql, AnUnreadableFileIsDamaged) {
    const QString garbage = dir_.filePath(QStringLiteral("garbage.db"));
    QFile file(garbage);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(4096, 'x'));
    file.close();
    const QString name = QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(garbage);
        ASSERT_TRUE(db.open());
        QSqlQuery query(db);
        QVariant value;
        const std::optional<StoreFailure> failure =
            scalarSql(query, QStringLiteral("SELECT COUNT(*) FROM sqlite_master"), {}, &value);
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->damaged) << qPrintable(failure->cause);
        EXPECT_FALSE(value.isValid());
    }
    QSqlDatabase::removeDatabase(name);
}

TEST_F(Sql, AScalarWithoutARowIsNullAndNoFailure) {
    QSqlQuery query(db_);
    QVariant value = 7;
    EXPECT_FALSE(scalarSql(query, QStringLiteral("SELECT name FROM t WHERE id = ?"), {2}, &value));
    EXPECT_TRUE(value.isNull());
    EXPECT_FALSE(scalarSql(query, QStringLiteral("SELECT name FROM t WHERE id = ?"), {1}, &value));
    EXPECT_EQ(value.toString(), QStringLiteral("one"));
}

TEST_F(Sql, AWriteTransactionLeftWithoutCommitRollsBack) {
    {
        WriteTransaction transaction(db_);
        ASSERT_FALSE(transaction.failure());
        QSqlQuery query(db_);
        ASSERT_FALSE(runSql(query, QStringLiteral("INSERT INTO t VALUES (2, 'two')")));
    }
    EXPECT_EQ(rows(), 1);
    {
        WriteTransaction transaction(db_);
        QSqlQuery query(db_);
        ASSERT_FALSE(runSql(query, QStringLiteral("INSERT INTO t VALUES (2, 'two')")));
        query.finish();
        EXPECT_FALSE(transaction.commit());
    }
    EXPECT_EQ(rows(), 2);
}

// A deferred foreign key fails the COMMIT itself: the transaction stays open and the guard rolls
// it back, leaving the connection free for the next one.
TEST_F(Sql, AFailedCommitRollsBackAtTheEndOfItsScope) {
    {
        WriteTransaction transaction(db_);
        QSqlQuery query(db_);
        ASSERT_FALSE(runSql(query, QStringLiteral("INSERT INTO t VALUES (2, 'two')")));
        ASSERT_FALSE(runSql(query, QStringLiteral("INSERT INTO child VALUES (99)")));
        query.finish();
        const std::optional<StoreFailure> failure = transaction.commit();
        ASSERT_TRUE(failure);
        EXPECT_TRUE(failure->cause.contains(QStringLiteral("FOREIGN KEY")))
            << qPrintable(failure->cause);
    }
    EXPECT_EQ(rows(), 1);
    WriteTransaction next(db_);
    EXPECT_FALSE(next.failure());
}

TEST_F(Sql, AWriteTransactionOnAHeldFileFailsBusyAtOnceAndCommitsNothing) {
    ASSERT_TRUE(other_->exec(QStringLiteral("BEGIN IMMEDIATE")));
    {
        WriteTransaction transaction(db_);
        ASSERT_TRUE(transaction.failure());
        EXPECT_TRUE(transaction.failure()->busy);
        EXPECT_TRUE(transaction.commit());
    }
    ASSERT_TRUE(other_->exec(QStringLiteral("INSERT INTO t VALUES (3, 'three')")));
    ASSERT_TRUE(other_->exec(QStringLiteral("COMMIT"))) << "the other's transaction was left alone";
    EXPECT_EQ(rows(), 2);
}

TEST_F(Sql, AReadTransactionSeesOneSnapshotAndEndsIt) {
    {
        ReadTransaction snapshot(db_);
        ASSERT_FALSE(snapshot.failure());
        EXPECT_EQ(rows(), 1);
        ASSERT_TRUE(other_->exec(QStringLiteral("INSERT INTO t VALUES (2, 'two')")));
        EXPECT_EQ(rows(), 1);
    }
    EXPECT_EQ(rows(), 2);
}

}  // namespace
