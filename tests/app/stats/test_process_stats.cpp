// The charts and the capability of a series, worked by hand on small series.
#include <gtest/gtest.h>

#include <cmath>

#include "stats/process_stats.h"

using namespace zelapp;

namespace {

std::vector<SeriesValue> series(const std::vector<double> &values) {
    std::vector<SeriesValue> out;
    qint64 serial = 0;
    for (const double v : values) {
        ++serial;
        out.push_back({serial * 10, serial, QDateTime(), v, false});
    }
    return out;
}

StatsOptions withLimits(double lo, double hi, int subgroup = 1) {
    StatsOptions options;
    options.subgroupSize = subgroup;
    options.limits.loTol = float(lo);
    options.limits.hiTol = float(hi);
    return options;
}

constexpr double kD2of2 = 1.128379;
constexpr double kD2of3 = 1.692569;

}  // namespace

TEST(ProcessStats, ChartForSubgroupSize) {
    EXPECT_EQ(chartKindFor(0), ChartKind::IndividualsMovingRange);
    EXPECT_EQ(chartKindFor(1), ChartKind::IndividualsMovingRange);
    EXPECT_EQ(chartKindFor(2), ChartKind::XbarR);
    EXPECT_EQ(chartKindFor(10), ChartKind::XbarR);
    EXPECT_EQ(chartKindFor(11), ChartKind::XbarS);
    EXPECT_EQ(chartKindFor(25), ChartKind::XbarS);
}

// 10 12 11 13 14: mean 12, moving ranges 2 1 2 1 (MR-bar 1.5), squares about the mean 10.
TEST(ProcessStats, IndividualsAndMovingRangeByHand) {
    const StatsResult r = computeStats(series({10, 12, 11, 13, 14}), withLimits(7, 18));
    EXPECT_EQ(r.kind, ChartKind::IndividualsMovingRange);
    ASSERT_EQ(r.subgroups.size(), 5u);
    EXPECT_FALSE(r.subgroups[0].spread.has_value());
    EXPECT_DOUBLE_EQ(*r.subgroups[2].spread, 1);
    EXPECT_TRUE(r.noLimits.isEmpty());
    EXPECT_EQ(r.n, 5);
    EXPECT_DOUBLE_EQ(r.mean, 12);
    EXPECT_DOUBLE_EQ(r.minimum, 10);
    EXPECT_DOUBLE_EQ(r.maximum, 14);
    const double sigma = 1.5 / kD2of2;
    EXPECT_NEAR(*r.sigmaWithinLimits, sigma, 1e-6);
    EXPECT_NEAR(*r.sigmaWithinPeriod, sigma, 1e-6);  // the baseline is the whole period
    EXPECT_NEAR(*r.sigmaOverall, std::sqrt(2.5), 1e-12);
    EXPECT_NEAR(r.first.cl, 12, 1e-12);
    EXPECT_NEAR(r.first.ucl, 12 + 3 * sigma, 1e-5);
    EXPECT_NEAR(r.first.lcl, 12 - 3 * sigma, 1e-5);
    EXPECT_NEAR(r.second.cl, 1.5, 1e-12);
    EXPECT_NEAR(r.second.ucl, 3.267 * 1.5, 1e-3);
    EXPECT_DOUBLE_EQ(r.second.lcl, 0);
    // LoTol 7, HiTol 18.
    EXPECT_NEAR(*r.cp.value, 11 / (6 * sigma), 1e-5);
    EXPECT_NEAR(*r.cpk.value, 5 / (3 * sigma), 1e-5);
    EXPECT_NEAR(*r.cpu.value, 6 / (3 * sigma), 1e-5);
    EXPECT_NEAR(*r.pp.value, 11 / (6 * std::sqrt(2.5)), 1e-9);
    EXPECT_NEAR(*r.ppk.value, 5 / (3 * std::sqrt(2.5)), 1e-9);
    EXPECT_TRUE(r.breaks.empty());
}

