#include "model/mastering_guard.h"

#include <cmath>

#include "base/runtime_text.h"
#include "base/settings_store.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {
// Decimal values such as 1.1 - 1.0 land a hair beyond the limit they meet exactly.
bool beyond(double change, double limit) {
    return change > limit + 1e-9 * std::fmax(1.0, std::fabs(limit));
}

// A NaN counts as beyond any limit: nothing unknown is written unasked.
bool beyondOrUnknown(double change, double limit) {
    return std::isnan(change) || beyond(change, limit);
}
}  // namespace

QString masteringGuardQuestion(const MasteringChangeCheck &change,
                               const MasteringGuardLimits &limits, int decimals, QChar separator) {
    const auto shown = [&](double value) {
        return rt::formatValue(value, decimals, separator).trimmed();
    };
    QString question;

    const double scalingChange = std::fabs(change.newScaling - change.oldScaling);
    if (scalingChange != 0) {
        const double percent =
            change.oldScaling != 0 ? scalingChange / std::fabs(change.oldScaling) * 100 : INFINITY;
        if (beyondOrUnknown(percent, limits.scalingPercent)) {
            const QString whole = std::isfinite(percent) && percent < 1e15
                                      ? QString::number(std::llround(percent))
                                      : QStringLiteral("more than any");
            question += QStringLiteral("The new scaling %1 differs from the old %2 by %3 %. ")
                            .arg(shown(change.newScaling), shown(change.oldScaling), whole);
        }
    }

    const double zeroChange = std::fabs(change.newZero - change.oldZero);
    double band = std::fabs(change.hiTol - change.loTol);
    if (!std::isfinite(band)) {
        band = 0;  // no band to measure by: any move of the zero asks
    }
    const double zeroLimit = band * limits.zeroBands;
    if (zeroChange != 0 && beyondOrUnknown(zeroChange, zeroLimit)) {
        question += QStringLiteral(
                        "The new zero %1 differs from the old %2 by %3, more than the "
                        "tolerance band %4. ")
                        .arg(shown(change.newZero), shown(change.oldZero), shown(zeroChange),
                             shown(zeroLimit));
    }

    if (question.isEmpty()) {
        return question;
    }
    return question + QStringLiteral("A wrong master or a stuck probe? Write it anyway?");
}

namespace {
// A stored limit that is not a number of at least 0 gives the default.
double storedLimit(const SettingsStore &store, const QString &key, double fallback) {
    bool ok = false;
    const double value = store.value(u"Mastering"_s, key).trimmed().toDouble(&ok);
    return ok && std::isfinite(value) && value >= 0 ? value : fallback;
}
}  // namespace

MasteringGuardLimits readMasteringGuard(const SettingsStore &store) {
    const MasteringGuardLimits defaults;
    return {storedLimit(store, u"ScalingLimitPercent"_s, defaults.scalingPercent),
            storedLimit(store, u"ZeroLimitBands"_s, defaults.zeroBands)};
}

}  // namespace zelapp
