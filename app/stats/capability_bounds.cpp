#include "stats/capability_bounds.h"

#include <cmath>

#include "stats/distributions.h"

namespace zelapp {

std::optional<ConfidenceBounds> chiSquareBounds95(double index, qint64 n) {
    if (n < 2) {
        return std::nullopt;
    }
    const double v = double(n - 1);
    const ChiSquaredDistribution chi2(v);
    return ConfidenceBounds{index * std::sqrt(boost::math::quantile(chi2, 0.025) / v),
                            index * std::sqrt(boost::math::quantile(chi2, 0.975) / v)};
}

std::optional<ConfidenceBounds> bissellBounds95(double index, qint64 n) {
    if (n < 2) {
        return std::nullopt;
    }
    const double half = 1.96 * std::sqrt(1 / (9 * double(n)) + index * index / (2 * double(n - 1)));
    return ConfidenceBounds{index - half, index + half};
}

}  // namespace zelapp
