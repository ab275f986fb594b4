#include "stats/normality.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "stats/distributions.h"
#include "stats/moments.h"

namespace zelapp {

namespace {

// ln Phi(-|z|) and ln Phi(|z|), from one evaluation of the smaller tail so that neither is
// lost to rounding. Where Phi underflows (|z| beyond 37: a value far out of a large sample) the
// smaller is its asymptotic series, so A-squared stays finite.
struct LogTails {
    double small;
    double large;
};

LogTails logTails(double z) {
    static const NormalDistribution standard;
    const double a = std::abs(z);
    if (a < 37) {
        const double tail = boost::math::cdf(standard, -a);
        return {std::log(tail), std::log1p(-tail)};
    }
    const double r = 1 / (a * a);
    const double small = -0.5 * a * a - std::log(a) - 0.5 * std::log(2 * std::numbers::pi) +
                         std::log1p(r * (-1 + r * (3 + r * (-15 + r * 105))));
    return {small, -std::exp(small)};
}

}  // namespace

NormalityTest andersonDarling(std::vector<double> values) {
    if (values.size() < kLeastAndersonDarlingValues) {
        return {std::nullopt, std::nullopt, QStringLiteral("fewer than 8 values")};
    }
    const double n = double(values.size());
    const double mean = meanOf(values);
    const double s = std::sqrt(sumOfSquares(values, mean) / (n - 1));
    if (!std::isfinite(s)) {  // before the sort: NaN would break its ordering
        return {std::nullopt, std::nullopt, QStringLiteral("a value is not finite")};
    }
    if (!(s > 0)) {
        return {std::nullopt, std::nullopt, QStringLiteral("sigma is 0")};
    }
    std::sort(values.begin(), values.end());
    // A^2 = -n - 1/n sum over i of (2i - 1) (ln Phi(z_i) + ln(1 - Phi(z_(n+1-i)))): each z
    // enters once on each side.
    double terms = 0;
    const size_t count = values.size();
    for (size_t i = 0; i < count; ++i) {
        const double z = (values[i] - mean) / s;
        const LogTails t = logTails(z);
        const double logCdf = z <= 0 ? t.small : t.large;       // ln Phi(z)
        const double logSurvival = z <= 0 ? t.large : t.small;  // ln (1 - Phi(z))
        terms += double(2 * i + 1) * logCdf + double(2 * (count - i) - 1) * logSurvival;
    }
    const double a2 = -n - terms / n;
    const double adjusted = a2 * (1 + 0.75 / n + 2.25 / (n * n));
    return {a2, andersonDarlingP(adjusted), {}};
}

double andersonDarlingP(double adjusted) {
    constexpr double kTurn = 5.709 / (2 * 0.0186);
    const double a = adjusted;
    double p = 0;
    if (a >= 0.6) {
        const double t = std::min(a, kTurn);
        p = std::exp(1.2937 - 5.709 * t + 0.0186 * t * t);
    } else if (a >= 0.34) {
        p = std::exp(0.9177 - 4.279 * a - 1.38 * a * a);
    } else if (a >= 0.2) {
        p = 1 - std::exp(-8.318 + 42.796 * a - 59.938 * a * a);
    } else {
        p = 1 - std::exp(-13.436 + 101.14 * a - 223.73 * a * a);
    }
    return std::clamp(p, 0.0, 1.0);
}

}  // namespace zelapp
