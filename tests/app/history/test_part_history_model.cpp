// The history's table model on temporary files: Qt's model rules (QAbstractItemModelTester),
// pages newest first, the filter's boundaries, new parts on top, the columns and cells, and a
// file it cannot read.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "history/part_details.h"
#include "history/part_history_model.h"
#include "part_filler.h"
#include "part_samples.h"

using namespace zelapp;
using namespace Qt::StringLiterals;
using zeltest::characteristic;
using zeltest::goodPart;
using zeltest::snapshot;

namespace {

const QDateTime kNoon(QDate(2026, 3, 4), QTime(12, 0, 0), Qt::OffsetFromUTC, 3600);
const ZonePalette kPalette{QColor(0, 200, 0), QColor(250, 200, 0), QColor(200, 0, 0)};

class PartHistoryModelTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        file = dir.filePath(u"parts.db"_s);
    }
    // Appends a part ended at `when`; its id.
    qint64 append(const QDateTime &when, const QString &number = u"A-100"_s,
                  ToleranceVerdict verdict = ToleranceVerdict::Good,
                  std::vector<CharacteristicResult> values = {}) {
        if (!writer.isOpen()) {
            EXPECT_TRUE(writer.open(file).ok());
        }
        PartResult part = goodPart(number);
        part.started = when.addMSecs(-500);
        part.ended = when;
        part.verdict = verdict;
        if (!values.empty()) {
            part.characteristics = std::move(values);
        }
        return writer.append(part, snapshot()).id;
    }
    std::unique_ptr<PartHistoryModel> model(const PartFilter &filter = {}) {
        auto m = std::make_unique<PartHistoryModel>(file, filter);
        m->setZonePalette(kPalette);
        tester = std::make_unique<QAbstractItemModelTester>(
            m.get(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        return m;
    }
    std::vector<qint64> ids(const PartHistoryModel &m) {
        std::vector<qint64> out;
        for (int row = 0; row < m.rowCount(); ++row) {
            out.push_back(m.part(row).id);
        }
        return out;
    }
    QString cell(const PartHistoryModel &m, int row, int column, int role = Qt::DisplayRole) {
        return m.data(m.index(row, column), role).toString();
    }

    QTemporaryDir dir;
    QString file;
    PartStore writer;
    std::unique_ptr<QAbstractItemModelTester> tester;
};

TEST_F(PartHistoryModelTest, PagesComeNewestFirstUntilTheOldestAndKeepTheModelRules) {
    ASSERT_TRUE(zeltest::fillParts(file, goodPart(), snapshot(), 450));
    auto m = std::make_unique<PartHistoryModel>(file);
    EXPECT_EQ(m->rowCount(), PartHistoryModel::kPageSize);  // the first page at once
    EXPECT_EQ(m->part(0).id, 450);
    EXPECT_TRUE(m->canFetchMore({}));
    m->fetchMore({});
    m->fetchMore({});
    EXPECT_FALSE(m->canFetchMore({}));
    const std::vector<qint64> read = ids(*m);
    ASSERT_EQ(read.size(), 450u);
    for (std::size_t i = 0; i < read.size(); ++i) {
        ASSERT_EQ(read[i], 450 - static_cast<qint64>(i));
    }
    m->fetchMore({});  // nothing more: no row twice
    EXPECT_EQ(m->rowCount(), 450);
    EXPECT_TRUE(m->lastError().isEmpty());
    // The tester reads every page itself, and checks each change.
    m = model();
    EXPECT_EQ(m->rowCount(), 450);
}

TEST_F(PartHistoryModelTest, CellsShowTimeNumberSerialVerdictAndSignedValuesInTheirZones) {
    append(kNoon, u"A-100"_s, ToleranceVerdict::RejectPlus,
           {characteristic(3, -0.0034f, ToleranceVerdict::Good),
            characteristic(1, 0.0251f, ToleranceVerdict::RejectPlus),
            characteristic(2, std::nullopt, ToleranceVerdict::NotValid)});
    auto m = model();
    ASSERT_EQ(m->rowCount(), 1);
    ASSERT_EQ(m->columnCount(), 7);  // channels in order, whatever the program's order
    EXPECT_EQ(m->headerData(4, Qt::Horizontal).toString(), u"C1 Bore 1"_s);
    EXPECT_EQ(m->headerData(6, Qt::Horizontal).toString(), u"C3 Bore 3"_s);
    EXPECT_EQ(m->channelAt(5), 2);
    EXPECT_EQ(m->channelAt(PartHistoryModel::VerdictColumn), 0);
    EXPECT_EQ(cell(*m, 0, 0), kNoon.toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s));
    EXPECT_EQ(m->headerData(1, Qt::Horizontal).toString(), u"Part number"_s);
    EXPECT_EQ(cell(*m, 0, 1), u"A-100"_s);
    EXPECT_EQ(cell(*m, 0, 2), u"1"_s);
    EXPECT_EQ(cell(*m, 0, 3), u"R+ REJECT"_s);
    EXPECT_EQ(cell(*m, 0, 6), u"-0.0034"_s);
    EXPECT_EQ(cell(*m, 0, 4), u"+0.0251 ✖ ▲"_s);  // a mark beside the colour
    EXPECT_EQ(cell(*m, 0, 5), u"—"_s);
    EXPECT_EQ(m->data(m->index(0, 4), Qt::BackgroundRole).value<QColor>(), kPalette.reject);
    EXPECT_EQ(m->data(m->index(0, 6), Qt::BackgroundRole).value<QColor>(), kPalette.good);
    EXPECT_EQ(m->data(m->index(0, 3), Qt::BackgroundRole).value<QColor>(), kPalette.reject);
    EXPECT_FALSE(m->data(m->index(0, 5), Qt::BackgroundRole).isValid());  // not valid: neutral
    EXPECT_EQ(cell(*m, 0, 4, Qt::AccessibleTextRole), u"C1 Bore 1: +0.0251 mm, REJECT high"_s);
    EXPECT_EQ(cell(*m, 0, 5, Qt::ToolTipRole), u"C2 Bore 2: —, NOT VALID"_s);
    EXPECT_EQ(signedValueText(-0.00001, 4), u"0.0000"_s);
    EXPECT_EQ(signedValueText(1.5, 0), u"+2"_s);
}

