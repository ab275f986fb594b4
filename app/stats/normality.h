// The Anderson-Darling test of normality with the mean and sigma estimated from the sample
// (D'Agostino and Stephens' case 3). Pure.
#pragma once

#include <vector>

#include "stats/process_stats.h"

namespace zelapp {

// The fewest values the p-value's formula is given for.
inline constexpr size_t kLeastAndersonDarlingValues = 8;

// A-squared of the values against the normal with their mean and s (n - 1), and the p-value of
// A* = A-squared (1 + 0.75 / n + 2.25 / n^2). None with the reason below 8 values or when s is 0.
NormalityTest andersonDarling(std::vector<double> values);

// The p-value of the adjusted A* by D'Agostino and Stephens' four pieces, within [0, 1]. The
// last piece's parabola turns up beyond A* = 5.709 / (2 * 0.0186): there p stays at its least.
double andersonDarlingP(double adjusted);

}  // namespace zelapp
