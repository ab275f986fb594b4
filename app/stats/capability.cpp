#include "stats/capability.h"

#include <algorithm>

#include "stats/capability_bounds.h"
#include "stats/distribution_fit.h"
#include "stats/normality.h"
#include "stats/ppm.h"

namespace zelapp {

namespace {

// Cp, Cpk, Cpu and Cpl (or the P indices) for one sigma.
struct IndexSet {
    CapabilityIndex &both;   // Cp / Pp
    CapabilityIndex &worst;  // Cpk / Ppk
    CapabilityIndex &upper;  // Cpu / Ppu
    CapabilityIndex &lower;  // Cpl / Ppl
};

void none(CapabilityIndex &index, const QString &why) {
    index = {std::nullopt, why, std::nullopt, why};
}

CapabilityIndex withBounds(double value, std::optional<ConfidenceBounds> bounds) {
    // The bounds need 2 values, as the index does: a missing bound says so all the same.
    return {value, {}, bounds, bounds ? QString() : QStringLiteral("fewer than 2 values")};
}

// Why `sigma` cannot serve: `noSigma` when there is none, or "sigma is 0"; empty when it can.
QString whyNot(std::optional<double> sigma, const QString &noSigma) {
    if (!sigma) {
        return noSigma.isEmpty() ? QStringLiteral("fewer than 2 values") : noSigma;
    }
    return *sigma > 0 ? QString() : QStringLiteral("sigma is 0");
}

void fill(IndexSet set, std::optional<double> sigma, const QString &why, qint64 n, double mean,
          double lo, double hi, ToleranceSides sides) {
    if (!why.isEmpty()) {
        for (CapabilityIndex *each : {&set.both, &set.worst, &set.upper, &set.lower}) {
            none(*each, why);
        }
    } else {
        const double both = (hi - lo) / (6 * *sigma);
        const double upper = (hi - mean) / (3 * *sigma);
        const double lower = (mean - lo) / (3 * *sigma);
        const double worst = std::min(upper, lower);
        set.both = withBounds(both, chiSquareBounds95(both, n));
        set.upper = withBounds(upper, bissellBounds95(upper, n));
        set.lower = withBounds(lower, bissellBounds95(lower, n));
        set.worst = withBounds(worst, bissellBounds95(worst, n));
    }
    keepOneSide(set.both, set.worst, set.upper, set.lower, sides);
}

}  // namespace

void keepOneSide(CapabilityIndex &both, CapabilityIndex &worst, CapabilityIndex &upper,
                 CapabilityIndex &lower, ToleranceSides sides) {
    if (sides == ToleranceSides::UpperOnly) {
        none(both, QStringLiteral("upper limit only"));
        none(worst, QStringLiteral("upper limit only"));
        none(lower, QStringLiteral("no lower limit"));
    } else if (sides == ToleranceSides::LowerOnly) {
        none(both, QStringLiteral("lower limit only"));
        none(worst, QStringLiteral("lower limit only"));
        none(upper, QStringLiteral("no upper limit"));
    }
}

std::vector<ShownIndex> shownIndices(const StatsResult &result, ToleranceSides sides) {
    switch (sides) {
        case ToleranceSides::UpperOnly:
            return {{QStringLiteral("Cpu"), result.cpu, true},
                    {QStringLiteral("Ppu"), result.ppu, false}};
        case ToleranceSides::LowerOnly:
            return {{QStringLiteral("Cpl"), result.cpl, true},
                    {QStringLiteral("Ppl"), result.ppl, false}};
        case ToleranceSides::Both:
            break;
    }
    return {{QStringLiteral("Cp"), result.cp, true},
            {QStringLiteral("Cpk"), result.cpk, true},
            {QStringLiteral("Pp"), result.pp, false},
            {QStringLiteral("Ppk"), result.ppk, false}};
}

void fillCapability(StatsResult &result, std::vector<double> values, const ToleranceLimits &limits,
                    ToleranceSides sides, Distribution distribution) {
    const double lo = std::min(limits.loTol, limits.hiTol);
    const double hi = std::max(limits.loTol, limits.hiTol);
    const QString tooFew = result.n < 2 ? QStringLiteral("fewer than 2 values") : QString();
    const QString noWithin =
        !tooFew.isEmpty() ? tooFew : whyNot(result.sigmaWithinPeriod, result.noSigmaWithinPeriod);
    const QString noOverall = !tooFew.isEmpty() ? tooFew : whyNot(result.sigmaOverall, {});
    fill({result.cp, result.cpk, result.cpu, result.cpl}, result.sigmaWithinPeriod, noWithin,
         result.n, result.mean, lo, hi, sides);
    fill({result.pp, result.ppk, result.ppu, result.ppl}, result.sigmaOverall, noOverall, result.n,
         result.mean, lo, hi, sides);
    const auto expected = [&](std::optional<double> sigma, const QString &why) {
        return why.isEmpty() ? expectedPpm(result.mean, *sigma, lo, hi, sides)
                             : PartsPerMillion{{}, {}, {}, why};
    };
    result.ppmWithin = expected(result.sigmaWithinPeriod, noWithin);
    result.ppmOverall = expected(result.sigmaOverall, noOverall);
    result.ppmObserved = observedPpm(values, lo, hi, sides);
    if (distribution != Distribution::Normal) {
        const DistributionCapability fitted =
            distributionCapability(values, distribution, limits, sides);
        result.fit = fitted.fit;
        result.pp = fitted.pp;
        result.ppk = fitted.ppk;
        result.ppu = fitted.ppu;
        result.ppl = fitted.ppl;
        result.ppmOverall = fitted.ppm;
    }
    result.andersonDarling = andersonDarling(std::move(values));
}

}  // namespace zelapp