// Subgroups of 3: [1 2 3] [2 4 6] [3 3 3] [5 6 4] and a short [7]: means 2 4 3 5 (grand 3.5),
// ranges 2 4 0 2 (R-bar 2).
TEST(ProcessStats, XbarRByHandLeavesTheShortSubgroupOut) {
    const StatsResult r =
        computeStats(series({1, 2, 3, 2, 4, 6, 3, 3, 3, 5, 6, 4, 7}), withLimits(0, 8, 3));
    EXPECT_EQ(r.kind, ChartKind::XbarR);
    ASSERT_EQ(r.subgroups.size(), 5u);
    EXPECT_EQ(r.subgroups[3], (Subgroup{9, 3, 5, 2.0, false}));
    EXPECT_TRUE(r.subgroups[4].leftOut);
    EXPECT_EQ(r.subgroups[4].count, 1);
    const double a2 = 3 / (kD2of3 * std::sqrt(3.0));
    EXPECT_NEAR(r.first.cl, 3.5, 1e-12);
    EXPECT_NEAR(r.first.ucl, 3.5 + a2 * 2, 1e-5);
    EXPECT_NEAR(r.first.lcl, 3.5 - a2 * 2, 1e-5);
    EXPECT_NEAR(r.second.cl, 2, 1e-12);
    EXPECT_NEAR(r.second.ucl, 2.574 * 2, 2e-3);
    EXPECT_DOUBLE_EQ(r.second.lcl, 0);
    EXPECT_NEAR(*r.sigmaWithinLimits, 2 / kD2of3, 1e-6);
    // The overall numbers count every value not excluded, the short subgroup's too.
    EXPECT_EQ(r.n, 13);
    EXPECT_NEAR(r.mean, 49.0 / 13, 1e-12);
}

// Subgroups of 11: 0..10 and 1..11, each with s = sqrt(11).
TEST(ProcessStats, XbarSFromSBarOverC4) {
    std::vector<double> values;
    for (int first = 0; first < 2; ++first) {
        for (int i = 0; i < 11; ++i) {
            values.push_back(first + i);
        }
    }
    const StatsResult r = computeStats(series(values), withLimits(-10, 20, 11));
    EXPECT_EQ(r.kind, ChartKind::XbarS);
    ASSERT_EQ(r.subgroups.size(), 2u);
    EXPECT_NEAR(*r.subgroups[0].spread, std::sqrt(11.0), 1e-12);
    const double c4 = std::sqrt(2.0 / 10) * std::tgamma(5.5) / std::tgamma(5.0);
    EXPECT_NEAR(*r.sigmaWithinLimits, std::sqrt(11.0) / c4, 1e-9);
    EXPECT_NEAR(r.first.cl, 5.5, 1e-12);
    EXPECT_NEAR(r.first.ucl - r.first.cl, 3 * std::sqrt(11.0) / (c4 * std::sqrt(11.0)), 1e-9);
    EXPECT_NEAR(r.second.cl, std::sqrt(11.0), 1e-12);
}

TEST(ProcessStats, LimitsComeFromTheBaselineOnly) {
    StatsOptions options = withLimits(0, 100);
    options.baseline = 3;
    // The first three give CL 11 and MR-bar 1; the jump after them moves nothing.
    const StatsResult r = computeStats(series({10, 11, 12, 50, 60}), options);
    EXPECT_NEAR(r.first.cl, 11, 1e-12);
    EXPECT_NEAR(r.second.cl, 1, 1e-12);
    EXPECT_NEAR(r.mean, 143.0 / 5, 1e-12);
    // Individuals: 100 by default.
    std::vector<double> many(150, 1.0);
    for (size_t i = 0; i < many.size(); ++i) {
        many[i] = i < 100 ? double(i % 2) : 5.0 + double(i % 2) * 3;
    }
    const StatsResult d = computeStats(series(many), withLimits(-10, 10));
    EXPECT_NEAR(d.first.cl, 0.5, 1e-12);
    EXPECT_NEAR(d.second.cl, 1, 1e-12);
}

