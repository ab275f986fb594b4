#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <numeric>
#include <thread>

#include <unistd.h>

#include "file_size_limit.h"
#include "history/network_folder.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::characteristic;
using zeltest::goodPart;
using zeltest::OtherConnection;
using zeltest::snapshot;

namespace {

class PartStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("history/parts.db"));
    }
    // Opens `store` on the file; the test fails when it does not open.
    void openStore(PartStore &into, const OpenOptions &options = {}) {
        const OpenOutcome outcome = into.open(file, options);
        ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    }

    QTemporaryDir dir;
    QString file;
    PartStore store;
};

TEST_F(PartStoreTest, ANewFileGetsAUuidThatReopeningKeepsInWalMode) {
    OpenOutcome outcome = store.open(file);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.created);
    EXPECT_TRUE(outcome.message.isEmpty());
    const QString uuid = store.uuid();
    EXPECT_FALSE(QUuid::fromString(uuid).isNull());
    store.close();

    outcome = store.open(file);
    ASSERT_TRUE(outcome.ok());
    EXPECT_FALSE(outcome.created);
    EXPECT_EQ(store.uuid(), uuid);

    OtherConnection other(file);
    EXPECT_EQ(other.value(QStringLiteral("PRAGMA journal_mode")).toString(), u"wal");
    EXPECT_EQ(
        other.value(QStringLiteral("SELECT value FROM meta WHERE key = 'schema_version'")).toInt(),
        PartStore::kSchemaVersion);

    PartStore another;
    openStore(another);
    EXPECT_EQ(another.uuid(), uuid) << "two connections to one file, one name";
}

TEST_F(PartStoreTest, IdsAreNeverReusedEvenAfterTheLastPartIsDeleted) {
    openStore(store);
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 1);
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 2);
    {
        OtherConnection other(file);
        ASSERT_TRUE(other.exec(QStringLiteral("DELETE FROM part_values WHERE part_id = 2")));
        ASSERT_TRUE(other.exec(QStringLiteral("DELETE FROM parts WHERE id = 2")));
    }
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 3);
}

TEST_F(PartStoreTest, SerialsCountOnPerPartNumber) {
    openStore(store);
    std::vector<qint64> serials;
    for (const char *number : {"A-100", "A-100", "B-7", "A-100", "B-7"}) {
        const Appended appended = store.append(goodPart(QString::fromLatin1(number)), snapshot());
        ASSERT_TRUE(appended.ok());
        serials.push_back(appended.serial);
    }
    EXPECT_EQ(serials, (std::vector<qint64>{1, 2, 1, 3, 2}));
}

TEST_F(PartStoreTest, ARevisionIsReusedUntilALimitChangesAndStoredPartsKeepTheirs) {
    openStore(store);
    const qint64 first = store.append(goodPart(), snapshot()).id;
    const qint64 same = store.append(goodPart(), snapshot()).id;
    PartResult edited = goodPart();
    edited.characteristics[1].limits.hiTol = 0.025f;
    ASSERT_TRUE(store.append(edited, snapshot()).ok());
    SetupSnapshot newFormula = snapshot();
    newFormula.formulas[3] = QStringLiteral("T3");
    const qint64 afterFormula = store.append(edited, newFormula).id;

    const PartPage page = store.range(first, afterFormula, 10);
    ASSERT_FALSE(page.failure);
    ASSERT_EQ(page.parts.size(), 4u);
    EXPECT_EQ(page.parts[0].id, first);
    EXPECT_EQ(page.parts[1].id, same);
    EXPECT_EQ(page.parts[0].revision, page.parts[1].revision);
    EXPECT_NE(page.parts[2].revision, page.parts[1].revision);
    EXPECT_NE(page.parts[3].revision, page.parts[2].revision);

    std::optional<StoreFailure> failure;
    const std::vector<RevisionCharacteristic> old =
        store.revision(page.parts[0].revision, &failure);
    const std::vector<RevisionCharacteristic> now =
        store.revision(page.parts[2].revision, &failure);
    ASSERT_FALSE(failure);
    ASSERT_EQ(old.size(), 2u);
    EXPECT_EQ(old[1],
              (RevisionCharacteristic{
                  3, QStringLiteral("Bore 3"), QStringLiteral("(T2+T3)/2"), 4, QStringLiteral("mm"),
                  ToleranceLimits{-0.02f, -0.01f, 0.01f, 0.02f}, QString(), ToleranceSides::Both}));
    EXPECT_EQ(now[1].limits.hiTol, 0.025f);
    EXPECT_EQ(now[0], old[0]);
}

