#include "stats/stats_events.h"

#include <QStringList>
#include <cmath>
#include <map>

namespace zelapp {

namespace {

QString chartName(ChartKind kind) {
    switch (kind) {
        case ChartKind::XbarR:
            return QStringLiteral("xbar-r");
        case ChartKind::XbarS:
            return QStringLiteral("xbar-s");
        case ChartKind::IndividualsMovingRange:
            break;
    }
    return QStringLiteral("imr");
}

QString number(double value) {
    return QString::number(value, 'g', 17);
}

QString limitsText(const ChartLimits &limits) {
    return number(limits.lcl) + QLatin1Char(',') + number(limits.cl) + QLatin1Char(',') +
           number(limits.ucl);
}

std::optional<double> finite(const QString &text) {
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}

std::optional<ChartLimits> limitsOf(const QString &text) {
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != 3) {
        return std::nullopt;
    }
    const auto lcl = finite(parts[0]);
    const auto cl = finite(parts[1]);
    const auto ucl = finite(parts[2]);
    if (!lcl || !cl || !ucl) {
        return std::nullopt;
    }
    return ChartLimits{*lcl, *cl, *ucl};
}

}  // namespace

QString frozenLimitsText(const FrozenLimits &limits) {
    return QStringLiteral("chart=%1;k=%2;first=%3;second=%4;sigma=%5")
        .arg(chartName(limits.kind))
        .arg(limits.subgroupSize)
        .arg(limitsText(limits.first), limitsText(limits.second), number(limits.sigmaWithin));
}

std::optional<FrozenLimits> parseFrozenLimits(const QString &text) {
    std::map<QString, QString> fields;
    for (const QString &pair : text.trimmed().split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const qsizetype equals = pair.indexOf(QLatin1Char('='));
        if (equals <= 0) {
            return std::nullopt;
        }
        fields[pair.left(equals).trimmed()] = pair.mid(equals + 1);
    }
    for (const char *key : {"chart", "k", "first", "second", "sigma"}) {
        if (fields.count(QString::fromLatin1(key)) == 0) {
            return std::nullopt;
        }
    }
    FrozenLimits limits;
    bool ok = false;
    limits.subgroupSize = fields[QStringLiteral("k")].trimmed().toInt(&ok);
    if (!ok || limits.subgroupSize < 1 || limits.subgroupSize > kMostSubgroupSize) {
        return std::nullopt;
    }
    limits.kind = chartKindFor(limits.subgroupSize);
    if (fields[QStringLiteral("chart")].trimmed() != chartName(limits.kind)) {
        return std::nullopt;
    }
    const auto first = limitsOf(fields[QStringLiteral("first")]);
    const auto second = limitsOf(fields[QStringLiteral("second")]);
    const auto sigma = finite(fields[QStringLiteral("sigma")]);
    if (!first || !second || !sigma || *sigma < 0) {
        return std::nullopt;
    }
    limits.first = *first;
    limits.second = *second;
    limits.sigmaWithin = *sigma;
    return limits;
}

}  // namespace zelapp
