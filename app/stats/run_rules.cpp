#include "stats/run_rules.h"

#include <algorithm>
#include <cstdlib>

namespace zelapp {

namespace {

// The distance from the centre line in sigmas of the plotted point: + above, - below.
double zoneOf(double value, const ChartLimits &limits) {
    if (value >= limits.cl) {
        const double third = (limits.ucl - limits.cl) / 3;
        return third > 0 ? (value - limits.cl) / third : 0;
    }
    const double third = (limits.cl - limits.lcl) / 3;
    return third > 0 ? (value - limits.cl) / third : 0;
}

// `count` of the last `window` zones ending at `i` (fewer at the start of the series) beyond
// `beyond` sigmas on the side of point i, which must be beyond itself.
bool manyBeyond(const std::vector<double> &z, size_t i, size_t window, size_t count,
                double beyond) {
    if (std::abs(z[i]) <= beyond) {
        return false;
    }
    const bool above = z[i] > 0;
    size_t found = 0;
    for (size_t j = i + 1 > window ? i + 1 - window : 0; j <= i; ++j) {
        found += (above ? z[j] > beyond : z[j] < -beyond) ? 1 : 0;
    }
    return found >= count;
}

bool breaks(int rule, const std::vector<RulePoint> &points, const std::vector<double> &z,
            size_t i) {
    // Whether the last `length` points ending at i all satisfy `test(j)`.
    const auto run = [i](size_t length, auto test) {
        if (i + 1 < length) {
            return false;
        }
        for (size_t j = i + 1 - length; j <= i; ++j) {
            if (!test(j)) {
                return false;
            }
        }
        return true;
    };
    switch (rule) {
        case 1:
            return std::abs(z[i]) > 3;
        case 2:
            return manyBeyond(z, i, 3, 2, 2);
        case 3:
            return manyBeyond(z, i, 5, 4, 1);
        case 4:
            return run(8, [&](size_t j) { return z[j] > 0; }) ||
                   run(8, [&](size_t j) { return z[j] < 0; });
        case 5:  // six points, each above (below) the one before
            return run(5,
                       [&](size_t j) { return j > 0 && points[j].value > points[j - 1].value; }) ||
                   run(5, [&](size_t j) { return j > 0 && points[j].value < points[j - 1].value; });
        case 6:  // fourteen points, the 13 steps between them turning each time
            return run(12, [&](size_t j) {
                if (j < 2) {
                    return false;
                }
                const double before = points[j - 1].value - points[j - 2].value;
                const double now = points[j].value - points[j - 1].value;
                return (before > 0 && now < 0) || (before < 0 && now > 0);
            });
        case 7:
            return run(15, [&](size_t j) { return std::abs(z[j]) < 1; });
        case 8: {
            if (!run(8, [&](size_t j) { return std::abs(z[j]) > 1; })) {
                return false;
            }
            const auto first = z.begin() + std::ptrdiff_t(i + 1 - 8);
            const auto last = z.begin() + std::ptrdiff_t(i + 1);
            return std::any_of(first, last, [](double v) { return v > 0; }) &&
                   std::any_of(first, last, [](double v) { return v < 0; });
        }
        default:
            return false;
    }
}

}  // namespace

std::vector<RuleBreak> findRuleBreaks(const std::vector<RulePoint> &points,
                                      const ChartLimits &limits, const std::vector<int> &rules,
                                      bool secondChart) {
    std::vector<RuleBreak> out;
    std::vector<int> chosen;
    for (const int rule : rules) {
        if (rule >= 1 && rule <= 8 && (!secondChart || rule == 1) &&
            std::find(chosen.begin(), chosen.end(), rule) == chosen.end()) {
            chosen.push_back(rule);
        }
    }
    std::sort(chosen.begin(), chosen.end());
    std::vector<double> z;
    z.reserve(points.size());
    for (const RulePoint &point : points) {
        z.push_back(zoneOf(point.value, limits));
    }
    for (size_t i = 0; i < points.size(); ++i) {
        for (const int rule : chosen) {
            if (breaks(rule, points, z, i)) {
                out.push_back({rule, points[i].subgroup, secondChart});
            }
        }
    }
    return out;
}

}  // namespace zelapp
