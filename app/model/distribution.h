// The distribution a characteristic's values are judged by: normal, or, for characteristics
// bounded by zero and skewed (run-out, TIR, flatness), one that fits them better. Chosen per
// characteristic with the part program's "Distribution<n>"; stats/distribution_fit.h fits it.
#pragma once

#include <QString>
#include <array>
#include <optional>

namespace zelapp {

enum class Distribution {
    Normal,
    Weibull,       // two parameters, location 0
    FoldedNormal,  // |X| of a normal X, location 0
    Lognormal,     // location 0
};
inline constexpr std::array<Distribution, 4> kDistributions = {
    Distribution::Normal, Distribution::Weibull, Distribution::FoldedNormal,
    Distribution::Lognormal};

// The key word: "normal", "weibull", "folded-normal", "lognormal".
QString distributionName(Distribution distribution);
// The distribution of a key word, whatever its case; none for any other text.
std::optional<Distribution> parseDistribution(const QString &word);
// The names of its two parameters: "shape" and "scale" (Weibull), else "mu" and "sigma".
std::array<QString, 2> parameterNames(Distribution distribution);

struct FitParameter {
    QString name;  // "shape", "scale", "mu" or "sigma"
    double value = 0;
    bool operator==(const FitParameter &) const = default;
};

// A distribution fitted to values, or why it could not be ("fewer than 2 values", "a value is
// not above 0", "a value is below 0", "a value is not finite", "all values are equal", "the fit
// does not converge").
struct DistributionFit {
    Distribution kind = Distribution::Normal;
    // Weibull: shape k and scale lambda. Folded normal: mu (0 or more) and sigma of the normal
    // whose absolute value it is. Lognormal: mu and sigma of ln x. Normal: the mean and the
    // sample standard deviation (n - 1), as sigma overall.
    std::array<FitParameter, 2> parameters;
    QString reason;  // empty: fitted
    bool fitted() const { return reason.isEmpty(); }
    bool operator==(const DistributionFit &) const = default;
};

}  // namespace zelapp
