// The fits, the fitted distributions' functions, the percentile indices and the expected parts
// per million held to SciPy's, to 1e-6 relative. Every golden figure below was made by
// distribution_fit_golden.py beside this file (its header has the command): SciPy's maximum
// likelihood under a tight optimiser, checked against the likelihood equations, and SciPy's
// ppf, cdf and sf of the fitted distributions. Each row names the call that made it.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <ostream>

#include "stats/distribution_fit.h"
#include "stats/process_stats.h"

using namespace zelapp;
using namespace Qt::StringLiterals;

namespace {

constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

// Within 1e-6 of the golden figure, relative; a golden 0 (or a probability below 1e-20) within
// `floor` absolute.
::testing::AssertionResult near(double actual, double golden, double floor = 1e-20) {
    if (std::abs(actual - golden) <= 1e-6 * std::abs(golden) + floor) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actual << " is not " << golden << " (relative " << (actual - golden) / golden << ")";
}

// A figure where the golden row has one, none where it has kNone.
void expectFigure(std::optional<double> figure, double golden, const char *name) {
    SCOPED_TRACE(name);
    if (std::isnan(golden)) {
        EXPECT_FALSE(figure.has_value());
        return;
    }
    ASSERT_TRUE(figure.has_value());
    EXPECT_TRUE(near(*figure, golden, 1e-9));
}

ToleranceLimits limits(double lo, double hi) {
    ToleranceLimits l;
    l.loTol = float(lo);
    l.hiTol = float(hi);
    return l;
}

// ---- The data sets (made with a fixed seed by the script; gauge values in mm) ----
const std::vector<double> runout40 = {
    0.00631, 0.01156, 0.00502, 0.00571, 0.01317, 0.01486, 0.0194,  0.00148, 0.00489, 0.00812,
    0.01393, 0.00197, 0.0066,  0.00439, 0.01985, 0.00705, 0.00363, 0.00848, 0.00301, 0.00324,
    0.01377, 0.00759, 0.00502, 0.00862, 0.00826, 0.00684, 0.00502, 0.00614, 0.00884, 0.00851,
    0.00349, 0.00354, 0.01599, 0.01122, 0.00523, 0.0037,  0.01275, 0.00658, 0.00141, 0.01123};
const std::vector<double> tir60 = {
    0.0081, 0.0014, 0.0048, 0.0091, 0.0092, 0.006,  0.01,   0.0069, 0.017,  0.0051, 0.0104, 0.0071,
    0.0151, 0.0042, 0.0153, 0.0028, 0.0018, 0.0067, 0.0106, 0.0009, 0.007,  0.01,   0.0098, 0.0153,
    0.0147, 0.012,  0.0155, 0.0156, 0.0033, 0.0231, 0.0097, 0.0064, 0.0136, 0.0071, 0.0138, 0.0028,
    0.0144, 0.0024, 0.0123, 0.0087, 0.007,  0.0109, 0.0065, 0.0054, 0.0124, 0.0216, 0.004,  0.0169,
    0.0165, 0.0033, 0.0111, 0.0131, 0.0045, 0.0165, 0.0153, 0.0202, 0.0123, 0.0157, 0.0209, 0.0112};
const std::vector<double> flatness120 = {
    0.01597, 0.01041, 0.02275, 0.01131, 0.03278, 0.02137, 0.02881, 0.02152, 0.03492, 0.01629,
    0.02046, 0.03755, 0.01135, 0.02181, 0.03102, 0.01239, 0.0146,  0.0114,  0.03402, 0.01837,
    0.01736, 0.01059, 0.01239, 0.03035, 0.01837, 0.0167,  0.02856, 0.0133,  0.04134, 0.01695,
    0.01588, 0.01775, 0.02034, 0.02742, 0.0146,  0.0138,  0.02035, 0.0233,  0.02968, 0.01614,
    0.0309,  0.01264, 0.03731, 0.01223, 0.01924, 0.02184, 0.03155, 0.03858, 0.02045, 0.04694,
    0.01383, 0.02317, 0.01798, 0.02588, 0.01303, 0.0122,  0.03563, 0.03228, 0.02574, 0.01458,
    0.02611, 0.02446, 0.03484, 0.02221, 0.00967, 0.01815, 0.01975, 0.02857, 0.01789, 0.01242,
    0.03356, 0.02379, 0.01221, 0.01484, 0.03025, 0.0109,  0.03092, 0.02021, 0.01868, 0.02953,
    0.01652, 0.02051, 0.04174, 0.01367, 0.0454,  0.00937, 0.0136,  0.03,    0.01484, 0.01733,
    0.02853, 0.03078, 0.02493, 0.01568, 0.02653, 0.02143, 0.034,   0.02384, 0.01398, 0.0189,
    0.00995, 0.02655, 0.02446, 0.02017, 0.01092, 0.01679, 0.02719, 0.01841, 0.02111, 0.03348,
    0.0266,  0.00974, 0.02359, 0.01313, 0.00735, 0.03371, 0.01025, 0.01735, 0.03508, 0.02744};
const std::vector<double> porosity30 = {
    0.00128, 0.01289, 0.00793, 0.00082, 0.00094, 0.00293, 0.00647, 0.00142, 0.00316, 0.00915,
    0.00327, 0.00075, 0.00313, 0.00851, 0.00267, 0.00284, 0.00372, 0.00057, 0.0038,  1e-05,
    0.00875, 0.00354, 0.00049, 0.0009,  0.00246, 0.00029, 0.00079, 0.01056, 0.00073, 0.0003};
const std::vector<double> short10 = {0.0042, 0.0061, 0.0038, 0.0075, 0.0051,
                                     0.0029, 0.0066, 0.0047, 0.009,  0.0055};
const std::vector<double> withZero12 = {0.0,    0.0021, 0.0034, 0.0012, 0.0048, 0.0027,
                                        0.0009, 0.0041, 0.003,  0.0018, 0.0056, 0.0025};

}  // namespace