TEST_F(PartHistoryModelTest, APartWithANewChannelInsertsItsColumn) {
    ASSERT_TRUE(zeltest::fillParts(file, goodPart(), snapshot(), 300));
    auto m = model();
    EXPECT_EQ(m->columnCount(), 6);  // C1 and C3
    EXPECT_EQ(m->rowCount(), 300);
    append(kNoon, u"B-7"_s, ToleranceVerdict::Good,
           {characteristic(2, 0.001f, ToleranceVerdict::Good)});
    m->partAdded();
    ASSERT_EQ(m->columnCount(), 7);
    EXPECT_EQ(m->headerData(5, Qt::Horizontal).toString(), u"C2 Bore 2"_s);
    EXPECT_EQ(cell(*m, 0, 5), u"+0.0010"_s);
    EXPECT_TRUE(m->data(m->index(1, 5)).isNull());  // the other parts had no C2
}

TEST_F(PartHistoryModelTest, TheFilterTakesItsBoundariesNumberAndVerdict) {
    const qint64 before = append(kNoon.addSecs(-1));
    const qint64 at = append(kNoon);
    const qint64 other = append(kNoon.addSecs(30), u"B-7"_s, ToleranceVerdict::WarningMinus);
    const qint64 last = append(kNoon.addSecs(60));
    PartFilter filter;
    filter.since = kNoon;              // inclusive
    filter.until = kNoon.addSecs(60);  // exclusive
    auto m = model(filter);
    EXPECT_EQ(ids(*m), (std::vector<qint64>{other, at}));
    filter.number = u"A-100"_s;
    m->setFilter(filter);
    EXPECT_EQ(ids(*m), (std::vector<qint64>{at}));
    filter.number.clear();
    filter.verdict = u"W-"_s;
    m->setFilter(filter);
    EXPECT_EQ(ids(*m), (std::vector<qint64>{other}));
    m->setFilter({});
    EXPECT_EQ(ids(*m), (std::vector<qint64>{last, other, at, before}));
    // Today: from the last local midnight, with no end.
    const QDateTime now = QDateTime(QDate(2026, 3, 4), QTime(0, 0, 1));
    const PartFilter today = todayFilter(now);
    EXPECT_EQ(*today.since, QDateTime(QDate(2026, 3, 4), QTime(0, 0)));
    EXPECT_FALSE(today.until.has_value());
}