TEST_F(PartStoreTest, ACompletedPartRoundTripsWithANotValidCharacteristicAsNull) {
    openStore(store);
    PartResult part = goodPart();
    part.id = QStringLiteral("SN-0042");
    part.characteristics.push_back(characteristic(5, std::nullopt, ToleranceVerdict::NotValid));
    part.characteristics.back().reason = part_reason::rangeEnd(QLatin1Char('T'), 3);
    part.characteristics[1].verdict = ToleranceVerdict::WarningMinus;
    part.characteristics[0].value = 0.123456789f;
    part.verdict = ToleranceVerdict::NotValid;
    const Appended appended = store.append(part, snapshot());
    ASSERT_TRUE(appended.ok()) << appended.failure->cause.toStdString();

    const PartPage page = store.newestBefore(0, 10);
    ASSERT_EQ(page.parts.size(), 1u);
    const StoredPart &stored = page.parts[0];
    EXPECT_EQ(stored.id, appended.id);
    EXPECT_EQ(stored.time, part.ended);
    EXPECT_EQ(stored.time.offsetFromUtc(), 3600);
    EXPECT_EQ(stored.station, u"Gauge 2");
    EXPECT_EQ(stored.setupFile, u"/setups/shaft.zel");
    EXPECT_EQ(stored.number, u"A-100");
    EXPECT_EQ(stored.description, u"Shaft");
    EXPECT_EQ(stored.serial, 1);
    EXPECT_EQ(stored.verdict, u"NV");
    EXPECT_EQ(stored.reason, u"");
    EXPECT_TRUE(stored.completed);
    EXPECT_EQ(stored.partId, u"SN-0042");
    ASSERT_EQ(stored.values.size(), 3u);
    EXPECT_EQ(stored.values[0].value, double(0.123456789f)) << "the captured float, unrounded";
    EXPECT_EQ(stored.values[1].verdict, u"W-");
    EXPECT_EQ(stored.values[2].channel, 5);
    EXPECT_FALSE(stored.values[2].value.has_value());
    EXPECT_EQ(stored.values[2].verdict, u"NV");
    EXPECT_EQ(stored.values[2].reason, u"range end T3");

    OtherConnection other(file);
    EXPECT_TRUE(
        other.value(QStringLiteral("SELECT value FROM part_values WHERE channel = 5")).isNull());
}

TEST_F(PartStoreTest, APartNotCompletedIsStoredWithItsReasonAndNoValues) {
    openStore(store);
    PartResult part;
    part.number = QStringLiteral("A-100");
    part.started = QDateTime::currentDateTime();
    part.reason = part_reason::cancelled();
    ASSERT_TRUE(store.append(part, snapshot()).ok());

    const PartPage page = store.newestBefore(0, 1);
    ASSERT_EQ(page.parts.size(), 1u);
    EXPECT_FALSE(page.parts[0].completed);
    EXPECT_EQ(page.parts[0].verdict, u"NV");
    EXPECT_EQ(page.parts[0].reason, u"cancelled");
    EXPECT_TRUE(page.parts[0].values.empty());
    EXPECT_EQ(page.parts[0].time.toMSecsSinceEpoch(), part.started.toMSecsSinceEpoch())
        << "without an end, the start";
}