// ---- Fits ----

struct FitRow {
    const std::vector<double> *values;
    Distribution kind;
    double first;   // shape or mu
    double second;  // scale or sigma
    const char *source;
};
void PrintTo(const FitRow &row, std::ostream *out) {
    *out << row.source;
}

class FitAgainstScipy : public ::testing::TestWithParam<FitRow> {};

TEST_P(FitAgainstScipy, ParametersOfTheMaximumLikelihood) {
    const FitRow &row = GetParam();
    const DistributionFit fit = fitDistribution(*row.values, row.kind);
    ASSERT_TRUE(fit.fitted()) << fit.reason.toStdString();
    EXPECT_EQ(fit.kind, row.kind);
    // A folded normal's best mu may be 0 (the half normal): held to its sigma's scale.
    EXPECT_TRUE(near(fit.parameters[0].value, row.first, 1e-6 * row.second));
    EXPECT_TRUE(near(fit.parameters[1].value, row.second));
}

INSTANTIATE_TEST_SUITE_P(Golden, FitAgainstScipy,
                         ::testing::ValuesIn(std::vector<FitRow>{
                             {&runout40, Distribution::Weibull, 1.808476442975558,
                              0.008933506856387418, "weibull_min.fit(runout40, floc=0)"},
                             {&runout40, Distribution::FoldedNormal, 0.007498665284153046,
                              0.005268624003857031, "foldnorm.fit(runout40, floc=0)"},
                             {&runout40, Distribution::Lognormal, -5.024181123585008,
                              0.639495230802496, "lognorm.fit(runout40, floc=0)"},
                             {&tir60, Distribution::Weibull, 1.9528677096866613,
                              0.01154456542642877, "weibull_min.fit(tir60, floc=0)"},
                             {&tir60, Distribution::FoldedNormal, 0.010032939406799729,
                              0.005822996919880867, "foldnorm.fit(tir60, floc=0)"},
                             {&tir60, Distribution::Lognormal, -4.772376208641849,
                              0.6979475320219045, "lognorm.fit(tir60, floc=0)"},
                             {&flatness120, Distribution::Weibull, 2.697164384006581,
                              0.0247533945793379, "weibull_min.fit(flatness120, floc=0)"},
                             {&flatness120, Distribution::FoldedNormal, 0.0219401810060782,
                              0.008797413845426278, "foldnorm.fit(flatness120, floc=0)"},
                             {&flatness120, Distribution::Lognormal, -3.900309396821488,
                              0.40890112727906114, "lognorm.fit(flatness120, floc=0)"},
                             {&porosity30, Distribution::Weibull, 0.9377919906391716,
                              0.0034043864010644344, "weibull_min.fit(porosity30, floc=0)"},
                             {&porosity30, Distribution::FoldedNormal, 0.0, 0.004914985574735822,
                              "halfnorm.fit(porosity30, floc=0)"},
                             {&porosity30, Distribution::Lognormal, -6.313191101425522,
                              1.4387014232196393, "lognorm.fit(porosity30, floc=0)"},
                             {&short10, Distribution::Weibull, 3.4551595622052473,
                              0.006166121600725749, "weibull_min.fit(short10, floc=0)"},
                             {&short10, Distribution::FoldedNormal, 0.0055399865562277256,
                              0.001730476598909098, "foldnorm.fit(short10, floc=0)"},
                             {&short10, Distribution::Lognormal, -5.245371930203243,
                              0.3184699501966352, "lognorm.fit(short10, floc=0)"},
                             {&short10, Distribution::Normal, 0.005540000000000001,
                              0.0018240370366610188, "mean, std(ddof=1)"},
                             {&withZero12, Distribution::FoldedNormal, 0.002602718672457024,
                              0.0016812760649500174, "foldnorm.fit(withZero12, floc=0)"},
                         }));

