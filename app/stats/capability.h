// The capability indices of a computed series: Cp, Cpk (sigma within) and Pp, Ppk (sigma
// overall) against the tolerance limits; with one limit only Cpu/Ppu or Cpl/Ppl alone. Pure.
#pragma once

#include "model/tolerance.h"
#include "stats/process_stats.h"

namespace zelapp {

// Fills result's cp ... ppl from its n, mean, sigmaWithin, sigmaOverall and noLimits. An index
// that cannot be had is none with the reason; nothing divides by zero.
void fillCapability(StatsResult &result, const ToleranceLimits &limits, ToleranceSides sides);

}  // namespace zelapp
