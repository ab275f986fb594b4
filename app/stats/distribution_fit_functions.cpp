// The fitted distributions' functions and the percentile method (stats/distribution_fit.h).
#include <algorithm>
#include <boost/math/tools/toms748_solve.hpp>
#include <cmath>
#include <cstdint>
#include <limits>

#include "stats/capability.h"
#include "stats/distribution_fit.h"
#include "stats/distributions.h"
#include "stats/ppm.h"

namespace zelapp {

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
// A folded normal's quantile to about 4 ulps, in at most this many steps.
const boost::math::tools::eps_tolerance<double> kQuantileTolerance(
    std::numeric_limits<double>::digits - 2);
constexpr std::uintmax_t kMostQuantileSteps = 300;

enum class Tail { Lower, Upper };

// P(X <= x) or P(X > x), each computed directly.
double tail(const DistributionFit &fit, double x, Tail which) {
    namespace bm = boost::math;
    if (!fit.fitted() || std::isnan(x)) {
        return kNaN;
    }
    const double a = fit.parameters[0].value;
    const double b = fit.parameters[1].value;
    const bool lower = which == Tail::Lower;
    if (fit.kind == Distribution::Normal) {
        const NormalDistribution normal(a, b);
        return std::isinf(x) ? double((x > 0) == lower)
                             : (lower ? bm::cdf(normal, x) : bm::cdf(bm::complement(normal, x)));
    }
    // The others live above 0.
    if (!(x > 0)) {
        return lower ? 0 : 1;
    }
    if (std::isinf(x)) {
        return lower ? 1 : 0;
    }
    switch (fit.kind) {
        case Distribution::Weibull: {
            const WeibullDistribution weibull(a, b);
            return lower ? bm::cdf(weibull, x) : bm::cdf(bm::complement(weibull, x));
        }
        case Distribution::Lognormal: {
            const LognormalDistribution lognormal(a, b);
            return lower ? bm::cdf(lognormal, x) : bm::cdf(bm::complement(lognormal, x));
        }
        case Distribution::FoldedNormal:
        case Distribution::Normal:
            break;
    }
    // |N(mu, sigma)|: cdf = Phi((x - mu) / sigma) + Phi((x + mu) / sigma) - 1.
    const NormalDistribution unit;
    const double zMinus = (x - a) / b;
    const double zPlus = (x + a) / b;
    return lower ? bm::cdf(unit, zPlus) - bm::cdf(bm::complement(unit, zMinus))
                 : bm::cdf(bm::complement(unit, zMinus)) + bm::cdf(bm::complement(unit, zPlus));
}

// The folded normal's quantile: the root of its cdf (its upper tail above the median) in
// [0, mu + sigma z], where z is the normal's (1 + p) / 2 quantile, at which the cdf is at least
// p already.
double foldedQuantile(const DistributionFit &fit, double p) {
    namespace bm = boost::math;
    const double mu = fit.parameters[0].value;
    const double sigma = fit.parameters[1].value;
    const auto f = [&](double x) {
        return p <= 0.5 ? tail(fit, x, Tail::Lower) - p : (1 - p) - tail(fit, x, Tail::Upper);
    };
    double high = mu + sigma * bm::quantile(bm::complement(NormalDistribution(), (1 - p) / 2));
    double atHigh = f(high);
    for (int widened = 0; atHigh < 0 && widened < 8; ++widened) {
        high = 2 * high + sigma;  // rounding at the far end
        atHigh = f(high);
    }
    if (atHigh == 0) {
        return high;
    }
    if (!(atHigh > 0)) {
        return kNaN;  // not bracketed (no number at the far end)
    }
    std::uintmax_t steps = kMostQuantileSteps;
    const auto [low, top] = bm::tools::toms748_solve(
        f, 0.0, high, f(0.0), atHigh, kQuantileTolerance, steps, stats_policy::Policy());
    return steps < kMostQuantileSteps ? low + (top - low) / 2 : kNaN;
}

}  // namespace

double fittedCdf(const DistributionFit &fit, double x) {
    return tail(fit, x, Tail::Lower);
}

double fittedSf(const DistributionFit &fit, double x) {
    return tail(fit, x, Tail::Upper);
}

double fittedQuantile(const DistributionFit &fit, double p) {
    namespace bm = boost::math;
    if (!fit.fitted() || !(p > 0 && p < 1)) {
        return kNaN;
    }
    const double a = fit.parameters[0].value;
    const double b = fit.parameters[1].value;
    // Under the statistics' policy a quantile beyond the doubles is infinite, never thrown.
    switch (fit.kind) {
        case Distribution::Normal:
            return bm::quantile(NormalDistribution(a, b), p);
        case Distribution::Weibull:
            return bm::quantile(WeibullDistribution(a, b), p);
        case Distribution::Lognormal:
            return bm::quantile(LognormalDistribution(a, b), p);
        case Distribution::FoldedNormal:
            return foldedQuantile(fit, p);
    }
    return kNaN;
}

// ---- The percentile method ----

DistributionCapability distributionCapability(const DistributionFit &fit,
                                              const ToleranceLimits &limits, ToleranceSides sides) {
    const double lo = std::min(limits.loTol, limits.hiTol);
    const double hi = std::max(limits.loTol, limits.hiTol);
    DistributionCapability out;
    out.fit = fit;
    QString why = fit.reason;
    const double xLow = fittedQuantile(fit, kLowPercentile);
    const double xMedian = fittedQuantile(fit, 0.5);
    const double xHigh = fittedQuantile(fit, kHighPercentile);
    if (why.isEmpty() && !(xLow < xMedian && xMedian < xHigh && std::isfinite(xHigh - xLow))) {
        why = QStringLiteral("the fitted spread is 0");
    }
    if (!why.isEmpty()) {
        for (CapabilityIndex *index : {&out.pp, &out.ppk, &out.ppu, &out.ppl}) {
            *index = {std::nullopt, why, std::nullopt, why};
        }
        out.ppm = {std::nullopt, std::nullopt, std::nullopt, why};
    } else {
        // Confidence bounds of the percentile indices are not defined.
        const auto index = [](double value) {
            return CapabilityIndex{
                value, {}, std::nullopt, QStringLiteral("the percentile method has none")};
        };
        out.pp = index((hi - lo) / (xHigh - xLow));
        out.ppu = index((hi - xMedian) / (xHigh - xMedian));
        out.ppl = index((xMedian - lo) / (xMedian - xLow));
        out.ppk = index(std::min(*out.ppu.value, *out.ppl.value));
        out.ppm = partsPerMillion(fittedCdf(fit, lo), fittedSf(fit, hi), sides);
    }
    keepOneSide(out.pp, out.ppk, out.ppu, out.ppl, sides);
    return out;
}

DistributionCapability distributionCapability(const std::vector<double> &values, Distribution kind,
                                              const ToleranceLimits &limits, ToleranceSides sides) {
    return distributionCapability(fitDistribution(values, kind), limits, sides);
}

}  // namespace zelapp
