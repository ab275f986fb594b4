// The series from the history: the events and a channel's values in the store, stages at each
// revision and each "stage" event, exclusions, not valid parts, frozen limits, the period.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTimeZone>
#include <cmath>

#include "history/channel_values.h"
#include "history/part_events.h"
#include "history/part_samples.h"
#include "stats/stats_events.h"
#include "stats/stats_series.h"

using namespace zelapp;
using namespace Qt::StringLiterals;
using zeltest::goodPart;
using zeltest::snapshot;

namespace {

const QString kNumber = QStringLiteral("A-100");

class StatsSeriesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        ASSERT_TRUE(store.open(dir.filePath(QStringLiteral("parts.db"))).ok());
    }

    // A part at minute `minute` whose channel 1 reads `value` (none: not valid) against a high
    // tolerance of `hiTol`.
    qint64 add(int minute, std::optional<float> value, float hiTol = 0.02f,
               ToleranceVerdict verdict = ToleranceVerdict::Good) {
        PartResult part = goodPart(kNumber);
        part.ended = base().addSecs(minute * 60);
        part.characteristics[0].value = value;
        part.characteristics[0].limits.hiTol = hiTol;
        part.verdict = value ? verdict : ToleranceVerdict::NotValid;
        if (!value) {
            part.characteristics[0].verdict = ToleranceVerdict::NotValid;
        }
        const Appended appended = store.append(part, snapshot());
        EXPECT_TRUE(appended.ok());
        return appended.id;
    }

    PartEvent event(PartEventKind kind, int minute, qint64 partId = 0, QString data = {}) {
        PartEvent e{0,
                    base().addSecs(minute * 60),
                    kind,
                    kNumber,
                    1,
                    partId,
                    QStringLiteral("anna"),
                    QStringLiteral("tool change"),
                    data};
        EXPECT_FALSE(PartEvents(store).addEvent(e));
        return e;
    }

    static QDateTime base() { return QDateTime(QDate(2026, 3, 4), QTime(8, 0), QTimeZone(3600)); }

    static std::vector<double> valuesOf(const StatsStage &stage) {
        std::vector<double> out;
        for (const SeriesValue &v : stage.values) {
            out.push_back(std::round(v.value * 1e4) / 1e4);
        }
        return out;
    }

    QTemporaryDir dir;
    PartStore store;
};

}  // namespace

TEST_F(StatsSeriesTest, EventsAreKeptPerCharacteristicInOrder) {
    const PartEvent first = event(PartEventKind::FreezeLimits, 1, 0, QStringLiteral("x"));
    const PartEvent second = event(PartEventKind::Cause, 2, 7);
    PartEvent other = second;
    other.id = 0;
    other.channel = 3;
    ASSERT_FALSE(PartEvents(store).addEvent(other));
    EXPECT_GT(first.id, 0);
    EXPECT_GT(second.id, first.id);
    std::optional<StoreFailure> failure;
    const std::vector<PartEvent> events = PartEvents(store).events(kNumber, 1, &failure);
    ASSERT_FALSE(failure);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], first);
    EXPECT_EQ(events[1], second);
    EXPECT_EQ(PartEvents(store).events(QStringLiteral("B-7"), 1, &failure).size(), 0u);

    // A part's breaks are stored together: each gets its id, in order.
    std::vector<PartEvent> several{first, second};
    ASSERT_FALSE(PartEvents(store).addEvents(several));
    EXPECT_GT(several[0].id, other.id);
    EXPECT_EQ(several[1].id, several[0].id + 1);
    EXPECT_EQ(PartEvents(store).events(kNumber, 1, &failure).size(), 4u);
    store.close();
    EXPECT_TRUE(PartEvents(store).addEvents(several).has_value());
}

TEST_F(StatsSeriesTest, ChannelValuesInOrderWithTheirValidity) {
    add(0, 0.001f);
    add(1, std::nullopt);
    add(2, 0.003f, 0.02f, ToleranceVerdict::WarningPlus);
    PartResult other = goodPart(QStringLiteral("B-7"));
    ASSERT_TRUE(store.append(other, snapshot()).ok());
    std::optional<StoreFailure> failure;
    const auto rows = ChannelValues(store).channelValues(kNumber, 1, &failure);
    ASSERT_FALSE(failure);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0].serial, 1);
    EXPECT_NEAR(*rows[0].value, 0.001, 1e-7);
    EXPECT_FALSE(rows[1].value.has_value());
    EXPECT_TRUE(rows[1].partNotValid);
    EXPECT_FALSE(rows[2].partNotValid);
    EXPECT_EQ(rows[2].time, base().addSecs(120));
    EXPECT_EQ(ChannelValues(store).channelValues(u"B-7"_s, 1, &failure).size(), 1u);
    EXPECT_EQ(ChannelValues(store).channelValues(kNumber, 2, &failure).size(), 0u);
    // An untitled setup's parts have no part number: their statistics are theirs alone.
    EXPECT_EQ(ChannelValues(store).channelValues(QString(), 1, &failure).size(), 0u);
    ASSERT_TRUE(store.append(goodPart(QString()), snapshot()).ok());
    EXPECT_EQ(readStatsSeries(store, QString(), 1, {}).stages.at(0).values.size(), 1u);
    ASSERT_FALSE(failure);
}

