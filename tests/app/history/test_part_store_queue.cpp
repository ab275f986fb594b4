// The history's second schema: a file of the first brought up to date, nominals and sides kept
// with the revision, and the DFQ export queue written with the part.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "history/dfq_queue.h"
#include "history/part_events.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::goodPart;
using zeltest::OtherConnection;
using zeltest::snapshot;

namespace {

// The fingerprint the first schema gave the revision of goodPart() with snapshot(): an upgraded
// file must find it again.
constexpr char kVersion1Fingerprint[] =
    "086628ec4d17f5aa6d41979f4037ab81e5874a96d8519371cc18b42a0ad16436";

// A history as the first schema wrote it: one part of goodPart(), its revision and values.
void makeVersion1File(const QString &file) {
    OtherConnection db(file);
    const char *statements[] = {
        "CREATE TABLE meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
        "CREATE TABLE revisions (id INTEGER PRIMARY KEY AUTOINCREMENT,"
        " fingerprint BLOB NOT NULL UNIQUE)",
        "CREATE TABLE revision_characteristics (revision_id INTEGER NOT NULL REFERENCES"
        " revisions(id), position INTEGER NOT NULL, channel INTEGER NOT NULL, description TEXT NOT"
        " NULL, formula TEXT NOT NULL, decimals INTEGER NOT NULL, units TEXT NOT NULL, lo_tol REAL"
        " NOT NULL, lo_appr REAL NOT NULL, hi_appr REAL NOT NULL, hi_tol REAL NOT NULL,"
        " PRIMARY KEY (revision_id, position)) WITHOUT ROWID",
        "CREATE TABLE parts (id INTEGER PRIMARY KEY AUTOINCREMENT, time_ms INTEGER NOT NULL,"
        " utc_offset INTEGER NOT NULL, station TEXT NOT NULL, setup_file TEXT NOT NULL,"
        " revision_id INTEGER NOT NULL REFERENCES revisions(id), part_number TEXT NOT NULL,"
        " description TEXT NOT NULL, serial INTEGER NOT NULL, verdict TEXT NOT NULL, reason TEXT"
        " NOT NULL, completed INTEGER NOT NULL, part_id TEXT NOT NULL,"
        " UNIQUE (part_number, serial))",
        "CREATE INDEX parts_time ON parts (time_ms)",
        "CREATE TABLE part_values (part_id INTEGER NOT NULL REFERENCES parts(id), position INTEGER"
        " NOT NULL, channel INTEGER NOT NULL, value REAL, verdict TEXT NOT NULL, reason TEXT NOT"
        " NULL, PRIMARY KEY (part_id, position)) WITHOUT ROWID",
        "PRAGMA journal_mode=WAL",
        "INSERT INTO meta VALUES ('uuid', '0f8fad5b-d9cb-469f-a165-70867728950e'),"
        " ('schema_version', '1'), ('created', '2026-03-04T09:00:00.000Z')",
        "INSERT INTO revision_characteristics VALUES"
        " (1, 0, 1, 'Bore 1', 'T1', 4, 'mm', -0.02, -0.01, 0.01, 0.02),"
        " (1, 1, 3, 'Bore 3', '(T2+T3)/2', 4, 'mm', -0.02, -0.01, 0.01, 0.02)",
        "INSERT INTO parts VALUES (1, 1772614801234, 3600, 'Gauge 2', '/setups/shaft.zel', 1,"
        " 'A-100', 'Shaft', 1, 'G', '', 1, '')",
        "INSERT INTO part_values VALUES (1, 0, 1, 0.0012, 'G', ''), (1, 1, 3, -0.0034, 'G', '')",
    };
    for (const char *statement : statements) {
        ASSERT_TRUE(db.exec(QString::fromLatin1(statement))) << statement;
    }
    ASSERT_TRUE(db.exec(QStringLiteral("INSERT INTO revisions VALUES (1, X'%1')")
                            .arg(QLatin1StringView(kVersion1Fingerprint))));
}

class PartStoreQueueTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("parts.db"));
    }
    QTemporaryDir dir;
    QString file;
    PartStore store;
};