// ---- Fits refused ----

struct RefusalRow {
    std::vector<double> values;
    Distribution kind;
    const char *reason;
};
void PrintTo(const RefusalRow &row, std::ostream *out) {
    *out << distributionName(row.kind).toStdString() << ": " << row.reason;
}

class FitRefused : public ::testing::TestWithParam<RefusalRow> {};

TEST_P(FitRefused, WithItsReasonAndNoFigure) {
    const RefusalRow &row = GetParam();
    const DistributionCapability c =
        distributionCapability(row.values, row.kind, limits(0, 0.02), ToleranceSides::Both);
    EXPECT_FALSE(c.fit.fitted());
    EXPECT_EQ(c.fit.reason, QString::fromLatin1(row.reason));
    for (const CapabilityIndex *index : {&c.pp, &c.ppk, &c.ppu, &c.ppl}) {
        EXPECT_EQ(*index,
                  (CapabilityIndex{std::nullopt, c.fit.reason, std::nullopt, c.fit.reason}));
    }
    EXPECT_EQ(c.ppm, (PartsPerMillion{std::nullopt, std::nullopt, std::nullopt, c.fit.reason}));
}

INSTANTIATE_TEST_SUITE_P(
    TooLittleOrUnfitData, FitRefused,
    ::testing::ValuesIn(std::vector<RefusalRow>{
        {{}, Distribution::Weibull, "fewer than 2 values"},
        {{0.004}, Distribution::FoldedNormal, "fewer than 2 values"},
        {{0.003, 0.003, 0.003, 0.003, 0.003}, Distribution::Weibull, "all values are equal"},
        {{0.003, 0.003, 0.003}, Distribution::FoldedNormal, "all values are equal"},
        {{0.003, 0.003}, Distribution::Lognormal, "all values are equal"},
        {{0, 0}, Distribution::FoldedNormal, "all values are equal"},
        {withZero12, Distribution::Weibull, "a value is not above 0"},
        {withZero12, Distribution::Lognormal, "a value is not above 0"},
        {{0.002, -0.001, 0.003}, Distribution::FoldedNormal, "a value is below 0"},
        {{0.002, kNone, 0.003}, Distribution::Lognormal, "a value is not finite"},
        {{0.002, HUGE_VAL, 0.003}, Distribution::Normal, "a value is not finite"},
    }));

// ---- Quantiles and distribution functions ----

struct QuantileRow {
    Distribution kind;
    double first, second, p, quantile;
    const char *source;
};
void PrintTo(const QuantileRow &row, std::ostream *out) {
    *out << row.source << " at " << row.p;
}

class QuantileAgainstScipy : public ::testing::TestWithParam<QuantileRow> {};

TEST_P(QuantileAgainstScipy, AndTheCdfTakesItBack) {
    const QuantileRow &row = GetParam();
    const DistributionFit fit = distributionWith(row.kind, row.first, row.second);
    const double q = fittedQuantile(fit, row.p);
    EXPECT_TRUE(near(q, row.quantile));
    EXPECT_TRUE(near(row.p < 0.5 ? fittedCdf(fit, q) : 1 - fittedSf(fit, q), row.p));
}