TEST_F(StatsSeriesTest, StagesAtRevisionsAndStageEvents) {
    add(0, 0.001f);
    add(1, 0.002f);
    add(2, std::nullopt);   // not valid: left out
    add(3, 0.003f, 0.03f);  // another revision
    add(4, 0.004f, 0.03f);
    event(PartEventKind::NewStage, 5);
    add(6, 0.006f, 0.03f);
    const StatsSeries series = readStatsSeries(store, kNumber, 1, {});
    ASSERT_FALSE(series.failure);
    ASSERT_EQ(series.stages.size(), 3u);
    EXPECT_EQ(valuesOf(series.stages[0]), (std::vector<double>{0.001, 0.002}));
    EXPECT_EQ(valuesOf(series.stages[1]), (std::vector<double>{0.003, 0.004}));
    EXPECT_EQ(valuesOf(series.stages[2]), (std::vector<double>{0.006}));
    EXPECT_NE(series.stages[0].revision, series.stages[1].revision);
    EXPECT_EQ(series.stages[2].revision, series.stages[1].revision);
    EXPECT_FLOAT_EQ(series.stages[1].characteristic.limits.hiTol, 0.03f);
    EXPECT_EQ(series.stages[1].characteristic.channel, 1);
    EXPECT_EQ(series.stages[1].start, base().addSecs(180));
    EXPECT_EQ(series.events.size(), 1u);
}

TEST_F(StatsSeriesTest, ExclusionsMarkAndThePeriodCuts) {
    std::vector<qint64> ids;
    for (int minute = 0; minute < 6; ++minute) {
        ids.push_back(add(minute, 0.001f * float(minute)));
    }
    event(PartEventKind::Exclude, 10, ids[2]);
    StatsSeries series = readStatsSeries(store, kNumber, 1, {});
    ASSERT_EQ(series.stages.size(), 1u);
    ASSERT_EQ(series.stages[0].values.size(), 6u);
    EXPECT_TRUE(series.stages[0].values[2].excluded);
    EXPECT_FALSE(series.stages[0].values[3].excluded);
    EXPECT_EQ(series.stages[0].values[2].partId, ids[2]);

    PartFilter period;
    period.since = base().addSecs(60);
    period.until = base().addSecs(5 * 60);
    series = readStatsSeries(store, kNumber, 1, period, 2);
    ASSERT_EQ(series.stages.size(), 1u);
    EXPECT_EQ(valuesOf(series.stages[0]), (std::vector<double>{0.003, 0.004}));
}

TEST_F(StatsSeriesTest, FrozenLimitsDoNotMoveWhenPartsAreAdded) {
    for (int minute = 0; minute < 10; ++minute) {
        add(minute, 0.001f * float(minute % 3));
    }
    StatsSeries series = readStatsSeries(store, kNumber, 1, {});
    ASSERT_EQ(series.stages.size(), 1u);
    const StatsResult before = computeStats(series.stages[0].values, {});
    const FrozenLimits frozen{before.kind, 1, before.first, before.second,
                              *before.sigmaWithinLimits};
    event(PartEventKind::FreezeLimits, 11, 0, frozenLimitsText(frozen));
    for (int minute = 12; minute < 20; ++minute) {
        add(minute, 0.01f + 0.002f * float(minute % 2));
    }
    series = readStatsSeries(store, kNumber, 1, {});
    ASSERT_EQ(series.stages.size(), 1u);
    ASSERT_EQ(series.stages[0].frozen, frozen);
    StatsOptions options;
    options.frozen = series.stages[0].frozen;
    const StatsResult after = computeStats(series.stages[0].values, options);
    EXPECT_EQ(after.first, before.first);
    EXPECT_EQ(after.second, before.second);
    EXPECT_TRUE(after.limitsFrozen);
    EXPECT_NE(computeStats(series.stages[0].values, {}).first, before.first)
        << "unfrozen, the new parts would have moved them";

    // A new stage after a tool change has limits of its own, not the frozen ones.
    event(PartEventKind::NewStage, 21);
    add(22, 0.0f);
    series = readStatsSeries(store, kNumber, 1, {});
    ASSERT_EQ(series.stages.size(), 2u);
    EXPECT_TRUE(series.stages[0].frozen.has_value());
    EXPECT_FALSE(series.stages[1].frozen.has_value());
}

