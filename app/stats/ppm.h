// Parts per million outside the tolerance limits: expected from a normal distribution, or
// observed among the values. With one limit only, only that side counts. Pure.
#pragma once

#include <optional>
#include <vector>

#include "model/tolerance.h"
#include "stats/process_stats.h"

namespace zelapp {

// The fractions below lo and above hi as parts per million, the sides that count, and their
// total.
PartsPerMillion partsPerMillion(double below, double above, ToleranceSides sides);

// From the normal with `mean` and `sigma`: below lo, above hi and in all. None ("sigma is 0")
// when sigma is not positive.
PartsPerMillion expectedPpm(double mean, double sigma, double lo, double hi, ToleranceSides sides);

// The values below lo and above hi, per million values; none without values.
PartsPerMillion observedPpm(const std::vector<double> &values, double lo, double hi,
                            ToleranceSides sides);

}  // namespace zelapp