INSTANTIATE_TEST_SUITE_P(
    Golden, QuantileAgainstScipy,
    ::testing::ValuesIn(std::vector<QuantileRow>{
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.00135,
         0.00023141821441437148, "weibull_min.ppf, fit of runout40"},
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.5, 0.007294678468580661,
         "weibull_min.ppf, fit of runout40"},
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.99865,
         0.025378639912831052, "weibull_min.ppf, fit of runout40"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.00135,
         4.3468315148292836e-05, "foldnorm.ppf, fit of tir60"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.5,
         0.010037081160279756, "foldnorm.ppf, fit of tir60"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.99865,
         0.02750179627049042, "foldnorm.ppf, fit of tir60"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 1e-07,
         3.219934066730199e-09, "foldnorm.ppf, fit of tir60"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.00135, 8.316032190275242e-06,
         "foldnorm.ppf, fit of porosity30"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.5, 0.0033151073925209093,
         "foldnorm.ppf, fit of porosity30"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.99865, 0.015753183345715353,
         "foldnorm.ppf, fit of porosity30"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 1e-07, 6.16002090503208e-10,
         "foldnorm.ppf, fit of porosity30"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.00135,
         0.005934316801955618, "lognorm.ppf, fit of flatness120"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.5,
         0.020235649631484887, "lognorm.ppf, fit of flatness120"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.99865,
         0.069002301305059, "lognorm.ppf, fit of flatness120"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.00135,
         6.793085617806845e-05, "norm.ppf, fit of short10"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.5,
         0.005540000000000001, "norm.ppf, fit of short10"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.99865,
         0.011012069143821947, "norm.ppf, fit of short10"},
    }));

struct CdfRow {
    Distribution kind;
    double first, second, x, cdf, sf;
    const char *source;
};
void PrintTo(const CdfRow &row, std::ostream *out) {
    *out << row.source << " at " << row.x;
}

class CdfAgainstScipy : public ::testing::TestWithParam<CdfRow> {};

TEST_P(CdfAgainstScipy, BothTailsEachToItsOwnPrecision) {
    const CdfRow &row = GetParam();
    const DistributionFit fit = distributionWith(row.kind, row.first, row.second);
    EXPECT_TRUE(near(fittedCdf(fit, row.x), row.cdf));
    EXPECT_TRUE(near(fittedSf(fit, row.x), row.sf));
}

INSTANTIATE_TEST_SUITE_P(
    Golden, CdfAgainstScipy,
    ::testing::ValuesIn(std::vector<CdfRow>{
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.0005,
         0.005426408732691287, 0.9945735912673088, "weibull_min.cdf, .sf, fit of runout40"},
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.01, 0.7066064375258554,
         0.29339356247414455, "weibull_min.cdf, .sf, fit of runout40"},
        {Distribution::Weibull, 1.808476442975558, 0.008933506856387418, 0.05, 0.9999999998348299,
         1.6517009918684063e-10, "weibull_min.cdf, .sf, fit of runout40"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.0005,
         0.015565791959173847, 0.984434208040826, "foldnorm.cdf, norm.sf both tails, fit of tir60"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.01,
         0.497452764177726, 0.5025472358222739, "foldnorm.cdf, norm.sf both tails, fit of tir60"},
        {Distribution::FoldedNormal, 0.010032939406799729, 0.005822996919880867, 0.05,
         0.999999999996644, 3.355955705188009e-12,
         "foldnorm.cdf, norm.sf both tails, fit of tir60"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.0005, 0.0810287714606821,
         0.9189712285393178, "foldnorm.cdf, norm.sf both tails, fit of porosity30"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.01, 0.958108255117071,
         0.04189174488292892, "foldnorm.cdf, norm.sf both tails, fit of porosity30"},
        {Distribution::FoldedNormal, 0.0, 0.004914985574735822, 0.05, 1.0, 2.61802237708375e-24,
         "foldnorm.cdf, norm.sf both tails, fit of porosity30"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.0005,
         7.14235804950219e-20, 1.0, "lognorm.cdf, .sf, fit of flatness120"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.01,
         0.04237263404999068, 0.9576273659500093, "lognorm.cdf, .sf, fit of flatness120"},
        {Distribution::Lognormal, -3.900309396821488, 0.40890112727906114, 0.05, 0.9865240864553038,
         0.013475913544696216, "lognorm.cdf, .sf, fit of flatness120"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.0005,
         0.0028627454020559917, 0.997137254597944, "norm.cdf, .sf, fit of short10"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.01,
         0.9927599185764909, 0.007240081423509068, "norm.cdf, .sf, fit of short10"},
        {Distribution::Normal, 0.005540000000000001, 0.0018240370366610188, 0.05, 1.0,
         1.5939991691402549e-131, "norm.cdf, .sf, fit of short10"},
    }));