TEST_F(PartStoreTest, ADamagedFileIsSetAsideAndANewOneStarted) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
    const QByteArray garbage = QByteArray("These bytes were a parts history. ").repeated(100);
    for (const QString &name : {file, file + QStringLiteral("-wal")}) {
        QFile damaged(name);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
        damaged.write(garbage);
    }

    PartStore reader;
    EXPECT_FALSE(reader.open(file, {50, true}).ok()) << "a reader never sets a file aside";

    const OpenOutcome outcome = store.open(file);
    ASSERT_TRUE(outcome.ok()) << outcome.message.toStdString();
    EXPECT_TRUE(outcome.created);
    EXPECT_TRUE(outcome.setAside.startsWith(file + QStringLiteral(".damaged-")));
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("file is not a database")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.message.contains(outcome.setAside));
    QFile aside(outcome.setAside);
    ASSERT_TRUE(aside.open(QIODevice::ReadOnly));
    EXPECT_EQ(aside.readAll(), garbage);
    EXPECT_TRUE(QFileInfo::exists(outcome.setAside + QStringLiteral("-wal")));
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 1);
    store.close();

    // SQLite's header over a damaged inside: SQLite itself says so.
    {
        QFile damaged(file);
        ASSERT_TRUE(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
        damaged.write(QByteArray("SQLite format 3", 16) + QByteArray(4080, '\xA5'));
    }
    QFile::remove(file + QStringLiteral("-wal"));
    const OpenOutcome again = store.open(file);
    ASSERT_TRUE(again.ok()) << again.message.toStdString();
    EXPECT_FALSE(again.setAside.isEmpty());
    EXPECT_NE(again.setAside, outcome.setAside);
    EXPECT_EQ(store.append(goodPart(), snapshot()).id, 1);
}

TEST_F(PartStoreTest, AnotherProgramsDatabaseIsRefusedAndLeftAlone) {
    {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        OtherConnection other(file);
        ASSERT_TRUE(other.exec(QStringLiteral("CREATE TABLE recipes (name TEXT)")));
    }
    const OpenOutcome outcome = store.open(file);
    EXPECT_FALSE(outcome.ok());
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("not a parts history")));
    EXPECT_TRUE(outcome.setAside.isEmpty());
    EXPECT_FALSE(store.isOpen());
    EXPECT_FALSE(store.append(goodPart(), snapshot()).ok());
    OtherConnection other(file);
    EXPECT_TRUE(other.exec(QStringLiteral("SELECT name FROM recipes")));
}

TEST_F(PartStoreTest, AFolderIsRefusedAndNeverSetAside) {
    ASSERT_TRUE(QDir().mkpath(file));
    for (const bool readOnly : {false, true}) {
        const OpenOutcome outcome = store.open(file, {OpenOptions::kBusyTimeoutMs, readOnly});
        EXPECT_FALSE(outcome.ok());
        EXPECT_EQ(outcome.message,
                  QStringLiteral("The parts history %1 cannot be opened: it is a folder. Choose "
                                 "a file.")
                      .arg(QDir::toNativeSeparators(file)));
        EXPECT_TRUE(outcome.setAside.isEmpty());
        EXPECT_FALSE(store.isOpen());
    }
    EXPECT_TRUE(QFileInfo(file).isDir());
    EXPECT_EQ(QDir(QFileInfo(file).path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList{QStringLiteral("parts.db")});
}

TEST_F(PartStoreTest, AFileOfANewerSchemaIsRefused) {
    openStore(store);
    store.close();
    {
        OtherConnection other(file);
        ASSERT_TRUE(other.exec(
            QStringLiteral("UPDATE meta SET value = '99' WHERE key = 'schema_version'")));
    }
    const OpenOutcome outcome = store.open(file);
    EXPECT_FALSE(outcome.ok());
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("newer program")))
        << outcome.message.toStdString();
    EXPECT_TRUE(outcome.setAside.isEmpty());
}

