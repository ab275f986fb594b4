// The capability figures of a computed series against the tolerance limits: Cp, Cpk (sigma
// within of the period) and Pp, Ppk (sigma overall), or with one limit only Cpu/Ppu or Cpl/Ppl
// alone, each with its 95 % confidence bounds; the parts per million expected from both normal
// fits and observed; the Anderson-Darling test of normality. Pure.
#pragma once

#include <vector>

#include "model/tolerance.h"
#include "stats/process_stats.h"

namespace zelapp {

// An index as the numbers show it: its name ("Cp") and whether it stands on sigma within of
// the period (else on sigma overall).
struct ShownIndex {
    QString name;
    const CapabilityIndex &index;
    bool within = false;
};
// The indices of the characteristic's sides, in the order shown: Cp, Cpk, Pp, Ppk with both
// limits, else Cpu, Ppu or Cpl, Ppl.
std::vector<ShownIndex> shownIndices(const StatsResult &result, ToleranceSides sides);

// One limit only: the index of that side alone (upper or lower); the others none with the
// reason ("upper limit only", "no lower limit"). Both limits: nothing changes.
void keepOneSide(CapabilityIndex &both, CapabilityIndex &worst, CapabilityIndex &upper,
                 CapabilityIndex &lower, ToleranceSides sides);

// Fills result's indices, ppm and normality test from its n, mean, sigmaWithinPeriod (or
// noSigmaWithinPeriod), sigmaOverall and `values`, the values counted. A figure that cannot be
// had is none with the reason; nothing divides by zero.
// With a distribution other than normal, Pp..Ppl and the overall ppm come from its fit.
void fillCapability(StatsResult &result, std::vector<double> values, const ToleranceLimits &limits,
                    ToleranceSides sides, Distribution distribution = Distribution::Normal);

}  // namespace zelapp
