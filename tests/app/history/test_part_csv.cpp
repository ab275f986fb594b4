#include <gtest/gtest.h>

#include <QBuffer>
#include <QTemporaryDir>
#include <QTimeZone>

#include "history/part_csv.h"
#include "part_filler.h"
#include "part_samples.h"

using namespace zelapp;
using zeltest::characteristic;
using zeltest::goodPart;
using zeltest::snapshot;

namespace {

constexpr const char *kHeader =
    "id,time,station,part_number,serial,verdict,reason,completed,part_id";

class PartCsvTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(QStringLiteral("parts.db"));
    }
    void openStore() { ASSERT_TRUE(store.open(file).ok()); }
    void append(const PartResult &part, const SetupSnapshot &setup = snapshot()) {
        ASSERT_TRUE(store.append(part, setup).ok());
    }
    // The CSV of the filter's parts as lines, each still ending in "\r".
    QList<QByteArray> csv(const PartFilter &filter = {}, const CsvProgress &progress = {}) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        outcome = writePartsCsv(store, filter, out, progress);
        text = out.data();
        QList<QByteArray> lines = text.split('\n');
        if (!lines.isEmpty() && lines.last().isEmpty()) {
            lines.removeLast();
        }
        return lines;
    }

    QTemporaryDir dir;
    QString file;
    PartStore store;
    CsvOutcome outcome;
    QByteArray text;
};

TEST_F(PartCsvTest, NoPartsGiveTheHeaderRowOnly) {
    openStore();
    csv();
    EXPECT_EQ(text, QByteArray(kHeader) + "\r\n");
    EXPECT_EQ(outcome.rows, 0);
    EXPECT_FALSE(outcome.failure);
}

TEST_F(PartCsvTest, TextsAreQuotedAsRfc4180SaysAndOnlyWhenTheyMustBe) {
    openStore();
    PartResult part = goodPart(QStringLiteral("A,1"));
    part.id = QStringLiteral("say \"hi\"");
    part.characteristics[0].description = QStringLiteral("Bore\r\nTop");
    SetupSnapshot setup = snapshot();
    setup.station = QStringLiteral("Gauge ü");
    append(part, setup);

    csv();
    EXPECT_EQ(text.toStdString(), std::string(kHeader) +
                                      ",\"C1 Bore\r\nTop\",C3 Bore 3\r\n"
                                      "1,2026-03-04T10:00:01.234+01:00,Gauge ü,\"A,1\",1,G,,1,"
                                      "\"say \"\"hi\"\"\",0.0012,-0.0034\r\n")
        << "a line break inside a field is quoted, and each row still ends in CRLF";
}

TEST_F(PartCsvTest, ColumnsAreTheUnionOfTheChannelsNamedByTheNewestRevisionHoldingEach) {
    openStore();
    PartResult first = goodPart();
    first.characteristics[1].description = QStringLiteral("Old name");  // channels 1, 3
    append(first);
    PartResult second = goodPart();
    second.characteristics = {characteristic(5, 1.5f, ToleranceVerdict::RejectPlus),
                              characteristic(3, std::nullopt, ToleranceVerdict::NotValid)};
    second.characteristics[0].decimals = 1;
    second.verdict = ToleranceVerdict::NotValid;
    second.reason = part_reason::readFailed();
    append(second);
    PartResult incomplete = goodPart(QStringLiteral("B-2"));
    incomplete.completed = false;
    incomplete.characteristics.clear();
    incomplete.verdict = ToleranceVerdict::NotValid;
    incomplete.reason = part_reason::cancelled();
    append(incomplete);

    const QList<QByteArray> lines = csv();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[0], QByteArray(kHeader) + ",C1 Bore 1,C3 Bore 3,C5 Bore 5\r");
    EXPECT_TRUE(lines[1].endsWith(",G,,1,,0.0012,-0.0034,\r")) << lines[1].toStdString();
    EXPECT_TRUE(lines[2].endsWith(",NV,read failed,1,,,,1.5\r"))
        << "not valid and absent are empty; values at their revision's decimals: "
        << lines[2].toStdString();
    EXPECT_TRUE(lines[3].endsWith(",B-2,1,NV,cancelled,0,,,,\r")) << lines[3].toStdString();

    PartFilter onlyFirst;
    onlyFirst.until = goodPart().ended.addSecs(1);
    onlyFirst.number = QStringLiteral("A-100");
    const QList<QByteArray> filtered = csv(onlyFirst);
    EXPECT_EQ(filtered.size(), 3) << "both A-100 parts share the time, B-2 is filtered out";
    EXPECT_EQ(filtered[0], QByteArray(kHeader) + ",C1 Bore 1,C3 Bore 3,C5 Bore 5\r");
}

TEST_F(PartCsvTest, EachTimeIsWrittenAtItsOwnOffset) {
    openStore();
    PartResult part = goodPart();
    for (const int offset : {0, -5 * 3600 - 30 * 60, 14 * 3600}) {
        part.ended = QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 7), QTimeZone(offset));
        append(part);
    }
    const QList<QByteArray> lines = csv();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_TRUE(lines[1].startsWith("1,2026-12-31T23:59:59.007+00:00,"));
    EXPECT_TRUE(lines[2].startsWith("2,2026-12-31T23:59:59.007-05:30,"));
    EXPECT_TRUE(lines[3].startsWith("3,2026-12-31T23:59:59.007+14:00,"));
}

TEST_F(PartCsvTest, PagesAreReadToTheEndAndProgressCanCancel) {
    ASSERT_TRUE(zeltest::fillParts(file, goodPart(), snapshot(), 2500));
    openStore();
    std::vector<std::pair<qint64, qint64>> told;
    const auto record = [&](qint64 rows, qint64 total) {
        told.emplace_back(rows, total);
        return true;
    };
    EXPECT_EQ(csv({}, record).size(), 2501);
    EXPECT_EQ(outcome.rows, 2500);
    ASSERT_FALSE(told.empty());
    EXPECT_EQ(told.back(), std::make_pair(qint64(2500), qint64(2500)));
    EXPECT_TRUE(text.endsWith("\r\n"));
    EXPECT_TRUE(text.contains("\r\n2500,"));

    const QList<QByteArray> cancelled = csv({}, [](qint64, qint64) { return false; });
    EXPECT_TRUE(outcome.cancelled);
    EXPECT_GT(outcome.rows, 0);
    EXPECT_LT(outcome.rows, 2500);
    EXPECT_EQ(cancelled.size(), outcome.rows + 1) << "no row beyond the ones counted";
}

TEST_F(PartCsvTest, AnOutputThatCannotBeWrittenIsAFailure) {
    openStore();
    append(goodPart());
    QBuffer closed;  // never opened: every write fails
    const CsvOutcome failed = writePartsCsv(store, {}, closed);
    ASSERT_TRUE(failed.failure);
    EXPECT_FALSE(failed.failure->damaged);
}

}  // namespace
