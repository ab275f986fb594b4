#include "model/mastering_math.h"

#include <cmath>

#include "model/single_range.h"

namespace zelapp {

std::optional<double> masteredZero(double master1, double reading, double oldZero) {
    const double zero = master1 - (reading - oldZero);
    return fitsSingle(zero) ? std::optional<double>(zero) : std::nullopt;
}

std::optional<MasterFit> twoMasterFit(double master1, double master2, double reading1,
                                      double reading2, double oldZero, double oldScaling) {
    // Written so that NaN readings fail here too.
    if (!(std::fabs(reading1 - reading2) >= kLeastReadingSpan) || oldScaling == 0) {
        return std::nullopt;
    }
    const double r1 = (reading1 - oldZero) / oldScaling;
    const double r2 = (reading2 - oldZero) / oldScaling;
    const MasterFit fit{(master1 - master2) / (r1 - r2), (master2 * r1 - master1 * r2) / (r1 - r2)};
    if (!fitsSingle(fit.scaling) || !fitsSingle(fit.zero)) {
        return std::nullopt;
    }
    return fit;
}

}  // namespace zelapp
