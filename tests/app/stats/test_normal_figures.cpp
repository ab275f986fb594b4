// The normal capability figures held to an independent implementation: golden tables made by
// normal_figures_golden.py with SciPy (chi2.ppf, norm.cdf/sf, anderson, quad for d2) and its own
// lines for Bissell's bounds and the Anderson-Darling p-value; each table names its source.
// Closed-form figures agree to 1e-9 relative; those on sigma within by d2 to 1e-6, as d2 is
// tabled to 7 digits (ppm in the tails magnify it: 1e-5).
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>

#include "normal_figures_golden.h"
#include "stats/capability_bounds.h"
#include "stats/normality.h"
#include "stats/ppm.h"
#include "stats/process_stats.h"

using namespace zelapp;

namespace {

constexpr double kClosedForm = 1e-9;

// A golden NaN is "none".
void expectFigure(std::optional<double> actual, double expected, double relative,
                  const std::string &what) {
    if (std::isnan(expected)) {
        EXPECT_FALSE(actual.has_value()) << what << " is " << actual.value_or(0);
        return;
    }
    ASSERT_TRUE(actual.has_value()) << what;
    EXPECT_LE(std::abs(*actual - expected), relative * std::abs(expected))
        << what << ": " << *actual << " against " << expected;
}

void expectBounds(std::optional<ConfidenceBounds> actual, double low, double high, double relative,
                  const std::string &what) {
    expectFigure(actual ? std::optional(actual->low) : std::nullopt, low, relative, what + " low");
    expectFigure(actual ? std::optional(actual->high) : std::nullopt, high, relative,
                 what + " high");
}

void expectIndex(const CapabilityIndex &index, double value, double low, double high,
                 double relative, const std::string &what) {
    expectFigure(index.value, value, relative, what);
    expectBounds(index.ci95, low, high, relative, what + " bounds");
    EXPECT_EQ(index.reason.isEmpty(), index.value.has_value()) << what;
    EXPECT_EQ(index.noCi95.isEmpty(), index.ci95.has_value()) << what;
}

void expectPpm(const PartsPerMillion &ppm, double below, double above, double total,
               double relative, const std::string &what) {
    expectFigure(ppm.below, below, relative, what + " below");
    expectFigure(ppm.above, above, relative, what + " above");
    expectFigure(ppm.total, total, relative, what + " in all");
}

std::string rowName(size_t row) {
    return "row " + std::to_string(row);
}

class ChiSquareBounds : public testing::TestWithParam<size_t> {};

// scipy.stats.chi2.ppf; n = 1 has none.
TEST_P(ChiSquareBounds, MatchScipy) {
    const golden::Bounds &row = golden::kChiSquareBounds[GetParam()];
    expectBounds(chiSquareBounds95(row.index, row.n), row.low, row.high, kClosedForm,
                 rowName(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(Golden, ChiSquareBounds,
                         testing::Range<size_t>(0, golden::kChiSquareBounds.size()));

class BissellBounds : public testing::TestWithParam<size_t> {};

// Bissell's formula written out in Python; n = 0 has none.
TEST_P(BissellBounds, MatchPython) {
    const golden::Bounds &row = golden::kBissellBounds[GetParam()];
    expectBounds(bissellBounds95(row.index, row.n), row.low, row.high, kClosedForm,
                 rowName(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(Golden, BissellBounds,
                         testing::Range<size_t>(0, golden::kBissellBounds.size()));

class ExpectedPpm : public testing::TestWithParam<size_t> {};

// scipy.stats.norm.cdf below, .sf above: centred, off centre, far tails (6 and 40 sigma), one
// side each, the mean outside.
TEST_P(ExpectedPpm, MatchScipy) {
    const golden::Ppm &row = golden::kExpectedPpm[GetParam()];
    const PartsPerMillion ppm = expectedPpm(row.mean, row.sigma, row.lo, row.hi, row.sides);
    EXPECT_TRUE(ppm.reason.isEmpty());
    expectPpm(ppm, row.below, row.above, row.total, kClosedForm, rowName(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(Golden, ExpectedPpm,
                         testing::Range<size_t>(0, golden::kExpectedPpm.size()));

class AndersonDarlingP : public testing::TestWithParam<size_t> {};

// D'Agostino and Stephens' four pieces written out in Python: each piece and its edges, and
// beyond the last parabola's turn (153.47) where p stays at its least.
TEST_P(AndersonDarlingP, MatchPython) {
    const golden::AdP &row = golden::kAndersonDarlingP[GetParam()];
    expectFigure(andersonDarlingP(row.adjusted), row.p, kClosedForm, rowName(GetParam()));
}
INSTANTIATE_TEST_SUITE_P(Golden, AndersonDarlingP,
                         testing::Range<size_t>(0, golden::kAndersonDarlingP.size()));

// A data set's values not excluded.
std::vector<double> countedValues(const golden::DataSet &set) {
    std::vector<double> values;
    for (size_t i = 0; i < set.values.size(); ++i) {
        if (std::find(set.excluded.begin(), set.excluded.end(), int(i)) == set.excluded.end()) {
            values.push_back(set.values[i]);
        }
    }
    return values;
}

class AndersonDarling : public testing::TestWithParam<size_t> {};

// A-squared from SciPy's logcdf/logsf (equal to scipy.stats.anderson's), p as above: the data
// sets, a constant series, 8 and 7 values, and a value so far out that Phi underflows.
TEST_P(AndersonDarling, MatchScipy) {
    const golden::Ad &row = golden::kAndersonDarling[GetParam()];
    const NormalityTest test = andersonDarling(
        row.dataSet >= 0 ? countedValues(golden::kDataSets[size_t(row.dataSet)]) : row.values);
    expectFigure(test.a2, row.a2, kClosedForm, std::string(row.name) + " A2");
    expectFigure(test.p, row.p, kClosedForm, std::string(row.name) + " p");
    EXPECT_EQ(test.reason.isEmpty(), test.a2.has_value()) << row.name;
}
INSTANTIATE_TEST_SUITE_P(Golden, AndersonDarling,
                         testing::Range<size_t>(0, golden::kAndersonDarling.size()));

class PeriodFigures : public testing::TestWithParam<size_t> {};

// Each data set through computeStats, against the definitions worked in Python: the subgroups
// that count, sigma within of the period (d2 by quad, c4 by gamma), every index with its
// bounds, the ppm within, overall and observed, and the Anderson-Darling test.
TEST_P(PeriodFigures, MatchScipy) {
    const golden::DataSet &set = golden::kDataSets[GetParam()];
    const golden::Figures &f = golden::kFigures[GetParam()];
    std::vector<SeriesValue> values;
    for (size_t i = 0; i < set.values.size(); ++i) {
        const auto serial = qint64(i + 1);
        values.push_back({serial, serial, {}, set.values[i], false});
    }
    for (const int excluded : set.excluded) {
        values[size_t(excluded)].excluded = true;
    }
    StatsOptions options;
    options.subgroupSize = set.subgroup;
    options.limits.loTol = float(set.lo);
    options.limits.hiTol = float(set.hi);
    options.sides = set.sides;
    const StatsResult r = computeStats(values, options);

    const std::string name = set.name;
    // s-bar/c4 is closed form; R-bar/d2 and MR-bar/d2 carry d2's 7 digits.
    const bool byD2 = r.kind != ChartKind::XbarS;
    const double within = byD2 ? 1e-6 : kClosedForm;
    const double withinTails = byD2 ? 1e-5 : kClosedForm;
    expectFigure(r.sigmaWithinPeriod, f.sigmaWithin, within, name + " sigma within");
    expectFigure(r.sigmaOverall, f.sigmaOverall, kClosedForm, name + " sigma overall");
    expectIndex(r.cp, f.cp, f.cpLow, f.cpHigh, within, name + " Cp");
    expectIndex(r.cpk, f.cpk, f.cpkLow, f.cpkHigh, within, name + " Cpk");
    expectIndex(r.cpu, f.cpu, f.cpuLow, f.cpuHigh, within, name + " Cpu");
    expectIndex(r.cpl, f.cpl, f.cplLow, f.cplHigh, within, name + " Cpl");
    expectIndex(r.pp, f.pp, f.ppLow, f.ppHigh, kClosedForm, name + " Pp");
    expectIndex(r.ppk, f.ppk, f.ppkLow, f.ppkHigh, kClosedForm, name + " Ppk");
    expectIndex(r.ppu, f.ppu, f.ppuLow, f.ppuHigh, kClosedForm, name + " Ppu");
    expectIndex(r.ppl, f.ppl, f.pplLow, f.pplHigh, kClosedForm, name + " Ppl");
    expectPpm(r.ppmWithin, f.withinBelow, f.withinAbove, f.withinTotal, withinTails,
              name + " ppm within");
    expectPpm(r.ppmOverall, f.overallBelow, f.overallAbove, f.overallTotal, kClosedForm,
              name + " ppm overall");
    expectPpm(r.ppmObserved, f.observedBelow, f.observedAbove, f.observedTotal, kClosedForm,
              name + " ppm observed");
    expectFigure(r.andersonDarling.a2, f.a2, kClosedForm, name + " A2");
    expectFigure(r.andersonDarling.p, f.p, kClosedForm, name + " p");
}
INSTANTIATE_TEST_SUITE_P(Golden, PeriodFigures,
                         testing::Range<size_t>(0, golden::kDataSets.size()));

}  // namespace