// 100 individuals alternating 10 -+ 0.01 (moving ranges 0.02), then 100 alternating 10 -+ 0.03
// (0.06; the step between them 0.04): the limits are the first 100's, Cp is the whole period's.
TEST(ProcessStats, LimitsStayTheBaselinesWhileCapabilityFollowsThePeriod) {
    std::vector<double> values;
    for (int i = 0; i < 200; ++i) {
        values.push_back(10 + (i % 2 == 0 ? 1 : -1) * (i < 100 ? 0.01 : 0.03));
    }
    const StatsResult r = computeStats(series(values), withLimits(9.9375, 10.0625));
    const double baseline = 0.02 / kD2of2;
    const double period = (99 * 0.02 + 0.04 + 99 * 0.06) / 199 / kD2of2;
    EXPECT_NEAR(*r.sigmaWithinLimits, baseline, 1e-6);
    EXPECT_NEAR(r.first.ucl - r.first.cl, 3 * baseline, 1e-5);
    EXPECT_NEAR(*r.sigmaWithinPeriod, period, 1e-6);
    EXPECT_NEAR(*r.cp.value, 0.125 / (6 * period), 1e-5);
    EXPECT_LT(*r.cp.value, 0.6) << "not the baseline's " << 0.125 / (6 * baseline);
    EXPECT_NEAR(*r.pp.value, 0.125 / (6 * std::sqrt(0.1 / 199)), 1e-9);

    // Frozen limits do not hold Cp either; the short last subgroup and one holding an excluded
    // value count for neither sigma within (ranges 2 and 0 of [3 5] [4 4]; [1 9] and [7] out).
    StatsOptions options = withLimits(0, 12, 2);
    options.frozen = FrozenLimits{ChartKind::XbarR, 2, {0, 4, 8}, {0, 1, 3}, 0.5};
    std::vector<SeriesValue> grouped = series({3, 5, 1, 9, 4, 4, 7});
    grouped[3].excluded = true;
    const StatsResult f = computeStats(grouped, options);
    EXPECT_DOUBLE_EQ(*f.sigmaWithinLimits, 0.5);
    EXPECT_NEAR(*f.sigmaWithinPeriod, 1 / kD2of2, 1e-6);
}

TEST(ProcessStats, OneSidedGivesOnlyThatSidesIndex) {
    StatsOptions options = withLimits(0, 18);
    options.sides = ToleranceSides::UpperOnly;
    const StatsResult up = computeStats(series({10, 12, 11, 13, 14}), options);
    const double sigma = 1.5 / kD2of2;
    EXPECT_NEAR(*up.cpu.value, 2 / sigma, 1e-5);  // (18 - 12) / 3 sigma
    EXPECT_NEAR(*up.ppu.value, 2 / std::sqrt(2.5), 1e-9);
    for (const CapabilityIndex *none : {&up.cp, &up.cpk, &up.pp, &up.ppk, &up.cpl, &up.ppl}) {
        EXPECT_FALSE(none->value.has_value());
        EXPECT_FALSE(none->reason.isEmpty());
    }
    EXPECT_EQ(up.cp.reason, QStringLiteral("upper limit only"));
    EXPECT_EQ(up.cpl.reason, QStringLiteral("no lower limit"));

    options = withLimits(9, 30);
    options.sides = ToleranceSides::LowerOnly;
    const StatsResult low = computeStats(series({10, 12, 11, 13, 14}), options);
    EXPECT_NEAR(*low.cpl.value, 1 / sigma, 1e-5);  // (12 - 9) / 3 sigma
    EXPECT_FALSE(low.cpu.value.has_value());
    EXPECT_FALSE(low.cp.value.has_value());
}