TEST(FittedFunctions, BelowZeroOutsideTheUnitIntervalAndUnfitAreNoNumber) {
    const DistributionFit weibull = distributionWith(Distribution::Weibull, 1.8, 0.009);
    EXPECT_EQ(fittedCdf(weibull, -0.001), 0);
    EXPECT_EQ(fittedSf(weibull, 0), 1);
    EXPECT_EQ(fittedSf(weibull, HUGE_VAL), 0);
    for (const double p : {0.0, 1.0, -0.5, kNone}) {
        EXPECT_TRUE(std::isnan(fittedQuantile(weibull, p))) << p;
    }
    const DistributionFit bad = distributionWith(Distribution::FoldedNormal, -0.001, 0.002);
    EXPECT_EQ(bad.reason, u"the parameters are not valid"_s);
    EXPECT_TRUE(std::isnan(fittedCdf(bad, 0.001)));
    EXPECT_TRUE(std::isnan(fittedQuantile(bad, 0.5)));
    EXPECT_FALSE(distributionWith(Distribution::Lognormal, -4, 0).fitted());
    EXPECT_FALSE(distributionWith(Distribution::Weibull, 0, 1).fitted());
}

// ---- The percentile method ----

struct IndicesRow {
    const std::vector<double> *values;
    Distribution kind;
    double lo, hi;
    ToleranceSides sides;
    double pp, ppk, ppu, ppl;
    const char *source;
};
void PrintTo(const IndicesRow &row, std::ostream *out) {
    *out << row.source << ", sides " << int(row.sides);
}

class PercentileIndices : public ::testing::TestWithParam<IndicesRow> {};

TEST_P(PercentileIndices, FromTheFittedQuantiles) {
    const IndicesRow &row = GetParam();
    const DistributionCapability c =
        distributionCapability(*row.values, row.kind, limits(row.lo, row.hi), row.sides);
    expectFigure(c.pp.value, row.pp, "pp");
    expectFigure(c.ppk.value, row.ppk, "ppk");
    expectFigure(c.ppu.value, row.ppu, "ppu");
    expectFigure(c.ppl.value, row.ppl, "ppl");
}

