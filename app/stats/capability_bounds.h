// 95 % confidence bounds of a capability index estimated from n values. Pure.
#pragma once

#include <optional>

#include "stats/process_stats.h"

namespace zelapp {

// Cp and Pp: index * sqrt(chi2(0.025; v) / v) .. index * sqrt(chi2(0.975; v) / v), v = n - 1,
// chi2(p; v) the p-quantile. None below 2 values.
std::optional<ConfidenceBounds> chiSquareBounds95(double index, qint64 n);

// Cpk, Ppk and the one-sided Cpu, Cpl, Ppu, Ppl by Bissell's approximation:
// index -+ 1.96 sqrt(1 / (9 n) + index^2 / (2 (n - 1))). None below 2 values.
std::optional<ConfidenceBounds> bissellBounds95(double index, qint64 n);

}  // namespace zelapp
