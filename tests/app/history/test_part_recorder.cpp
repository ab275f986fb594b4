#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "history/part_recorder.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::goodPart;
using zeltest::OtherConnection;
using zeltest::snapshot;

namespace {

class PartRecorderTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("parts.db"));
        ASSERT_TRUE(store.open(file, {20, false}).ok());  // a short busy timeout for the test
    }
    static PartResult part(const QString &number, const QString &id) {
        PartResult result = goodPart(number);
        result.id = id;
        return result;
    }
    std::vector<QString> storedIds() {
        std::vector<QString> ids;
        for (const StoredPart &stored : store.range(0, 1000, 1000).parts) {
            ids.push_back(stored.partId + QLatin1Char('#') + QString::number(stored.serial));
        }
        return ids;
    }

    QTemporaryDir dir;
    QString file;
    PartStore store;
    PartRecorder recorder{store};
};

TEST_F(PartRecorderTest, APartTheStoreTakesIsRecordedAtOnce) {
    const Recorded recorded =
        recorder.record(part(QStringLiteral("A"), QStringLiteral("p1")), snapshot());
    ASSERT_TRUE(recorded.stored.has_value());
    EXPECT_EQ(recorded.stored->serial, 1);
    EXPECT_FALSE(recorded.failure.has_value());
    EXPECT_EQ(recorder.notRecorded(), 0);
}

TEST_F(PartRecorderTest, PartsKeptWhileTheStoreFailsAreWrittenInOrderWhenItWorksAgain) {
    ASSERT_TRUE(
        recorder.record(part(QStringLiteral("A"), QStringLiteral("p1")), snapshot()).stored);
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));

    Recorded recorded =
        recorder.record(part(QStringLiteral("A"), QStringLiteral("p2")), snapshot());
    EXPECT_FALSE(recorded.stored);
    ASSERT_TRUE(recorded.failure);
    EXPECT_TRUE(recorded.failure->cause.contains(QStringLiteral("locked")));
    EXPECT_TRUE(recorded.firstFailure);
    EXPECT_EQ(recorded.serial, 2) << "serials are counted on in memory and kept when written";
    recorded = recorder.record(part(QStringLiteral("B"), QStringLiteral("p3")), snapshot());
    EXPECT_EQ(recorded.serial, 1);
    EXPECT_TRUE(recorded.failure);
    EXPECT_FALSE(recorded.firstFailure) << "the operator is told once";
    recorded = recorder.retry();
    EXPECT_FALSE(recorded.firstFailure);
    EXPECT_EQ(recorder.notRecorded(), 2);
    ASSERT_EQ(recorder.waitingParts().size(), 2u);
    EXPECT_EQ(recorder.waitingParts()[1].id, u"p3");

    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
    other.reset();
    recorded = recorder.record(part(QStringLiteral("A"), QStringLiteral("p4")), snapshot());
    ASSERT_TRUE(recorded.stored);
    EXPECT_EQ(recorded.written, 2);
    EXPECT_EQ(recorded.stored->serial, 3);
    EXPECT_EQ(recorder.notRecorded(), 0);
    EXPECT_EQ(storedIds(), (std::vector<QString>{QStringLiteral("p1#1"), QStringLiteral("p2#2"),
                                                 QStringLiteral("p3#1"), QStringLiteral("p4#3")}));
}

TEST_F(PartRecorderTest, RetryWritesTheKeptPartsAndAFailureAfterRecoveryIsToldAgain) {
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_TRUE(recorder.record(goodPart(), snapshot()).firstFailure);
    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));

    Recorded recorded = recorder.retry();
    EXPECT_EQ(recorded.written, 1);
    EXPECT_FALSE(recorded.failure);
    EXPECT_EQ(recorder.notRecorded(), 0);
    EXPECT_EQ(recorder.retry().written, 0);

    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_TRUE(recorder.record(goodPart(), snapshot()).firstFailure);
    ASSERT_TRUE(other->exec(QStringLiteral("ROLLBACK")));
}

// Whatever the store's trouble, a part kept in memory carries the serial it is then stored with,
// or none (pending) when that cannot be known yet.
TEST_F(PartRecorderTest, AKeptPartsSerialIsTheOneItIsStoredWithOrPending) {
    const auto a = [](const char *id) { return part(QStringLiteral("A"), QLatin1String(id)); };
    for (const char *id : {"p1", "p2"}) {
        ASSERT_TRUE(recorder.record(a(id), snapshot()).stored);
    }
    // A fresh recorder (a new start) on a file held by another writer: the file still reads.
    PartRecorder fresh(store);
    auto other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_EQ(fresh.record(a("p3"), snapshot()).serial, 3);
    other.reset();
    Recorded recorded = fresh.retry();
    ASSERT_TRUE(recorded.newestWritten);
    EXPECT_EQ(recorded.newestWritten->stored.serial, 3);

    // A store that cannot read the file: pending, and so are the parts of that number behind it.
    store.close();
    recorded = fresh.record(a("p4"), snapshot());
    EXPECT_EQ(recorded.serial, 0);
    EXPECT_EQ(fresh.record(a("p5"), snapshot()).serial, 0);
    ASSERT_TRUE(store.open(file).ok());
    // Its serial known now, the next part of the number still waits behind the pending ones.
    ASSERT_TRUE(store.append(a("other"), snapshot()).ok());  // another writer took 4
    recorded = fresh.retry();
    EXPECT_EQ(recorded.written, 2);
    EXPECT_EQ(recorded.newestWritten->stored.serial, 6);

    // Kept parts counted in one file leave the next ones pending in another.
    other = std::make_unique<OtherConnection>(file);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_EQ(fresh.record(a("p7"), snapshot()).serial, 7);
    other.reset();
    const QString second = dir.filePath(QStringLiteral("second.db"));
    ASSERT_TRUE(store.open(second).ok());
    other = std::make_unique<OtherConnection>(second);
    ASSERT_TRUE(other->exec(QStringLiteral("BEGIN IMMEDIATE")));
    EXPECT_EQ(fresh.record(a("p8"), snapshot()).serial, 0);
    EXPECT_EQ(fresh.record(part(QStringLiteral("B"), QStringLiteral("b1")), snapshot()).serial, 1);
    other.reset();
    EXPECT_EQ(fresh.retry().written, 3);
    EXPECT_EQ(storedIds(), (std::vector<QString>{QStringLiteral("p7#7"), QStringLiteral("p8#8"),
                                                 QStringLiteral("b1#1")}));
}

TEST_F(PartRecorderTest, AClosedStoreKeepsEveryPart) {
    store.close();
    const Recorded recorded = recorder.record(goodPart(), snapshot());
    EXPECT_TRUE(recorded.firstFailure);
    EXPECT_EQ(recorder.notRecorded(), 1);
    ASSERT_TRUE(store.open(file).ok());
    EXPECT_EQ(recorder.retry().written, 1);
    EXPECT_EQ(storedIds().size(), 1u);
}

}  // namespace
