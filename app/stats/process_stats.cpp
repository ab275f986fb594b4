#include "stats/process_stats.h"

#include <algorithm>
#include <cmath>

#include "stats/capability.h"
#include "stats/control_constants.h"
#include "stats/run_rules.h"

namespace zelapp {

namespace {

constexpr int kBaselineSubgroups = 25;
constexpr int kBaselineIndividuals = 100;

double meanOf(const std::vector<double> &values) {
    double sum = 0;
    for (const double v : values) {
        sum += v;
    }
    return sum / double(values.size());
}

// The sample standard deviation (n - 1); none below 2 values.
std::optional<double> sampleSd(const std::vector<double> &values) {
    if (values.size() < 2) {
        return std::nullopt;
    }
    const double mean = meanOf(values);
    double squares = 0;
    for (const double v : values) {
        squares += (v - mean) * (v - mean);
    }
    return std::sqrt(squares / double(values.size() - 1));
}

// Consecutive values, k at a time. A subgroup's mean and spread are over its values not
// excluded (all of them when every one is).
std::vector<Subgroup> subgroupsOf(const std::vector<SeriesValue> &values, int k, ChartKind kind) {
    std::vector<Subgroup> out;
    out.reserve(values.size() / size_t(k) + 1);
    std::optional<double> previous;  // the last individual counted, for the moving range
    std::vector<double> counted;     // kept across subgroups: no allocation per subgroup
    std::vector<double> all;
    for (size_t first = 0; first < values.size(); first += size_t(k)) {
        Subgroup group;
        group.first = int(first);
        group.count = int(std::min(values.size() - first, size_t(k)));
        counted.clear();
        all.clear();
        for (size_t i = first; i < first + size_t(group.count); ++i) {
            all.push_back(values[i].value);
            if (!values[i].excluded) {
                counted.push_back(values[i].value);
            }
        }
        group.leftOut = group.count < k || counted.size() < all.size();
        const std::vector<double> &used = counted.empty() ? all : counted;
        group.mean = meanOf(used);
        if (kind == ChartKind::IndividualsMovingRange) {
            // An excluded individual breaks the moving range on both of its sides.
            if (!group.leftOut && previous) {
                group.spread = std::abs(group.mean - *previous);
            }
            previous = group.leftOut ? std::nullopt : std::optional<double>(group.mean);
        } else if (used.size() >= 2) {
            const auto [low, high] = std::minmax_element(used.begin(), used.end());
            group.spread = kind == ChartKind::XbarR ? *high - *low : *sampleSd(used);
        }
        out.push_back(group);
    }
    return out;
}

// The limits from the first `baseline` subgroups not left out.
void limitsFromBaseline(StatsResult &result, int k, int baseline) {
    std::vector<double> means;
    std::vector<double> spreads;
    for (const Subgroup &group : result.subgroups) {
        if (int(means.size()) == baseline) {
            break;
        }
        if (group.leftOut) {
            continue;
        }
        means.push_back(group.mean);
        if (group.spread) {
            spreads.push_back(*group.spread);
        }
    }
    if (means.size() < 2) {
        result.noLimits = QStringLiteral("fewer than 2 subgroups");
        return;
    }
    if (spreads.empty()) {
        result.noLimits = QStringLiteral("no moving range: every other value is excluded");
        return;
    }
    const ControlConstants &c =
        *controlConstants(result.kind == ChartKind::IndividualsMovingRange ? 2 : k);
    const double centre = meanOf(means);
    const double spread = meanOf(spreads);
    double half = 0;
    switch (result.kind) {
        case ChartKind::IndividualsMovingRange:
            result.sigmaWithin = spread / c.d2;
            half = c.E2 * spread;
            result.second = {c.D3 * spread, spread, c.D4 * spread};
            break;
        case ChartKind::XbarR:
            result.sigmaWithin = spread / c.d2;
            half = c.A2 * spread;
            result.second = {c.D3 * spread, spread, c.D4 * spread};
            break;
        case ChartKind::XbarS:
            result.sigmaWithin = spread / c.c4;
            half = c.A3 * spread;
            result.second = {c.B3 * spread, spread, c.B4 * spread};
            break;
    }
    result.first = {centre - half, centre, centre + half};
    if (!(*result.sigmaWithin > 0)) {
        result.noLimits = QStringLiteral("sigma is 0");
    }
}

void judgeRules(StatsResult &result, const std::vector<int> &rules) {
    std::vector<RulePoint> first;
    std::vector<RulePoint> second;
    for (size_t i = 0; i < result.subgroups.size(); ++i) {
        const Subgroup &group = result.subgroups[i];
        if (group.leftOut) {  // drawn, marked, but neither judged nor part of a pattern
            continue;
        }
        first.push_back({group.mean, int(i)});
        if (group.spread) {
            second.push_back({*group.spread, int(i)});
        }
    }
    result.breaks = findRuleBreaks(first, result.first, rules, false);
    const std::vector<RuleBreak> more = findRuleBreaks(second, result.second, rules, true);
    result.breaks.insert(result.breaks.end(), more.begin(), more.end());
    std::stable_sort(result.breaks.begin(), result.breaks.end(),
                     [](const RuleBreak &a, const RuleBreak &b) {
                         return a.subgroup != b.subgroup ? a.subgroup < b.subgroup
                                                         : a.secondChart < b.secondChart;
                     });
}

}  // namespace

ChartKind chartKindFor(int subgroupSize) {
    return subgroupSize <= 1    ? ChartKind::IndividualsMovingRange
           : subgroupSize <= 10 ? ChartKind::XbarR
                                : ChartKind::XbarS;
}

StatsResult computeStats(const std::vector<SeriesValue> &values, const StatsOptions &options) {
    StatsResult result;
    // Frozen limits bring the subgrouping they were computed for.
    const int k = std::clamp(options.frozen ? options.frozen->subgroupSize : options.subgroupSize,
                             1, kMostSubgroupSize);
    result.kind = chartKindFor(k);
    result.subgroups = subgroupsOf(values, k, result.kind);

    std::vector<double> counted;
    counted.reserve(values.size());
    for (const SeriesValue &v : values) {
        if (!v.excluded) {
            counted.push_back(v.value);
        }
    }
    result.n = qint64(counted.size());
    if (!counted.empty()) {
        result.mean = meanOf(counted);
        const auto [low, high] = std::minmax_element(counted.begin(), counted.end());
        result.minimum = *low;
        result.maximum = *high;
    }
    result.sigmaOverall = sampleSd(counted);

    if (options.frozen) {
        result.limitsFrozen = true;
        result.first = options.frozen->first;
        result.second = options.frozen->second;
        result.sigmaWithin = options.frozen->sigmaWithin;
        if (!(options.frozen->sigmaWithin > 0)) {
            result.noLimits = QStringLiteral("sigma is 0");
        }
    } else {
        const int baseline = options.baseline > 0 ? options.baseline
                             : result.kind == ChartKind::IndividualsMovingRange
                                 ? kBaselineIndividuals
                                 : kBaselineSubgroups;
        limitsFromBaseline(result, k, baseline);
    }
    fillCapability(result, options.limits, options.sides);
    if (result.noLimits.isEmpty()) {
        judgeRules(result, options.rules);
    }
    return result;
}

}  // namespace zelapp
