// The mean and the spread of values, summed in their order: every figure of the statistics that
// stands on them takes them from here, so two figures of one series agree to the last digit.
#pragma once

#include <optional>
#include <vector>

namespace zelapp {

// The mean of at least one value.
double meanOf(const std::vector<double> &values);
// The sum of the squares of the values' distances from m.
double sumOfSquares(const std::vector<double> &values, double m);
// The sample standard deviation (n - 1); none below 2 values.
std::optional<double> sampleSd(const std::vector<double> &values);

}  // namespace zelapp
