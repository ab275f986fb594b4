#include "stats/process_stats.h"

#include <algorithm>
#include <cmath>

#include "stats/capability.h"
#include "stats/control_constants.h"
#include "stats/moments.h"
#include "stats/run_rules.h"

namespace zelapp {

namespace {

constexpr int kBaselineSubgroups = 25;
constexpr int kBaselineIndividuals = 100;

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

// The first subgroups that count (not left out): how many, their means' and spreads' sums.
struct Counted {
    size_t subgroups = 0;
    size_t spreads = 0;
    double meanSum = 0;
    double spreadSum = 0;
};

Counted countedSubgroups(const std::vector<Subgroup> &subgroups, size_t most) {
    Counted counted;
    for (const Subgroup &group : subgroups) {
        if (counted.subgroups == most) {
            break;
        }
        if (group.leftOut) {
            continue;
        }
        ++counted.subgroups;
        counted.meanSum += group.mean;
        if (group.spread) {
            ++counted.spreads;
            counted.spreadSum += *group.spread;
        }
    }
    return counted;
}

// Why the subgroups give no sigma within; empty when they give one.
QString noSigmaWithin(const Counted &counted) {
    if (counted.subgroups < 2) {
        return QStringLiteral("fewer than 2 subgroups");
    }
    if (counted.spreads == 0) {
        return QStringLiteral("no moving range: every other value is excluded");
    }
    return {};
}

const ControlConstants &constantsFor(ChartKind kind, int k) {
    return *controlConstants(kind == ChartKind::IndividualsMovingRange ? 2 : k);
}

double sigmaWithinOf(ChartKind kind, int k, double spreadBar) {
    const ControlConstants &c = constantsFor(kind, k);
    return kind == ChartKind::XbarS ? spreadBar / c.c4 : spreadBar / c.d2;
}

// The limits from the first `baseline` subgroups not left out.
void limitsFromBaseline(StatsResult &result, int k, int baseline) {
    const Counted counted = countedSubgroups(result.subgroups, size_t(baseline));
    result.noLimits = noSigmaWithin(counted);
    if (!result.noLimits.isEmpty()) {
        return;
    }
    const ControlConstants &c = constantsFor(result.kind, k);
    const double centre = counted.meanSum / double(counted.subgroups);
    const double spread = counted.spreadSum / double(counted.spreads);
    result.sigmaWithinLimits = sigmaWithinOf(result.kind, k, spread);
    double half = 0;
    switch (result.kind) {
        case ChartKind::IndividualsMovingRange:
            half = c.E2 * spread;
            result.second = {c.D3 * spread, spread, c.D4 * spread};
            break;
        case ChartKind::XbarR:
            half = c.A2 * spread;
            result.second = {c.D3 * spread, spread, c.D4 * spread};
            break;
        case ChartKind::XbarS:
            half = c.A3 * spread;
            result.second = {c.B3 * spread, spread, c.B4 * spread};
            break;
    }
    result.first = {centre - half, centre, centre + half};
    if (!(*result.sigmaWithinLimits > 0)) {
        result.noLimits = QStringLiteral("sigma is 0");
    }
}

// Sigma within over every subgroup that counts: the short last one and those holding an
// excluded value are left out, as from the limits (a short subgroup's range has another d2).
void sigmaWithinOfPeriod(StatsResult &result, int k) {
    const Counted counted = countedSubgroups(result.subgroups, result.subgroups.size());
    result.noSigmaWithinPeriod = noSigmaWithin(counted);
    if (result.noSigmaWithinPeriod.isEmpty()) {
        result.sigmaWithinPeriod =
            sigmaWithinOf(result.kind, k, counted.spreadSum / double(counted.spreads));
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

QString sigmaWithinMethod(ChartKind kind) {
    switch (kind) {
        case ChartKind::IndividualsMovingRange:
            return QStringLiteral("MR-bar/d2");
        case ChartKind::XbarR:
            return QStringLiteral("R-bar/d2");
        case ChartKind::XbarS:
            return QStringLiteral("s-bar/c4");
    }
    return {};
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
        result.sigmaWithinLimits = options.frozen->sigmaWithin;
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
    sigmaWithinOfPeriod(result, k);
    fillCapability(result, std::move(counted), options.limits, options.sides, options.distribution);
    if (result.noLimits.isEmpty()) {
        judgeRules(result, options.rules);
    }
    return result;
}

}  // namespace zelapp