TEST_F(PartStoreTest, AWriterHoldingTheFileMakesAnAppendFailAndTheNextOneSucceed) {
    openStore(store, {50, false});  // the busy timeout shortened for the test
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));

    const Appended failed = store.append(goodPart(), snapshot());
    ASSERT_FALSE(failed.ok());
    EXPECT_TRUE(failed.failure->cause.contains(QStringLiteral("locked")))
        << failed.failure->cause.toStdString();
    EXPECT_FALSE(failed.failure->damaged);
    EXPECT_EQ(store.newestBefore(0, 10).parts.size(), 1u) << "reading goes on meanwhile";

    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
    other.reset();
    const Appended appended = store.append(goodPart(), snapshot());
    ASSERT_TRUE(appended.ok());
    EXPECT_EQ(appended.serial, 2) << "the failed part counted nothing";
}

TEST_F(PartStoreTest, AFullDiskFailsAnAppendWithNothingOfItLeftAndTheStoreGoesOn) {
    openStore(store);
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    PartResult big = goodPart();
    big.description = QString(200000, QLatin1Char('x'));
    {
        const qint64 largest =
            qMax(QFileInfo(file).size(), QFileInfo(file + QStringLiteral("-wal")).size());
        zeltest::FileSizeLimit limit(std::size_t(largest) + 4096);
        ASSERT_TRUE(limit.active());
        const Appended failed = store.append(big, snapshot());
        ASSERT_FALSE(failed.ok());
        EXPECT_FALSE(failed.failure->cause.isEmpty());
    }
    const Appended appended = store.append(big, snapshot());
    ASSERT_TRUE(appended.ok()) << appended.failure->cause.toStdString();
    EXPECT_EQ(appended.serial, 2);
    EXPECT_EQ(store.newestBefore(0, 10).parts.size(), 2u);
}

TEST_F(PartStoreTest, AReadOnlyFileIsRefusedUntouchedAndOpensOnceWritableAgain) {
    if (geteuid() == 0) {
        GTEST_SKIP() << "file permissions do not hold for root";
    }
    openStore(store);
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    store.close();
    const QFile::Permissions readOnly = QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther;
    ASSERT_TRUE(QFile::setPermissions(file, readOnly));
    const OpenOutcome outcome = store.open(file);
    ASSERT_FALSE(outcome.ok());
    EXPECT_TRUE(outcome.message.contains(QStringLiteral("read-only")))
        << outcome.message.toStdString();
    EXPECT_FALSE(outcome.failure->damaged) << "a read-only file is never set aside";
    EXPECT_FALSE(store.append(goodPart(), snapshot()).ok());
    ASSERT_TRUE(QFile::setPermissions(file, readOnly | QFile::WriteOwner));
    openStore(store);
    EXPECT_EQ(store.newestBefore(0, 10).parts.size(), 1u);
    EXPECT_TRUE(QDir(dir.filePath(QStringLiteral("history")))
                    .entryList({QStringLiteral("*damaged*")})
                    .isEmpty());
}

