// Statistical process control of one characteristic: the control charts, the capability
// indices and the run rules, as pure functions over the values of one stage in the order they
// were measured. The callers read the values from the history (stats/stats_series.h); nothing
// here reads a file or a clock. Qt Core only.
//
// The tolerance limits are LoTol and HiTol (USL and LSL on the charts). Too little data never
// gives a number: an index is none with the reason.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "model/distribution.h"
#include "model/tolerance.h"

namespace zelapp {

enum class ChartKind {
    IndividualsMovingRange,  // subgroup size 1: I-MR
    XbarR,                   // 2..10
    XbarS,                   // 11..25
};
inline constexpr int kMostSubgroupSize = 25;
// The chart for a subgroup size; sizes outside 1..25 take the nearest.
ChartKind chartKindFor(int subgroupSize);

// One part's value of the characteristic, in the order measured. Not valid parts and values are
// left out before this (they have no value).
struct SeriesValue {
    qint64 partId = 0;
    qint64 serial = 0;
    QDateTime time;
    double value = 0;
    // Left out of the computation by a stored exclusion; still drawn, marked.
    bool excluded = false;
    bool operator==(const SeriesValue &) const = default;
};

// Consecutive values forming one point of the charts (one value on I-MR).
struct Subgroup {
    int first = 0;  // index of its first value in the series
    int count = 0;  // values in it, excluded ones included
    double mean = 0;
    // The point of the second chart: R, s, or the moving range to the previous individual
    // (none for the first individual and after an excluded one).
    std::optional<double> spread;
    // Short of k values (the end of the period, an exclusion) or holding an excluded value:
    // left out of the limits and drawn marked.
    bool leftOut = false;
    bool operator==(const Subgroup &) const = default;
};

struct ChartLimits {
    double lcl = 0;
    double cl = 0;
    double ucl = 0;
    bool operator==(const ChartLimits &) const = default;
};

// Limits as frozen from a baseline: they do not move when parts are added.
struct FrozenLimits {
    ChartKind kind = ChartKind::IndividualsMovingRange;
    int subgroupSize = 1;
    ChartLimits first;   // the X or X-bar chart
    ChartLimits second;  // MR, R or s
    double sigmaWithin = 0;
    bool operator==(const FrozenLimits &) const = default;
};

struct ConfidenceBounds {
    double low = 0;
    double high = 0;
    bool operator==(const ConfidenceBounds &) const = default;
};

// An index of capability, or why there is none ("fewer than 2 values", "sigma is 0", "no
// upper limit"), with its 95 % confidence bounds, or why there are none.
struct CapabilityIndex {
    std::optional<double> value;
    QString reason;
    std::optional<ConfidenceBounds> ci95;
    QString noCi95;
    bool operator==(const CapabilityIndex &) const = default;
};

// Parts per million outside the tolerance: below LoTol, above HiTol and in all. A side without
// a limit is none and not in the total; none at all with the reason when it cannot be had.
struct PartsPerMillion {
    std::optional<double> below;
    std::optional<double> above;
    std::optional<double> total;
    QString reason;
    bool operator==(const PartsPerMillion &) const = default;
};

// The Anderson-Darling test for normality: A-squared and its p-value, or why there are none.
struct NormalityTest {
    std::optional<double> a2;
    std::optional<double> p;
    QString reason;
    bool operator==(const NormalityTest &) const = default;
};

// A run rule broken: the rule's number (1..8) and the subgroup whose point completes the
// pattern. On the second chart only rule 1 applies.
struct RuleBreak {
    int rule = 0;
    int subgroup = 0;
    bool secondChart = false;
    bool operator==(const RuleBreak &) const = default;
};

struct StatsOptions {
    int subgroupSize = 1;       // the part program's "Subgroup"; 1: I-MR
    std::vector<int> rules{1};  // the part program's "Rules<n>"; 1..8
    ToleranceLimits limits;     // LoTol and HiTol of the stage's revision
    ToleranceSides sides = ToleranceSides::Both;
    // The limits come from the first `baseline` subgroups of the stage (0: 25 subgroups, or 100
    // individuals on I-MR) unless they are frozen.
    int baseline = 0;
    std::optional<FrozenLimits> frozen;
    // The part program's "Distribution<n>": what Pp..Ppl and the overall ppm are read from.
    Distribution distribution = Distribution::Normal;
};

struct StatsResult {
    ChartKind kind = ChartKind::IndividualsMovingRange;
    std::vector<Subgroup> subgroups;
    ChartLimits first;
    ChartLimits second;
    bool limitsFrozen = false;
    // Why the limits could not be computed (too few subgroups, sigma 0); empty when they were.
    QString noLimits;
    qint64 n = 0;  // values counted (excluded ones not)
    double mean = 0;
    double minimum = 0;
    double maximum = 0;
    // Sigma within (MR-bar/d2(2), R-bar/d2(k) or s-bar/c4(k)) of the baseline's subgroups, or
    // the frozen one: what the control limits stand on and what a freeze stores.
    std::optional<double> sigmaWithinLimits;
    // The same over every subgroup of the stage in the period that is not left out: what Cp,
    // Cpk, Cpu and Cpl use, so they follow the process. None with the reason.
    std::optional<double> sigmaWithinPeriod;
    QString noSigmaWithinPeriod;
    std::optional<double> sigmaOverall;  // the sample standard deviation
    // Two-sided: cp, cpk, pp, ppk. One-sided: cpu/ppu (upper only) or cpl/ppl (lower only), and
    // cp and pp none with the reason.
    CapabilityIndex cp, cpk, pp, ppk, cpu, cpl, ppu, ppl;
    // Expected from the normal with the mean and sigmaWithinPeriod, or sigmaOverall; observed.
    PartsPerMillion ppmWithin, ppmOverall, ppmObserved;
    // With a distribution other than normal, its fit: pp, ppk, ppu and ppl are then by the
    // percentile method of the fit and ppmOverall is expected from it (stats/distribution_fit.h).
    std::optional<DistributionFit> fit;
    // Of the values whatever the distribution: it tells whether a normal fit serves.
    NormalityTest andersonDarling;
    std::vector<RuleBreak> breaks;
};

// How sigma within is had on a chart: "MR-bar/d2", "R-bar/d2" or "s-bar/c4".
QString sigmaWithinMethod(ChartKind kind);

StatsResult computeStats(const std::vector<SeriesValue> &values, const StatsOptions &options);

}  // namespace zelapp