INSTANTIATE_TEST_SUITE_P(
    Golden, PercentileIndices,
    ::testing::ValuesIn(std::vector<IndicesRow>{
        {&runout40, Distribution::Weibull, 0.0, 0.02500000037252903, ToleranceSides::Both,
         0.9941456226197378, 0.9790621351704771, 0.9790621351704771, 1.032763653905839,
         "weibull_min.ppf at 0.00135, 0.5, 0.99865, fit of runout40"},
        {&runout40, Distribution::Weibull, 0.0, 0.02500000037252903, ToleranceSides::UpperOnly,
         kNone, kNone, 0.9790621351704771, kNone,
         "weibull_min.ppf at 0.00135, 0.5, 0.99865, fit of runout40"},
        {&tir60, Distribution::FoldedNormal, 0.0, 0.029999999329447746, ToleranceSides::Both,
         1.0925646812231016, 1.0043496096778923, 1.1430428749162223, 1.0043496096778923,
         "foldnorm.ppf at 0.00135, 0.5, 0.99865, fit of tir60"},
        {&tir60, Distribution::FoldedNormal, 0.0, 0.029999999329447746, ToleranceSides::UpperOnly,
         kNone, kNone, 1.1430428749162223, kNone,
         "foldnorm.ppf at 0.00135, 0.5, 0.99865, fit of tir60"},
        {&flatness120, Distribution::Lognormal, 0.004999999888241291, 0.05999999865889549,
         ToleranceSides::Both, 0.8720747809524154, 0.8154004358055669, 0.8154004358055669,
         1.065330757968597, "lognorm.ppf at 0.00135, 0.5, 0.99865, fit of flatness120"},
        {&flatness120, Distribution::Lognormal, 0.004999999888241291, 0.05999999865889549,
         ToleranceSides::LowerOnly, kNone, kNone, kNone, 1.065330757968597,
         "lognorm.ppf at 0.00135, 0.5, 0.99865, fit of flatness120"},
        {&porosity30, Distribution::FoldedNormal, 0.0, 0.019999999552965164, ToleranceSides::Both,
         1.2702551983899455, 1.0025148342559609, 1.3414367481940896, 1.0025148342559609,
         "foldnorm.ppf at 0.00135, 0.5, 0.99865, fit of porosity30"},
        {&short10, Distribution::Normal, 0.0020000000949949026, 0.012000000104308128,
         ToleranceSides::Both, 0.9137311450645136, 0.6469216327432236, 1.1805406573858028,
         0.6469216327432236, "norm.ppf at 0.00135, 0.5, 0.99865, fit of short10"},
    }));

TEST(PercentileOneSided, OneLimitIsToldAsTheNormalIndicesTellItAndLimitsMayComeInAnyOrder) {
    const DistributionFit fit = fitDistribution(runout40, Distribution::Weibull);
    const DistributionCapability upper =
        distributionCapability(fit, limits(0.025, 0), ToleranceSides::UpperOnly);
    EXPECT_EQ(upper.pp.reason, u"upper limit only"_s);
    EXPECT_EQ(upper.ppk.reason, u"upper limit only"_s);
    EXPECT_EQ(upper.ppl.reason, u"no lower limit"_s);
    EXPECT_EQ(upper.ppu.noCi95, u"the percentile method has none"_s);
    EXPECT_FALSE(upper.ppm.below.has_value());
    EXPECT_EQ(upper.ppm.total, upper.ppm.above);
    const DistributionCapability lower =
        distributionCapability(fit, limits(0, 0.025), ToleranceSides::LowerOnly);
    EXPECT_EQ(lower.pp.reason, u"lower limit only"_s);
    EXPECT_EQ(lower.ppu.reason, u"no upper limit"_s);
    EXPECT_FALSE(lower.ppm.above.has_value());
    EXPECT_EQ(lower.ppm.total, lower.ppm.below);
    // An unfit series keeps the side's reason where the side says so, the fit's elsewhere.
    const DistributionCapability none = distributionCapability(
        {0.004}, Distribution::Weibull, limits(0, 0.025), ToleranceSides::UpperOnly);
    EXPECT_EQ(none.pp.reason, u"upper limit only"_s);
    EXPECT_EQ(none.ppu.reason, u"fewer than 2 values"_s);
}

// ---- Expected parts per million ----

struct PpmRow {
    const std::vector<double> *values;
    Distribution kind;
    double lo, hi;
    ToleranceSides sides;
    double below, above, total;
    const char *source;
};
void PrintTo(const PpmRow &row, std::ostream *out) {
    *out << row.source << ", sides " << int(row.sides);
}

class ExpectedPpm : public ::testing::TestWithParam<PpmRow> {};

TEST_P(ExpectedPpm, FromTheFittedDistributionsTails) {
    const PpmRow &row = GetParam();
    const DistributionCapability c =
        distributionCapability(*row.values, row.kind, limits(row.lo, row.hi), row.sides);
    expectFigure(c.ppm.below, row.below, "below");
    expectFigure(c.ppm.above, row.above, "above");
    expectFigure(c.ppm.total, row.total, "total");
}