TEST_F(PartStoreTest, PagesGoNewestFirstByIdAndFilter) {
    openStore(store);
    for (int i = 0; i < 7; ++i) {
        PartResult part = goodPart(i % 2 ? QStringLiteral("B") : QStringLiteral("A"));
        part.ended = part.ended.addSecs(i * 60);
        part.verdict = i == 4 ? ToleranceVerdict::RejectPlus : ToleranceVerdict::Good;
        ASSERT_TRUE(store.append(part, snapshot()).ok());
    }
    const auto ids = [](const PartPage &page) {
        std::vector<qint64> ids;
        for (const StoredPart &part : page.parts) {
            ids.push_back(part.id);
        }
        return ids;
    };
    EXPECT_EQ(ids(store.newestBefore(0, 3)), (std::vector<qint64>{7, 6, 5}));
    EXPECT_EQ(ids(store.newestBefore(5, 3)), (std::vector<qint64>{4, 3, 2}));
    EXPECT_EQ(ids(store.newestBefore(2, 3)), (std::vector<qint64>{1}));
    EXPECT_EQ(ids(store.range(2, 4, 10)), (std::vector<qint64>{2, 3, 4}));
    EXPECT_EQ(ids(store.newestBefore(0, 10, {{}, {}, QStringLiteral("B"), {}, {}})),
              (std::vector<qint64>{6, 4, 2}));
    // A number's first page comes by serial, the next ones along the ids: page by page, the
    // same parts in the same order.
    const PartFilter numberA{{}, {}, QStringLiteral("A"), {}, {}};
    EXPECT_EQ(ids(store.newestBefore(0, 2, numberA)), (std::vector<qint64>{7, 5}));
    EXPECT_EQ(ids(store.newestBefore(5, 2, numberA)), (std::vector<qint64>{3, 1}));
    EXPECT_EQ(ids(store.range(2, 100, 2, numberA)), (std::vector<qint64>{3, 5}));
    EXPECT_EQ(ids(store.range(6, 100, 2, numberA)), (std::vector<qint64>{7}));
    EXPECT_EQ(ids(store.newestBefore(0, 10, {{}, {}, {}, QStringLiteral("R+"), {}})),
              (std::vector<qint64>{5}));
    const QDateTime start = goodPart().ended;
    EXPECT_EQ(ids(store.range(0, 100, 10, {start.addSecs(60), start.addSecs(180), {}, {}, {}})),
              (std::vector<qint64>{2, 3}))
        << "since inclusive, until exclusive";
    EXPECT_EQ(store.newestBefore(0, 10).parts[0].values.size(), 2u);
}

TEST_F(PartStoreTest, AReaderSeesEachCommittedPartAndWritesNothing) {
    openStore(store);
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok());
    PartStore reader;
    openStore(reader, {OpenOptions::kBusyTimeoutMs, true});
    EXPECT_EQ(reader.uuid(), store.uuid());
    EXPECT_EQ(reader.newestBefore(0, 10).parts.size(), 1u);
    ASSERT_TRUE(store.append(goodPart(), snapshot()).ok())
        << "a reader between pages holds nothing";
    EXPECT_EQ(reader.newestBefore(0, 10).parts.size(), 2u);
    EXPECT_FALSE(reader.append(goodPart(), snapshot()).ok());
    EXPECT_FALSE(PartStore().open(dir.filePath(QStringLiteral("none.db")), {50, true}).ok());
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("none.db"))));
}

TEST_F(PartStoreTest, ThreadsWritingThroughTheirOwnConnectionsNeverShareASerial) {
    openStore(store);  // creates the file before the threads race for it
    constexpr int kEach = 15;
    std::vector<std::vector<qint64>> serials(2);
    std::vector<std::thread> threads;
    for (std::vector<qint64> &mine : serials) {
        threads.emplace_back([this, &mine] {
            PartStore own;
            if (!own.open(file).ok()) {
                return;
            }
            for (int i = 0; i < kEach; ++i) {
                const Appended appended = own.append(goodPart(), snapshot());
                if (appended.ok()) {
                    mine.push_back(appended.serial);
                }
            }
        });
    }
    for (std::thread &thread : threads) {
        thread.join();
    }
    std::vector<qint64> all = serials[0];
    all.insert(all.end(), serials[1].begin(), serials[1].end());
    std::sort(all.begin(), all.end());
    std::vector<qint64> expected(2 * kEach);
    std::iota(expected.begin(), expected.end(), 1);
    EXPECT_EQ(all, expected);
}

TEST(NetworkFolder, NetworkFileSystemsAreKnownByTheirTypeAndATemporaryFolderIsLocal) {
    EXPECT_EQ(networkFileSystemName(0x6969), u"NFS");
    EXPECT_EQ(networkFileSystemName(0xFF534D42), u"CIFS");
    EXPECT_EQ(networkFileSystemName(0xFE534D42), u"SMB2");
    EXPECT_EQ(networkFileSystemName(0xEF53), QString()) << "ext4";
    EXPECT_EQ(networkFileSystemName(0x01021994), QString()) << "tmpfs";
    QTemporaryDir dir;
    EXPECT_EQ(networkFileSystemOf(dir.filePath(QStringLiteral("not/yet/made"))), QString());
}

}  // namespace