TEST(StatsEvents, FrozenLimitsTextRoundTripsToTheBit) {
    const FrozenLimits limits{
        ChartKind::XbarR, 5, {0.1 / 3, 1.0 / 7, 2.0 / 3}, {0, 0.3, 0.61}, 0.123456789012345678};
    const QString text = frozenLimitsText(limits);
    EXPECT_TRUE(text.startsWith(QStringLiteral("chart=xbar-r;k=5;first=")));
    EXPECT_EQ(parseFrozenLimits(text), limits);
    for (const char *bad : {"", "chart=imr;k=1;first=1,2,3;second=0,1,2",
                            "chart=imr;k=5;first=1,2,3;second=0,1,2;sigma=1",
                            "chart=xbar-r;k=30;first=1,2,3;second=0,1,2;sigma=1",
                            "chart=imr;k=1;first=1,x,3;second=0,1,2;sigma=1",
                            "chart=imr;k=1;first=1,2;second=0,1,2;sigma=1",
                            "chart=imr;k=1;first=1,2,3;second=0,1,2;sigma=-1"}) {
        EXPECT_FALSE(parseFrozenLimits(QString::fromLatin1(bad))) << bad;
    }
}

// The watch reads only the newest revision's run, for every channel at once: its stages must be
// the whole history's last ones, frozen limits and all.
TEST_F(StatsSeriesTest, TheLastStagesOfTheNewestRunAreTheWholeHistorysLast) {
    const auto expectSameLast = [this](const char *when) {
        SCOPED_TRACE(when);
        std::optional<StoreFailure> failure;
        const std::map<int, StageEnds> last =
            readStageEnds(store, kNumber, {1, 2, 3}, {100, 1, 100}, &failure);
        ASSERT_FALSE(failure);
        EXPECT_EQ(last.count(2), 0u) << "no part holds channel 2";
        for (const int channel : {1, 3}) {
            const StatsSeries whole = readStatsSeries(store, kNumber, channel, {});
            ASSERT_FALSE(whole.stages.empty());
            ASSERT_EQ(last.count(channel), 1u);
            const StatsStage &expected = whole.stages.back();
            EXPECT_EQ(last.at(channel).skipped, 0u);
            const StatsStage &read = last.at(channel).stage;
            EXPECT_EQ(read.values, expected.values);
            EXPECT_EQ(read.frozen, expected.frozen);
            EXPECT_EQ(read.revision, expected.revision);
            EXPECT_EQ(read.characteristic, expected.characteristic);
            EXPECT_EQ(read.start, expected.start);
        }
    };
    const FrozenLimits frozen{ChartKind::IndividualsMovingRange, 1, {-1, 0, 1}, {0, 0.5, 1.5}, 0.4};
    add(0, 0.001f);
    add(1, 0.002f);
    event(PartEventKind::FreezeLimits, 2, 0, frozenLimitsText(frozen));
    expectSameLast("one revision, frozen");
    add(3, 0.003f, 0.03f);  // a new revision: a stage without the old one's frozen limits
    add(4, std::nullopt, 0.03f);
    add(5, 0.005f, 0.03f);
    expectSameLast("a new revision");
    event(PartEventKind::NewStage, 6);
    add(7, 0.007f, 0.03f);
    event(PartEventKind::FreezeLimits, 8, 0, frozenLimitsText(frozen));
    const qint64 excluded = add(9, 0.009f, 0.03f);
    event(PartEventKind::Exclude, 10, excluded);
    expectSameLast("a new stage, frozen, a point excluded");
    event(PartEventKind::NewStage, 11);
    event(PartEventKind::FreezeLimits, 12, 0, frozenLimitsText(frozen));
    add(13, 0.013f, 0.04f);
    expectSameLast("a stage begun and frozen before its revision's first part");
}

// Of a long stage the watch keeps the values its baseline comes from (one more for each point
// excluded) and the newest; the count between them keeps the subgroups' places.
TEST_F(StatsSeriesTest, ALongStageKeepsItsFirstAndNewestValues) {
    std::vector<qint64> ids;
    for (int minute = 0; minute < 12; ++minute) {
        ids.push_back(add(minute, minute == 5 ? std::nullopt : std::optional(0.001f * minute)));
    }
    event(PartEventKind::Exclude, 20, ids[1]);
    std::optional<StoreFailure> failure;
    const std::map<int, StageEnds> ends = readStageEnds(store, kNumber, {1}, {3, 1, 4}, &failure);
    ASSERT_FALSE(failure);
    ASSERT_EQ(ends.count(1), 1u);
    const StageEnds &one = ends.at(1);
    EXPECT_EQ(one.first, 4u);
    EXPECT_EQ(one.skipped, 3u) << "11 valid values, 4 first and 4 newest";
    EXPECT_EQ(valuesOf(one.stage),
              (std::vector<double>{0, 0.001, 0.002, 0.003, 0.008, 0.009, 0.01, 0.011}));
    EXPECT_TRUE(one.stage.values[1].excluded);
    EXPECT_EQ(one.stage.start, base());

    // A history that cannot be read is a failure, never an empty stage.
    store.close();
    EXPECT_TRUE(readStageEnds(store, kNumber, {1}, {3, 1, 4}, &failure).empty());
    EXPECT_TRUE(failure.has_value());
    const StatsSeries unread = readStatsSeries(store, kNumber, 1, {});
    EXPECT_TRUE(unread.failure.has_value());
    EXPECT_TRUE(unread.stages.empty());
}