TEST_F(PartHistoryModelTest, NewPartsGoOnTopWhenTheFilterSelectsThem) {
    append(kNoon);
    PartFilter filter;
    filter.since = kNoon;
    filter.until = kNoon.addSecs(3600);
    filter.number = u"A-100"_s;
    auto m = model(filter);
    ASSERT_EQ(m->rowCount(), 1);
    const qint64 a = append(kNoon.addSecs(1));
    append(kNoon.addSecs(2), u"B-7"_s);         // another number
    append(kNoon.addSecs(3600));                // at the end: outside
    const qint64 b = append(kNoon.addSecs(3));  // id above the one outside
    m->partAdded();
    EXPECT_EQ(ids(*m), (std::vector<qint64>{b, a, 1}));
    m->partAdded();  // nothing new: nothing twice
    EXPECT_EQ(m->rowCount(), 3);
}

TEST_F(PartHistoryModelTest, APrefixSelectsItsNumbersAndTheirNewPartsAndTheNumbersAreOffered) {
    const qint64 a = append(kNoon, u"Shaft-1"_s);
    append(kNoon.addSecs(1), u"Bolt"_s);
    PartFilter filter;
    filter.numberPrefix = u"sHAFT"_s;
    auto m = model(filter);
    EXPECT_EQ(ids(*m), (std::vector<qint64>{a}));
    // A number first recorded after the filter was set is selected too.
    const qint64 b = append(kNoon.addSecs(2), u"SHAFT-2"_s);
    append(kNoon.addSecs(3), u"Bolt"_s);
    m->partAdded();
    EXPECT_EQ(ids(*m), (std::vector<qint64>{b, a}));
    EXPECT_EQ(m->partNumbers(), (QStringList{u"Bolt"_s, u"SHAFT-2"_s, u"Shaft-1"_s}));
}

TEST_F(PartHistoryModelTest, AFileThatIsNotThereYetFillsWhenItsFirstPartComes) {
    auto m = model();
    EXPECT_TRUE(m->partNumbers().isEmpty());
    EXPECT_EQ(m->rowCount(), 0);
    EXPECT_TRUE(m->lastError().isEmpty());
    append(kNoon);
    m->partAdded();
    EXPECT_EQ(m->rowCount(), 1);
}

TEST_F(PartHistoryModelTest, ADamagedFileIsAMessageNotACrash) {
    QFile damaged(file);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(QByteArray(8192, 'x'));
    damaged.close();
    auto m = std::make_unique<PartHistoryModel>(file);
    QSignalSpy failed(m.get(), &PartHistoryModel::failed);
    m->partAdded();
    EXPECT_EQ(m->rowCount(), 0);
    EXPECT_FALSE(m->lastError().isEmpty());
    EXPECT_EQ(failed.count(), 1);
    EXPECT_TRUE(QFile::exists(file));  // read-only: never set aside
}

TEST_F(PartHistoryModelTest, AStoreThatFailsKeepsTheRowsReadBefore) {
    ASSERT_TRUE(zeltest::fillParts(file, goodPart(), snapshot(), 250));
    auto m = std::make_unique<PartHistoryModel>(file);
    ASSERT_EQ(m->rowCount(), 200);
    {
        zeltest::OtherConnection other(file);
        ASSERT_TRUE(other.exec(u"DROP TABLE part_values"_s));
    }
    m->fetchMore({});
    EXPECT_EQ(m->rowCount(), 200);
    EXPECT_FALSE(m->lastError().isEmpty());
    EXPECT_FALSE(m->canFetchMore({}));
}

TEST_F(PartHistoryModelTest, DetailsNameThePartAndTheLimitsThatJudgedIt) {
    append(kNoon, u"A-100"_s, ToleranceVerdict::RejectPlus,
           {characteristic(1, 0.0251f, ToleranceVerdict::RejectPlus)});
    auto m = model();
    const PartDetails details = partDetails(m->part(0), m->revision(m->part(0).revision));
    const auto field = [&](const QString &label) {
        for (const auto &[l, text] : details.fields) {
            if (l == label) {
                return text;
            }
        }
        return QString();
    };
    EXPECT_EQ(field(u"Setup file"_s), u"/setups/shaft.zel"_s);
    EXPECT_EQ(field(u"Station"_s), u"Gauge 2"_s);
    EXPECT_EQ(field(u"Verdict"_s), u"R+ REJECT high"_s);
    ASSERT_EQ(details.rows.size(), 1u);
    EXPECT_EQ(details.rows[0], (QStringList{u"C1"_s, u"Bore 1"_s, u"T1"_s, u"4"_s, u"mm"_s,
                                            u"-0.0200"_s, u"-0.0100"_s, u"+0.0100"_s, u"+0.0200"_s,
                                            u"+0.0251"_s, u"R+ REJECT high"_s, u"—"_s}));
}

}  // namespace
