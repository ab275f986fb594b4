#include "stats/capability.h"

#include <algorithm>

namespace zelapp {

namespace {

// Cp and Cpk (or Pp and Ppk) for one sigma: `why` is the reason when the sigma cannot serve.
struct IndexSet {
    CapabilityIndex &both;   // Cp / Pp
    CapabilityIndex &worst;  // Cpk / Ppk
    CapabilityIndex &upper;  // Cpu / Ppu
    CapabilityIndex &lower;  // Cpl / Ppl
};

void fill(IndexSet set, std::optional<double> sigma, const QString &noSigma, double mean, double lo,
          double hi, ToleranceSides sides) {
    const auto none = [](CapabilityIndex &index, const QString &why) {
        index = {std::nullopt, why};
    };
    QString why = noSigma;
    if (why.isEmpty() && !sigma) {
        why = QStringLiteral("fewer than 2 values");
    }
    if (why.isEmpty() && !(*sigma > 0)) {
        why = QStringLiteral("sigma is 0");
    }
    if (!why.isEmpty()) {
        for (CapabilityIndex *index : {&set.both, &set.worst, &set.upper, &set.lower}) {
            none(*index, why);
        }
    } else {
        set.both = {(hi - lo) / (6 * *sigma), {}};
        set.upper = {(hi - mean) / (3 * *sigma), {}};
        set.lower = {(mean - lo) / (3 * *sigma), {}};
        set.worst = {std::min(*set.upper.value, *set.lower.value), {}};
    }
    // One limit only: the index of that side alone.
    if (sides == ToleranceSides::UpperOnly) {
        none(set.both, QStringLiteral("upper limit only"));
        none(set.worst, QStringLiteral("upper limit only"));
        none(set.lower, QStringLiteral("no lower limit"));
    } else if (sides == ToleranceSides::LowerOnly) {
        none(set.both, QStringLiteral("lower limit only"));
        none(set.worst, QStringLiteral("lower limit only"));
        none(set.upper, QStringLiteral("no upper limit"));
    }
}

}  // namespace

void fillCapability(StatsResult &result, const ToleranceLimits &limits, ToleranceSides sides) {
    const double lo = std::min(limits.loTol, limits.hiTol);
    const double hi = std::max(limits.loTol, limits.hiTol);
    const QString tooFew = result.n < 2 ? QStringLiteral("fewer than 2 values") : QString();
    QString noWithin = tooFew;
    if (noWithin.isEmpty() && !result.sigmaWithin) {
        noWithin =
            result.noLimits.isEmpty() ? QStringLiteral("fewer than 2 subgroups") : result.noLimits;
    }
    fill({result.cp, result.cpk, result.cpu, result.cpl}, result.sigmaWithin, noWithin, result.mean,
         lo, hi, sides);
    fill({result.pp, result.ppk, result.ppu, result.ppl}, result.sigmaOverall, tooFew, result.mean,
         lo, hi, sides);
}

}  // namespace zelapp
