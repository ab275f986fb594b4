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

}  // namespace zelapp