TEST_F(PartStoreQueueTest, AVersion1FileIsReadAsItIsAndUpgradedWhenOpenedForWriting) {
    makeVersion1File(file);
    std::optional<StoreFailure> failure;
    {
        PartStore reader;
        ASSERT_TRUE(reader.open(file, {OpenOptions::kBusyTimeoutMs, true}).ok());
        const std::vector<RevisionCharacteristic> revision = reader.revision(1, &failure);
        ASSERT_FALSE(failure);
        ASSERT_EQ(revision.size(), 2u);
        EXPECT_EQ(revision[1].nominal, QString());
        EXPECT_EQ(revision[1].sides, ToleranceSides::Both);
        EXPECT_TRUE(DfqQueue(reader).pendingExports(10, &failure).empty());
        EXPECT_EQ(DfqQueue(reader).pendingExportCount(&failure), 0);
        EXPECT_TRUE(PartEvents(reader).events(QStringLiteral("A-100"), 1, &failure).empty());
        EXPECT_FALSE(failure) << "a file without a queue has nothing waiting";
        OtherConnection other(file);
        EXPECT_EQ(other
                      .value(QStringLiteral("SELECT value FROM meta"
                                            " WHERE key = 'schema_version'"))
                      .toInt(),
                  1)
            << "read only: untouched";
    }

    ASSERT_TRUE(store.open(file).ok());
    OtherConnection other(file);
    EXPECT_EQ(
        other.value(QStringLiteral("SELECT value FROM meta WHERE key = 'schema_version'")).toInt(),
        2);
    PartEvent stage{0, {}, PartEventKind::NewStage, QStringLiteral("A-100"), 1, 0, {}, {}, {}};
    EXPECT_FALSE(PartEvents(store).addEvent(stage)) << "the upgrade brings the events table";
    // The unchanged setup finds its revision again; a nominal or a side makes new ones.
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 2);
    SetupSnapshot withNominal = snapshot();
    withNominal.nominals[3] = QStringLiteral("0.005");
    SetupSnapshot upperOnly = snapshot();
    upperOnly.sides[1] = ToleranceSides::UpperOnly;
    ASSERT_TRUE(store.append(goodPart(), withNominal).ok());
    ASSERT_TRUE(store.append(goodPart(), upperOnly).ok());
    ASSERT_TRUE(store.append(goodPart(), withNominal).ok());
    const PartPage page = store.range(1, 5, 10);
    ASSERT_EQ(page.parts.size(), 5u);
    std::vector<qint64> revisions;
    for (const StoredPart &part : page.parts) {
        revisions.push_back(part.revision);
    }
    EXPECT_EQ(revisions, (std::vector<qint64>{1, 1, 2, 3, 2}));

    EXPECT_EQ(store.revision(1, &failure)[0].nominal, QString());
    const std::vector<RevisionCharacteristic> nominal = store.revision(2, &failure);
    const std::vector<RevisionCharacteristic> sided = store.revision(3, &failure);
    ASSERT_FALSE(failure);
    EXPECT_EQ(nominal[1].nominal, u"0.005");
    EXPECT_EQ(nominal[0].nominal, QString());
    EXPECT_EQ(sided[0].sides, ToleranceSides::UpperOnly);
    EXPECT_EQ(sided[1].sides, ToleranceSides::Both);
    EXPECT_EQ(other
                  .value(QStringLiteral("SELECT sides FROM revision_characteristics"
                                        " WHERE revision_id = 3 AND position = 0"))
                  .toString(),
              u"upper");
}

TEST_F(PartStoreQueueTest, APartIsQueuedInItsOwnTransactionOnlyWhenAFolderIsSet) {
    ASSERT_TRUE(store.open(file).ok());
    SetupSnapshot queued = snapshot();
    queued.dfqFolder = QStringLiteral("/mnt/q");
    std::optional<StoreFailure> failure;
    OtherConnection other(file);
    qint64 seenInside = -1;
    store.setCommitHook([&]() {
        seenInside = other.value(QStringLiteral("SELECT COUNT(*) FROM dfq_exports")).toLongLong();
    });
    ASSERT_TRUE(store.append(goodPart(), queued).ok());
    EXPECT_EQ(seenInside, 0) << "not visible before the part commits";
    store.setCommitHook({});
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    ASSERT_TRUE(store.append(goodPart(), queued).ok());

    // A queue entry that cannot be written takes its part with it.
    ASSERT_TRUE(
        other.exec(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON dfq_exports"
                                  " BEGIN SELECT RAISE(ABORT, 'queue refused'); END")));
    const Appended refused = store.append(goodPart(), queued);
    ASSERT_FALSE(refused.ok());
    EXPECT_TRUE(refused.failure->cause.contains(QStringLiteral("queue refused")));
    EXPECT_EQ(other.value(QStringLiteral("SELECT COUNT(*) FROM parts")).toInt(), 3);

    const std::vector<ExportEntry> waiting = DfqQueue(store).pendingExports(10, &failure);
    ASSERT_FALSE(failure);
    EXPECT_EQ(waiting, (std::vector<ExportEntry>{{1, QStringLiteral("/mnt/q"), QString()},
                                                 {3, QStringLiteral("/mnt/q"), QString()}}));
    EXPECT_EQ(DfqQueue(store).pendingExports(10, &failure, 1).size(), 1u) << "after the first";
    EXPECT_EQ(DfqQueue(store).pendingExports(1, &failure).size(), 1u);
}

TEST_F(PartStoreQueueTest, WrittenThenDoneTakesEntriesOutOfTheQueueAndEveryConnectionSeesIt) {
    ASSERT_TRUE(store.open(file).ok());
    SetupSnapshot queued = snapshot();
    queued.dfqFolder = QStringLiteral("/mnt/q");
    for (int n = 0; n < 4; ++n) {
        ASSERT_TRUE(store.append(goodPart(), queued).ok());
    }
    ASSERT_FALSE(DfqQueue(store).markExportWritten({1, 2}, QStringLiteral(".t-1.tmp")));
    PartStore sender;  // the program's sending thread has a connection of its own
    ASSERT_TRUE(sender.open(file).ok());
    std::optional<StoreFailure> failure;
    std::vector<ExportEntry> waiting = DfqQueue(sender).pendingExports(10, &failure);
    ASSERT_EQ(waiting.size(), 4u);
    EXPECT_EQ(waiting[1].tempName, u".t-1.tmp");
    EXPECT_EQ(waiting[2].tempName, QString());

    ASSERT_FALSE(DfqQueue(sender).markExportDone({1, 2}));
    EXPECT_EQ(DfqQueue(store).pendingExportCount(&failure), 2);
    waiting = DfqQueue(store).pendingExports(10, &failure);
    ASSERT_EQ(waiting.size(), 2u);
    EXPECT_EQ(waiting[0].partId, 3);

    const PartPage parts = store.partsWithIds({4, 2, 99});
    ASSERT_FALSE(parts.failure);
    ASSERT_EQ(parts.parts.size(), 2u);
    EXPECT_EQ(parts.parts[0].id, 2);
    EXPECT_EQ(parts.parts[1].values.size(), 2u);

    PartStore reader;
    ASSERT_TRUE(reader.open(file, {OpenOptions::kBusyTimeoutMs, true}).ok());
    EXPECT_EQ(DfqQueue(reader).pendingExportCount(&failure), 2);
    EXPECT_FALSE(failure);
}

}  // namespace
