#include "model/distribution.h"

namespace zelapp {

QString distributionName(Distribution distribution) {
    switch (distribution) {
        case Distribution::Weibull:
            return QStringLiteral("weibull");
        case Distribution::FoldedNormal:
            return QStringLiteral("folded-normal");
        case Distribution::Lognormal:
            return QStringLiteral("lognormal");
        case Distribution::Normal:
            break;
    }
    return QStringLiteral("normal");
}

std::optional<Distribution> parseDistribution(const QString &word) {
    for (const Distribution distribution : kDistributions) {
        if (word.compare(distributionName(distribution), Qt::CaseInsensitive) == 0) {
            return distribution;
        }
    }
    return std::nullopt;
}

std::array<QString, 2> parameterNames(Distribution distribution) {
    if (distribution == Distribution::Weibull) {
        return {QStringLiteral("shape"), QStringLiteral("scale")};
    }
    return {QStringLiteral("mu"), QStringLiteral("sigma")};
}

}  // namespace zelapp
