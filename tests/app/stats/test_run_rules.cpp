// Each run rule on a series made to break it once, against limits frozen at 0 +- 3 (sigma 1),
// and a series that breaks none.
#include <gtest/gtest.h>

#include "stats/process_stats.h"

using namespace zelapp;

namespace {

// The breaks of `rules` on individuals whose zones are whole sigmas.
std::vector<RuleBreak> breaksOf(const std::vector<double> &values, std::vector<int> rules) {
    std::vector<SeriesValue> series;
    for (size_t i = 0; i < values.size(); ++i) {
        series.push_back({qint64(i + 1), qint64(i + 1), QDateTime(), values[i], false});
    }
    StatsOptions options;
    options.limits = {-10, -5, 5, 10};
    options.rules = std::move(rules);
    options.frozen =
        FrozenLimits{ChartKind::IndividualsMovingRange, 1, {-3, 0, 3}, {0, 1.128, 3.686}, 1};
    return computeStats(series, options).breaks;
}

std::vector<RuleBreak> once(int rule, int at) {
    return {RuleBreak{rule, at, false}};
}

}  // namespace

TEST(RunRules, Rule1PointBeyondThreeSigma) {
    EXPECT_EQ(breaksOf({0.5, 1.0, 3.5, 2.0}, {1}), once(1, 2));
    EXPECT_EQ(breaksOf({-0.5, -3.2, -1.2}, {1}), once(1, 1));
    EXPECT_TRUE(breaksOf({0.5, 3.0, 2.0}, {1}).empty());  // on the limit is inside
    // On the moving range chart, rule 1 only: a jump of 5 beyond its UCL of 3.686.
    EXPECT_EQ(breaksOf({0, 2.5, -2.5, 0.4}, {1}), (std::vector<RuleBreak>{{1, 2, true}}));
    EXPECT_TRUE(breaksOf({0, 2.5, -2.5, 0.4}, {2, 3, 4, 5, 6, 7, 8}).empty());
}

TEST(RunRules, Rule2TwoOfThreeBeyondTwoSigmaOnOneSide) {
    EXPECT_EQ(breaksOf({0.5, 2.5, -0.5, 2.2, 0.1}, {2}), once(2, 3));
    EXPECT_EQ(breaksOf({0.5, -2.5, -2.1, 0.1}, {2}), once(2, 2));
    EXPECT_TRUE(breaksOf({0.5, 2.5, -2.5, 0.1, 2.1}, {2}).empty());  // opposite sides
}

TEST(RunRules, Rule3FourOfFiveBeyondOneSigmaOnOneSide) {
    EXPECT_EQ(breaksOf({0.2, 1.5, 1.2, -0.3, 1.8, 1.1, 0}, {3}), once(3, 5));
    EXPECT_TRUE(breaksOf({0.2, 1.5, 1.2, -1.3, 1.8, 0.1, 0}, {3}).empty());
}

TEST(RunRules, Rule4EightInARowOnOneSide) {
    EXPECT_EQ(breaksOf({-0.5, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, -0.1}, {4}), once(4, 8));
    EXPECT_TRUE(breaksOf({-0.5, 0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, -0.1}, {4}).empty());
}

TEST(RunRules, Rule5SixInARowRisingOrFalling) {
    EXPECT_EQ(breaksOf({0, -1, -0.5, 0, 0.5, 1, 1.5, 1.0}, {5}), once(5, 6));
    EXPECT_EQ(breaksOf({2, 1.5, 1, 0.5, 0, -0.5, 0}, {5}), once(5, 5));
    EXPECT_TRUE(breaksOf({0, -1, -0.5, 0, 0.5, 1, 1.0, 1.5}, {5}).empty());
}

TEST(RunRules, Rule6FourteenAlternating) {
    std::vector<double> values;
    for (int i = 0; i < 14; ++i) {
        values.push_back(i % 2 == 0 ? 0.5 : -0.5);
    }
    values.push_back(-0.5);  // no turn: the pattern ends
    EXPECT_EQ(breaksOf(values, {6}), once(6, 13));
    values.erase(values.begin());  // thirteen alternating only
    EXPECT_TRUE(breaksOf(values, {6}).empty());
}

TEST(RunRules, Rule7FifteenWithinOneSigma) {
    std::vector<double> values;
    for (int i = 0; i < 15; ++i) {
        values.push_back(0.1 * (i % 3) - 0.1);
    }
    values.push_back(1.5);
    EXPECT_EQ(breaksOf(values, {7}), once(7, 14));
    values[7] = 1.2;
    EXPECT_TRUE(breaksOf(values, {7}).empty());
}

TEST(RunRules, Rule8EightOutsideOneSigmaOnBothSides) {
    EXPECT_EQ(breaksOf({1.5, -1.5, 1.5, -1.5, 1.5, -1.5, 1.5, -1.5, 0}, {8}), once(8, 7));
    // All on one side is rule 4's matter, not rule 8's.
    EXPECT_TRUE(breaksOf({1.5, 1.6, 1.5, 1.7, 1.5, 1.4, 1.5, 1.6, 0}, {8}).empty());
}

TEST(RunRules, OnlyTheChosenRulesAndOverlapsReportEachFurtherPoint) {
    const std::vector<double> run{0.1, 0.2, 0.3, 0.4, 0.5, 0.6, 0.7, 0.8, 0.9};
    EXPECT_TRUE(breaksOf(run, {1}).empty());
    // Rule 4 at the 8th and again at the 9th; rule 5 from the 6th on.
    const std::vector<RuleBreak> both = breaksOf(run, {5, 4});
    const std::vector<RuleBreak> expected{{5, 5, false}, {5, 6, false}, {4, 7, false},
                                          {5, 7, false}, {4, 8, false}, {5, 8, false}};
    EXPECT_EQ(both, expected);
}

TEST(RunRules, CalmSeriesBreaksNone) {
    const std::vector<double> calm{0.3, -0.2, 0.5, 0.1,  -0.6, 0.4, -0.1, 0.8, -0.9, 0.2,
                                   0.2, -0.3, 1.2, -0.4, 0.0,  0.6, -0.7, 0.3, -1.1, 0.5};
    EXPECT_TRUE(breaksOf(calm, {1, 2, 3, 4, 5, 6, 7, 8}).empty());
}

TEST(RunRules, PatternsAtTheStartNeedOnlyTheirCount) {
    EXPECT_EQ(breaksOf({2.5, 2.2, 0.1}, {2}), once(2, 1));
    EXPECT_EQ(breaksOf({1.5, 1.2, 1.8, 1.1, 0}, {3}), once(3, 3));
}
