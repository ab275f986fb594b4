// What the statistics window shows, made from series and numbers built here: the period as a
// filter, the points with their rule numbers and marks on the right chart, the histogram's
// values, the numbers panel two- and one-sided with "-" and the reason, the causes still to
// give, and the limits to freeze. The last test works on the real numbers.
#include <gtest/gtest.h>

#include <QTimeZone>

#include "stats/stats_view_data.h"

using namespace Qt::StringLiterals;
using namespace zelapp;

namespace {

const QDateTime kStart(QDate(2026, 12, 10), QTime(8, 0), Qt::UTC);

// A stage of `values` with serials 11, 12, ...; limits 9.8 to 10.2, nominal 10, 3 decimals.
StatsStage stageOf(const std::vector<double> &values, ToleranceSides sides = ToleranceSides::Both) {
    StatsStage stage;
    stage.revision = 1;
    stage.characteristic.channel = 1;
    stage.characteristic.decimals = 3;
    stage.characteristic.limits = {9.8f, 9.9f, 10.1f, 10.2f};
    stage.characteristic.nominal = u"10"_s;
    stage.characteristic.sides = sides;
    for (size_t i = 0; i < values.size(); ++i) {
        const auto k = static_cast<qint64>(i);
        stage.values.push_back({100 + k, 11 + k, kStart.addSecs(60 * k), values[i], false});
    }
    return stage;
}

// I-MR numbers of four individuals, as computeStats would give them.
StatsResult imrResult() {
    StatsResult r;
    r.kind = ChartKind::IndividualsMovingRange;
    r.subgroups = {{0, 1, 10.0, std::nullopt, false},
                   {1, 1, 10.1, 0.1, false},
                   {2, 1, 10.3, 0.2, true},
                   {3, 1, 10.0, std::nullopt, false}};
    r.first = {9.7, 10.05, 10.4};
    r.second = {0, 0.15, 0.49};
    r.n = 3;
    r.mean = 10.0333;
    r.minimum = 10.0;
    r.maximum = 10.1;
    r.sigmaWithinPeriod = 0.1330;
    r.sigmaWithinLimits = 0.1200;
    r.sigmaOverall = 0.0577;
    r.cp = {0.5013, {}, ConfidenceBounds{0.0158, 1.1237}, {}};
    r.cpk = {0.4176, {}, std::nullopt, u"not for this index"_s};
    r.pp = {std::nullopt, u"fewer than 2 values"_s, std::nullopt, u"fewer than 2 values"_s};
    r.ppk = {1.1547, {}, ConfidenceBounds{-0.3, 2.61}, {}};
    r.ppmWithin = {12.34, 0.06, 12.4, {}};
    r.ppmOverall = {std::nullopt, std::nullopt, std::nullopt, u"sigma is 0"_s};
    r.ppmObserved = {0, 333333.33, 333333.33, {}};
    r.andersonDarling = {std::nullopt, std::nullopt, u"fewer than 8 values"_s};
    r.breaks = {{1, 2, false}, {5, 2, false}, {1, 1, true}};
    return r;
}

TEST(StatsViewData, ThePeriodIsAFilterOrTheLastParts) {
    const QDateTime now(QDate(2026, 12, 10), QTime(14, 30), Qt::UTC);
    StatsPeriod period;
    PartFilter today = periodFilter(period, now);
    EXPECT_EQ(today.since, QDateTime(QDate(2026, 12, 10), QTime(0, 0), Qt::UTC));
    EXPECT_FALSE(today.until.has_value());
    EXPECT_EQ(periodLastParts(period), 0);

    period.kind = StatsPeriod::Kind::LastParts;
    period.lastParts = 50;
    EXPECT_FALSE(periodFilter(period, now).since.has_value());
    EXPECT_EQ(periodLastParts(period), 50);
    period.lastParts = 0;
    EXPECT_EQ(periodLastParts(period), 1);  // never "all" by a zero

    period.kind = StatsPeriod::Kind::Range;
    period.from = now.addDays(-2);
    period.to = now;
    const PartFilter range = periodFilter(period, now);
    EXPECT_EQ(range.since, now.addDays(-2));
    EXPECT_EQ(range.until, now);
    EXPECT_EQ(periodLastParts(period), 0);
}

TEST(StatsViewData, PointsCarryTheirRuleNumbersMarksAndTheirParts) {
    StatsSeries series;
    series.partNumber = u"4711"_s;
    series.channel = 1;
    series.stages = {stageOf({10.0, 10.1, 10.3, 10.0})};
    series.stages[0].values[2].excluded = true;
    const StatisticsContent c = statisticsContent(series, {imrResult()}, u"C1 Bore"_s);

    EXPECT_EQ(c.first.title, u"X"_s);
    EXPECT_EQ(c.second.title, u"MR"_s);
    ASSERT_EQ(c.first.points.size(), 4u);
    EXPECT_EQ(c.first.points[2].rules, u"1,5"_s);  // on the first chart, in order
    EXPECT_EQ(c.second.points[2].rules, QString());
    EXPECT_EQ(c.second.points[1].rules, u"1"_s);  // the MR chart's own break
    EXPECT_TRUE(c.first.points[2].leftOut);
    EXPECT_TRUE(c.first.points[2].excluded);
    EXPECT_FALSE(c.first.points[1].excluded);
    EXPECT_FALSE(c.second.points[0].value.has_value());  // no first moving range
    EXPECT_EQ(c.first.points[1].serial, 12);
    EXPECT_EQ(c.first.points[1].partId, 101);
    EXPECT_EQ(c.first.points[1].tip, u"2026-12-10 08:01:00\nSerial 12\nValue 10.100"_s);
    EXPECT_TRUE(c.first.points[2].tip.endsWith(u"Excluded: serial 13"_s));
    EXPECT_EQ(c.first.pointsPerStage, std::vector<int>{4});
    ASSERT_EQ(c.first.stages.size(), 1u);
    EXPECT_EQ(c.first.stages[0].limits, (ChartLimits{9.7, 10.05, 10.4}));

    // The histogram counts what the numbers count; the individuals chart shows the tolerance.
    EXPECT_EQ(c.histogram.values, (std::vector<double>{10.0, 10.1, 10.0}));
    EXPECT_EQ(c.histogram.nominal, 10.0);
    EXPECT_NEAR(*c.first.highTol, 10.2, 1e-6);
    EXPECT_NEAR(*c.first.lowTol, 9.8, 1e-6);
    EXPECT_FALSE(c.second.highTol.has_value());
    EXPECT_TRUE(c.numbers.startsWith(u"C1 Bore\n"_s));
}

TEST(StatsViewData, SubgroupsShowTheirSerialsAndNoToleranceOnTheMeansChart) {
    StatsSeries series;
    series.stages = {stageOf({10.0, 10.1, 10.2, 10.1, 10.0})};
    StatsResult r;
    r.kind = ChartKind::XbarR;
    r.subgroups = {{0, 3, 10.1, 0.2, false}, {3, 2, 10.05, 0.1, true}};
    r.noLimits = u"fewer than 2 subgroups"_s;
    const StatisticsContent c = statisticsContent(series, {r}, u"C1"_s);
    EXPECT_EQ(c.first.title, u"X-bar"_s);
    EXPECT_EQ(c.second.title, u"R"_s);
    EXPECT_EQ(c.first.points[0].tip,
              u"2026-12-10 08:00:00 to 2026-12-10 08:02:00\nSerials 11 to 13\nMean 10.1000"_s);
    EXPECT_TRUE(c.first.points[1].leftOut);
    EXPECT_FALSE(c.first.highTol.has_value());  // a mean is no part: no USL on its chart
    EXPECT_FALSE(c.first.stages[0].limits.has_value());
    EXPECT_TRUE(c.numbers.contains(u"Control limits: - (fewer than 2 subgroups)"_s));
}

TEST(StatsViewData, TheNumbersPanelNamesEachNumberAndWhyOneIsMissing) {
    const StatsStage stage = stageOf({10.0, 10.1, 10.3, 10.0});
    const QString both = numbersText(imrResult(), stage, u"C1 Bore"_s, 2, 3);
    const QStringList lines = both.split(u'\n');
    EXPECT_EQ(lines[0], u"C1 Bore, stage 2 of 3"_s);
    EXPECT_EQ(lines[1], u"n: 3"_s);
    EXPECT_EQ(lines[2], u"Mean: 10.0333"_s);
    EXPECT_EQ(lines[3], u"Sigma within of the period (MR-bar/d2): 0.1330"_s);
    EXPECT_EQ(lines[4], u"Sigma within of the limits: 0.1200"_s);
    EXPECT_EQ(lines[5], u"Sigma overall: 0.0577"_s);
    // Each index beside its bounds, then the sigma each stands on.
    const qsizetype cp = lines.indexOf(u"Cp: 0.50 (95 %: 0.02 to 1.12)"_s);
    ASSERT_GT(cp, 0) << both.toStdString();
    EXPECT_EQ(lines[cp + 1], u"Cpk: 0.42 (no 95 % bounds: not for this index)"_s);
    EXPECT_EQ(lines[cp + 2], u"Pp: - (fewer than 2 values)"_s);
    EXPECT_EQ(lines[cp + 3], u"Ppk: 1.15 (95 %: -0.30 to 2.61)"_s);
    EXPECT_EQ(lines[cp + 4], u"Cp, Cpk: sigma within of the period (MR-bar/d2)"_s);
    EXPECT_EQ(lines[cp + 5], u"Pp, Ppk: sigma overall"_s);
    EXPECT_EQ(lines[cp + 6], u"ppm within: below LSL 12.3, above USL 0.1, in all 12.4"_s);
    EXPECT_EQ(lines[cp + 7], u"ppm overall: - (sigma is 0)"_s);
    EXPECT_EQ(lines[cp + 8], u"ppm observed: below LSL 0.0, above USL 333333.3, in all 333333.3"_s);
    EXPECT_EQ(lines[cp + 9], u"Anderson-Darling A²: - (fewer than 8 values)"_s);
    EXPECT_TRUE(lines.contains(u"X chart: LCL 9.7000, CL 10.0500, UCL 10.4000"_s));
    EXPECT_TRUE(lines.contains(u"MR chart: LCL 0.0000, CL 0.1500, UCL 0.4900"_s));
    EXPECT_TRUE(lines.contains(u"Rule 1 broken at serials 12, 13"_s));
    EXPECT_TRUE(lines.contains(u"Rule 5 broken at serial 13"_s));
    EXPECT_FALSE(both.contains(u"Cpu"_s));

    // One-sided: Cpu and Ppu alone, no Cp.
    StatsResult upper = imrResult();
    upper.kind = ChartKind::XbarS;
    upper.cpu = {1.25, {}, ConfidenceBounds{1.1, 1.4}, {}};
    upper.ppu = {std::nullopt, u"sigma is 0"_s, std::nullopt, u"sigma is 0"_s};
    upper.ppmWithin = {std::nullopt, 0.5, 0.5, {}};
    upper.andersonDarling = {0.4321, 0.31234, {}};
    upper.breaks.clear();
    upper.limitsFrozen = true;
    const QString one =
        numbersText(upper, stageOf({10.0}, ToleranceSides::UpperOnly), u"C2"_s, 1, 1);
    EXPECT_TRUE(one.startsWith(u"C2\n"_s));
    EXPECT_TRUE(one.contains(u"Sigma within of the frozen limits: 0.1200\n"_s));
    EXPECT_TRUE(
        one.contains(u"Cpu: 1.25 (95 %: 1.10 to 1.40)\nPpu: - (sigma is 0)\n"
                     u"Cpu: sigma within of the period (s-bar/c4)\nPpu: sigma overall\n"
                     u"ppm within: above USL 0.5, in all 0.5\n"_s))
        << one.toStdString();
    EXPECT_TRUE(one.contains(u"Anderson-Darling A²: 0.432, p 0.3123\n"_s));
    EXPECT_FALSE(one.contains(u"Cp:"_s));
    EXPECT_FALSE(one.contains(u"Cpl"_s));
    EXPECT_TRUE(one.contains(u"X-bar chart (frozen): LCL"_s));
    EXPECT_TRUE(one.contains(u"Rules broken: none"_s));

    // A fitted distribution, not sigma overall, gives Ppu and the expected ppm; refused, why.
    upper.fit =
        DistributionFit{Distribution::Weibull, {{{u"shape"_s, 1.8412}, {u"scale"_s, 0.0123}}}, {}};
    upper.ppmOverall = {std::nullopt, 2.5, 2.5, {}};
    const QString fitted =
        numbersText(upper, stageOf({10.0}, ToleranceSides::UpperOnly), u"C2"_s, 1, 1);
    EXPECT_TRUE(
        fitted.contains(u"Ppu: percentile method of the Weibull fit (shape 1.841, scale "
                        u"0.0123)\nppm within: above USL 0.5, in all 0.5\n"
                        u"ppm Weibull fit: above USL 2.5, in all 2.5\n"_s))
        << fitted.toStdString();
    upper.fit->reason = u"a value is not above 0"_s;
    EXPECT_TRUE(numbersText(upper, stageOf({10.0}, ToleranceSides::UpperOnly), u"C2"_s, 1, 1)
                    .contains(u"Ppu: percentile method of the Weibull fit: - (a value is not "
                              u"above 0)\n"_s));

    // Nothing at all: dashes, never a number.
    const QString empty = numbersText(StatsResult{}, stageOf({}), u"C3"_s, 1, 1);
    EXPECT_TRUE(
        empty.contains(u"Mean: -\nSigma within of the period (MR-bar/d2): -\n"
                       u"Sigma within of the limits: -\nSigma overall: -\nMinimum: -"_s));

    StatsSeries none;
    EXPECT_EQ(statisticsContent(none, {}, u"C4"_s).numbers, u"C4\nNo values in this period."_s);
}

TEST(StatsViewData, ACauseIsStillToGiveUntilACauseOfTheSamePartFollows) {
    const auto event = [](PartEventKind kind, qint64 part, int channel, int minute) {
        PartEvent e;
        e.kind = kind;
        e.partId = part;
        e.channel = channel;
        e.time = kStart.addSecs(60 * minute);
        e.data = u"2"_s;
        return e;
    };
    using K = PartEventKind;
    const std::vector<PartEvent> events{
        event(K::Cause, 7, 1, 0),  // a cause before the part broke a rule closes nothing
        event(K::OutOfControl, 5, 1, 1), event(K::OutOfControl, 6, 1, 2),
        event(K::OutOfControl, 7, 1, 3), event(K::Cause, 5, 1, 4),
        event(K::Cause, 6, 2, 5),  // another channel's
        event(K::Exclude, 6, 1, 6)};
    const std::vector<PartEvent> open = causesNotGiven(events);
    ASSERT_EQ(open.size(), 2u);
    EXPECT_EQ(open[0].partId, 6);
    EXPECT_EQ(open[1].partId, 7);
    EXPECT_EQ(causeLine(open[0], 16), u"C1 serial 16 at 2026-12-10 08:02:00: rules 2"_s);
}

TEST(StatsViewData, OnlyComputedLimitsAreFrozen) {
    StatsResult r = imrResult();
    const std::optional<FrozenLimits> frozen = limitsToFreeze(r, 1);
    ASSERT_TRUE(frozen.has_value());
    EXPECT_EQ(frozen->first, r.first);
    EXPECT_EQ(frozen->second, r.second);
    EXPECT_DOUBLE_EQ(frozen->sigmaWithin, 0.1200) << "the limits' sigma, not the period's";
    r.noLimits = u"sigma is 0"_s;
    EXPECT_FALSE(limitsToFreeze(r, 1).has_value());
    r.noLimits.clear();
    r.sigmaWithinLimits.reset();
    EXPECT_FALSE(limitsToFreeze(r, 1).has_value());
}

TEST(StatsViewData, TheStagesAreComputedWithTheirOwnLimitsAndFrozenOnes) {
    StatsSeries series;
    series.stages = {stageOf({1, 2, 3, 4, 5}), stageOf({10, 10, 10})};
    series.stages[1].frozen =
        FrozenLimits{ChartKind::IndividualsMovingRange, 1, {1, 2, 3}, {0, 1, 2}, 0.5};
    const std::vector<StatsResult> results = computeStages(series, {});
    ASSERT_EQ(results.size(), 2u);
    EXPECT_EQ(results[0].n, 5);
    EXPECT_DOUBLE_EQ(results[0].mean, 3);
    ASSERT_TRUE(results[0].sigmaWithinPeriod.has_value());
    EXPECT_NEAR(*results[0].sigmaWithinPeriod, 1 / 1.128, 1e-3);  // MR-bar 1 over d2(2)
    EXPECT_TRUE(results[1].limitsFrozen);
    EXPECT_EQ(results[1].first, (ChartLimits{1, 2, 3}));
    // The frozen limits put every 10 beyond the UCL: rule 1 at each.
    const StatisticsContent c = statisticsContent(series, results, u"C1"_s);
    EXPECT_EQ(c.first.points.size(), 8u);
    EXPECT_EQ(c.first.points[5].rules, u"1"_s);
}

}  // namespace
