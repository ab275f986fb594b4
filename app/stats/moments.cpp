#include "stats/moments.h"

#include <cmath>

namespace zelapp {

double meanOf(const std::vector<double> &values) {
    double sum = 0;
    for (const double v : values) {
        sum += v;
    }
    return sum / double(values.size());
}

double sumOfSquares(const std::vector<double> &values, double m) {
    double sum = 0;
    for (const double v : values) {
        sum += (v - m) * (v - m);
    }
    return sum;
}

std::optional<double> sampleSd(const std::vector<double> &values) {
    if (values.size() < 2) {
        return std::nullopt;
    }
    return std::sqrt(sumOfSquares(values, meanOf(values)) / double(values.size() - 1));
}

}  // namespace zelapp