TEST(ProcessStats, TooFewValuesGiveReasonsNotNumbers) {
    const StatsResult none = computeStats({}, withLimits(0, 1));
    EXPECT_EQ(none.n, 0);
    EXPECT_FALSE(none.noLimits.isEmpty());
    EXPECT_EQ(none.cp.reason, QStringLiteral("fewer than 2 values"));
    EXPECT_FALSE(none.sigmaOverall.has_value());
    const StatsResult one = computeStats(series({0.5}), withLimits(0, 1));
    EXPECT_EQ(one.n, 1);
    EXPECT_DOUBLE_EQ(one.mean, 0.5);
    EXPECT_FALSE(one.ppk.value.has_value());
    EXPECT_EQ(one.ppk.reason, QStringLiteral("fewer than 2 values"));
    EXPECT_TRUE(one.breaks.empty());
    // Five values but one subgroup of 5: no sigma within, the overall indices are there.
    const StatsResult group = computeStats(series({1, 2, 3, 4, 5}), withLimits(0, 6, 5));
    EXPECT_EQ(group.noLimits, QStringLiteral("fewer than 2 subgroups"));
    EXPECT_EQ(group.cp.reason, QStringLiteral("fewer than 2 subgroups"));
    EXPECT_TRUE(group.pp.value.has_value());
    // Every figure says why it is missing, each after the sigma it needs.
    EXPECT_EQ(none.cp.noCi95, QStringLiteral("fewer than 2 values"));
    EXPECT_EQ(none.ppmObserved.reason, QStringLiteral("no values"));
    EXPECT_EQ(one.ppmOverall.reason, QStringLiteral("fewer than 2 values"));
    EXPECT_TRUE(one.ppmObserved.total.has_value());
    EXPECT_EQ(group.cp.noCi95, QStringLiteral("fewer than 2 subgroups"));
    EXPECT_EQ(group.ppmWithin.reason, QStringLiteral("fewer than 2 subgroups"));
    EXPECT_TRUE(group.pp.ci95.has_value());
    EXPECT_TRUE(group.ppmOverall.total.has_value());
    EXPECT_EQ(group.andersonDarling.reason, QStringLiteral("fewer than 8 values"));
    // Every other individual excluded: values enough, but no moving range.
    std::vector<SeriesValue> apart = series({1, 5, 2, 5, 3});
    apart[1].excluded = apart[3].excluded = true;
    EXPECT_EQ(computeStats(apart, withLimits(0, 6)).cpk.reason,
              QStringLiteral("no moving range: every other value is excluded"));
}

TEST(ProcessStats, ConstantSeriesHasSigmaZeroAndNoIndex) {
    StatsOptions options = withLimits(0, 10);
    options.rules = {1, 2, 3, 4, 5, 6, 7, 8};
    const StatsResult r = computeStats(series(std::vector<double>(30, 5.0)), options);
    EXPECT_EQ(*r.sigmaWithinLimits, 0);
    EXPECT_EQ(*r.sigmaWithinPeriod, 0);
    EXPECT_EQ(*r.sigmaOverall, 0);
    EXPECT_EQ(r.noLimits, QStringLiteral("sigma is 0"));
    for (const CapabilityIndex *index : {&r.cp, &r.cpk, &r.pp, &r.ppk}) {
        EXPECT_FALSE(index->value.has_value());
        EXPECT_EQ(index->reason, QStringLiteral("sigma is 0"));
        EXPECT_EQ(index->noCi95, QStringLiteral("sigma is 0"));
    }
    EXPECT_EQ(r.ppmWithin.reason, QStringLiteral("sigma is 0"));
    EXPECT_EQ(r.ppmOverall.reason, QStringLiteral("sigma is 0"));
    EXPECT_EQ(r.ppmObserved.total, 0.0);
    EXPECT_EQ(r.andersonDarling.reason, QStringLiteral("sigma is 0"));
    EXPECT_TRUE(r.breaks.empty());
}