INSTANTIATE_TEST_SUITE_P(
    Golden, ExpectedPpm,
    ::testing::ValuesIn(std::vector<PpmRow>{
        {&runout40, Distribution::Weibull, 0.0, 0.02500000037252903, ToleranceSides::Both, 0.0,
         1611.7401498966283, 1611.7401498966283, "weibull_min.cdf(lo), .sf(hi), fit of runout40"},
        {&runout40, Distribution::Weibull, 0.0, 0.02500000037252903, ToleranceSides::UpperOnly,
         kNone, 1611.7401498966283, 1611.7401498966283,
         "weibull_min.cdf(lo), .sf(hi), fit of runout40"},
        {&tir60, Distribution::FoldedNormal, 0.0, 0.029999999329447746, ToleranceSides::Both, 0.0,
         302.90409906293064, 302.90409906293064,
         "foldnorm.cdf(lo), norm.sf both tails(hi), fit of tir60"},
        {&tir60, Distribution::FoldedNormal, 0.0, 0.029999999329447746, ToleranceSides::UpperOnly,
         kNone, 302.90409906293064, 302.90409906293064,
         "foldnorm.cdf(lo), norm.sf both tails(hi), fit of tir60"},
        {&flatness120, Distribution::Lognormal, 0.004999999888241291, 0.05999999865889549,
         ToleranceSides::Both, 314.32914410665757, 3929.1693445744745, 4243.498488681132,
         "lognorm.cdf(lo), .sf(hi), fit of flatness120"},
        {&flatness120, Distribution::Lognormal, 0.004999999888241291, 0.05999999865889549,
         ToleranceSides::LowerOnly, 314.32914410665757, kNone, 314.32914410665757,
         "lognorm.cdf(lo), .sf(hi), fit of flatness120"},
        {&porosity30, Distribution::FoldedNormal, 0.0, 0.019999999552965164, ToleranceSides::Both,
         0.0, 47.17730072236714, 47.17730072236714,
         "foldnorm.cdf(lo), norm.sf both tails(hi), fit of porosity30"},
        {&short10, Distribution::Normal, 0.0020000000949949026, 0.012000000104308128,
         ToleranceSides::Both, 26144.303338532292, 198.85794883730313, 26343.161287369596,
         "norm.cdf(lo), .sf(hi), fit of short10"},
    }));

// ---- In the statistics of a characteristic ----

// The part program's distribution takes over Pp..Ppl and the overall ppm; Cp, the within and
// observed ppm and the normality test stay the normal ones. A fit refused leaves those figures
// none with its reason, never the normal figures in their place.
TEST(DistributionInStatistics, TakesOverTheOverallFiguresOnly) {
    std::vector<SeriesValue> series;
    for (const double v : runout40) {
        series.push_back({qint64(series.size()) + 1, qint64(series.size()) + 1, {}, v, false});
    }
    StatsOptions options;
    options.limits = limits(0.0, 0.025);
    const StatsResult normal = computeStats(series, options);
    options.distribution = Distribution::Weibull;
    const StatsResult weibull = computeStats(series, options);
    ASSERT_TRUE(weibull.fit.has_value());
    EXPECT_FALSE(normal.fit.has_value());
    const DistributionCapability expected =
        distributionCapability(runout40, Distribution::Weibull, options.limits, options.sides);
    EXPECT_EQ(*weibull.fit, expected.fit);
    EXPECT_TRUE(near(*weibull.pp.value, 0.9941456226197378));  // the percentile table's row
    EXPECT_EQ(weibull.ppk, expected.ppk);
    EXPECT_EQ(weibull.ppmOverall, expected.ppm);
    EXPECT_EQ(weibull.cp, normal.cp);
    EXPECT_EQ(weibull.ppmWithin, normal.ppmWithin);
    EXPECT_EQ(weibull.ppmObserved, normal.ppmObserved);
    EXPECT_EQ(weibull.andersonDarling, normal.andersonDarling);

    series.front().value = 0;  // a run-out of exactly 0: no Weibull
    const StatsResult refused = computeStats(series, options);
    ASSERT_TRUE(refused.fit.has_value());
    EXPECT_EQ(refused.fit->reason, u"a value is not above 0"_s);
    EXPECT_EQ(refused.fit->parameters[0].name, u"shape"_s);
    for (const CapabilityIndex *index : {&refused.pp, &refused.ppk}) {
        EXPECT_FALSE(index->value.has_value());
        EXPECT_EQ(index->reason, u"a value is not above 0"_s);
    }
    EXPECT_FALSE(refused.ppmOverall.total.has_value());
    EXPECT_TRUE(refused.cp.value.has_value());
}
