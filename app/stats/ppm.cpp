#include "stats/ppm.h"

#include "stats/distributions.h"

namespace zelapp {

namespace {
constexpr double kMillion = 1e6;
}  // namespace

PartsPerMillion partsPerMillion(double below, double above, ToleranceSides sides) {
    PartsPerMillion ppm;
    ppm.total = 0;
    if (sides != ToleranceSides::UpperOnly) {
        ppm.below = below * kMillion;
        *ppm.total += *ppm.below;
    }
    if (sides != ToleranceSides::LowerOnly) {
        ppm.above = above * kMillion;
        *ppm.total += *ppm.above;
    }
    return ppm;
}

PartsPerMillion expectedPpm(double mean, double sigma, double lo, double hi, ToleranceSides sides) {
    if (!(sigma > 0)) {
        return {std::nullopt, std::nullopt, std::nullopt, QStringLiteral("sigma is 0")};
    }
    const NormalDistribution normal(mean, sigma);
    // The upper tail as a complement: 1 - cdf would lose it to rounding.
    return partsPerMillion(boost::math::cdf(normal, lo),
                           boost::math::cdf(boost::math::complement(normal, hi)), sides);
}

PartsPerMillion observedPpm(const std::vector<double> &values, double lo, double hi,
                            ToleranceSides sides) {
    if (values.empty()) {
        return {std::nullopt, std::nullopt, std::nullopt, QStringLiteral("no values")};
    }
    size_t below = 0;
    size_t above = 0;
    for (const double v : values) {
        below += v < lo ? 1 : 0;
        above += v > hi ? 1 : 0;
    }
    const double n = double(values.size());
    return partsPerMillion(double(below) / n, double(above) / n, sides);
}

}  // namespace zelapp