TEST(ProcessStats, ExcludedValueCountsAsAbsent) {
    std::vector<SeriesValue> with = series({10, 12, 40, 11, 13, 14});
    with[2].excluded = true;
    const std::vector<SeriesValue> without = series({10, 12, 11, 13, 14});
    const StatsResult a = computeStats(with, withLimits(7, 18));
    const StatsResult b = computeStats(without, withLimits(7, 18));
    EXPECT_EQ(a.n, b.n);
    EXPECT_DOUBLE_EQ(a.mean, b.mean);
    EXPECT_DOUBLE_EQ(a.maximum, b.maximum);
    EXPECT_DOUBLE_EQ(*a.sigmaOverall, *b.sigmaOverall);
    EXPECT_DOUBLE_EQ(*a.pp.value, *b.pp.value);
    EXPECT_DOUBLE_EQ(*a.ppk.value, *b.ppk.value);
    EXPECT_DOUBLE_EQ(a.first.cl, b.first.cl);
    // Still drawn, marked; it breaks the moving range on both sides: 12-10, 13-11, 14-13.
    ASSERT_EQ(a.subgroups.size(), 6u);
    EXPECT_TRUE(a.subgroups[2].leftOut);
    EXPECT_FALSE(a.subgroups[3].spread.has_value());
    EXPECT_NEAR(a.second.cl, 5.0 / 3, 1e-12);
    // Far beyond the limits but left out: not judged.
    EXPECT_TRUE(a.breaks.empty());

    // In a subgroup of 3, the subgroup holding it is left out of the limits.
    std::vector<SeriesValue> grouped = series({1, 2, 3, 2, 99, 6, 3, 3, 3, 5, 6, 4});
    grouped[4].excluded = true;
    const StatsResult g = computeStats(grouped, withLimits(0, 8, 3));
    EXPECT_TRUE(g.subgroups[1].leftOut);
    EXPECT_NEAR(g.first.cl, (2.0 + 3 + 5) / 3, 1e-12);
    EXPECT_NEAR(g.second.cl, 4.0 / 3, 1e-12);
    EXPECT_EQ(g.n, 11);
}

TEST(ProcessStats, FrozenLimitsRuleTheChart) {
    FrozenLimits frozen;
    frozen.kind = ChartKind::IndividualsMovingRange;
    frozen.subgroupSize = 1;
    frozen.first = {-3, 0, 3};
    frozen.second = {0, 1.128, 3.686};
    frozen.sigmaWithin = 1;
    StatsOptions options = withLimits(-6, 6);
    options.frozen = frozen;
    const StatsResult r = computeStats(series({0.5, 1.5, 4, 1.0}), options);
    EXPECT_TRUE(r.limitsFrozen);
    EXPECT_EQ(r.first, frozen.first);
    EXPECT_EQ(r.second, frozen.second);
    EXPECT_DOUBLE_EQ(*r.sigmaWithinLimits, 1);
    // Cp follows the process, not the frozen sigma: moving ranges 1, 2.5, 3.
    EXPECT_NEAR(*r.sigmaWithinPeriod, 6.5 / 3 / kD2of2, 1e-6);
    EXPECT_NEAR(*r.cp.value, 12 / (6 * *r.sigmaWithinPeriod), 1e-12);
    ASSERT_EQ(r.breaks.size(), 1u);
    EXPECT_EQ(r.breaks[0], (RuleBreak{1, 2, false}));
}

// A value that is not finite never stops the computation: the figures it spoils are not numbers
// or have their reason, and the sort for the normality test is never reached with NaN.
TEST(ProcessStats, ANonFiniteValueGivesNoCrash) {
    for (const double bad : {std::nan(""), HUGE_VAL}) {
        std::vector<double> values(20, 1.0);
        values[7] = bad;
        values[11] = 2.0;
        const StatsResult r = computeStats(series(values), withLimits(0, 3));
        EXPECT_FALSE(r.andersonDarling.a2.has_value());
        EXPECT_FALSE(r.andersonDarling.reason.isEmpty());
    }
}
