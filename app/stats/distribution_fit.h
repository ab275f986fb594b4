// Capability of a characteristic that is not normal. Run-out, TIR, flatness and other form
// characteristics are bounded by zero and skewed: a distribution is fitted to their values by
// maximum likelihood (Weibull, folded normal or lognormal, each with its location at 0), and
// Pp/Ppk and the expected parts per million out of tolerance are read from it by the percentile
// method. Pure functions over the values that count (not excluded), Qt Core only.
//
// Nothing here is a number from too little or unfit data: a fit, an index or a fraction that
// cannot be had is none with the reason, as the normal indices are (stats/capability.h).
#pragma once

#include <QString>
#include <vector>

#include "model/distribution.h"
#include "model/tolerance.h"
#include "stats/process_stats.h"

namespace zelapp {

// The maximum-likelihood fit of `kind` to the values (at least 2). Weibull and lognormal need
// every value above 0 (a run-out of exactly 0 is refused: the folded normal takes it); the
// folded normal needs none below 0.
DistributionFit fitDistribution(const std::vector<double> &values, Distribution kind);
// The distribution with these parameters, in the order of DistributionFit::parameters; not
// fitted ("the parameters are not valid") unless both are finite, the second above 0, a
// Weibull's shape above 0 and a folded normal's mu 0 or more.
DistributionFit distributionWith(Distribution kind, double first, double second);

// P(X <= x), P(X > x) (computed as such: the upper tail loses nothing to 1 - cdf) and the
// p-quantile (0 < p < 1) of a fitted distribution; NaN for one not fitted or p outside.
double fittedCdf(const DistributionFit &fit, double x);
double fittedSf(const DistributionFit &fit, double x);
double fittedQuantile(const DistributionFit &fit, double p);

// The percentile method's quantiles: 0.135 %, the median and 99.865 %.
inline constexpr double kLowPercentile = 0.00135;
inline constexpr double kHighPercentile = 0.99865;

struct DistributionCapability {
    DistributionFit fit;
    // Pp = (USL - LSL) / (X0.99865 - X0.00135), Ppu = (USL - X0.5) / (X0.99865 - X0.5),
    // Ppl = (X0.5 - LSL) / (X0.5 - X0.00135), Ppk = min(Ppu, Ppl). One limit only: Ppu (or
    // Ppl) alone, the others none with the reason, as the normal indices (keepOneSide). They
    // have no confidence bounds (noCi95 "the percentile method has none").
    CapabilityIndex pp, ppk, ppu, ppl;
    // Expected parts per million below LoTol, above HiTol and in all, from the fitted
    // distribution; one limit only: that side's, as the normal fits' (stats/ppm.h).
    PartsPerMillion ppm;
    bool operator==(const DistributionCapability &) const = default;
};

// The indices and fractions of a fit against the tolerance limits (any order).
DistributionCapability distributionCapability(const DistributionFit &fit,
                                              const ToleranceLimits &limits, ToleranceSides sides);
// Everything at once: the fit of `kind` to the values, its indices and its fractions.
DistributionCapability distributionCapability(const std::vector<double> &values, Distribution kind,
                                              const ToleranceLimits &limits, ToleranceSides sides);

}  // namespace zelapp
