#include "model/box_checks.h"

#include "base/runtime_text.h"
#include "model/single_range.h"

namespace zelapp {

std::optional<float> typedSingle(const QString &typed, const QLocale &locale) {
    const std::optional<double> value = rt::localeReal(typed, locale);
    if (value && fitsSingle(*value)) {
        return static_cast<float>(*value);
    }
    return std::nullopt;
}

QString notANumberText(const QString &typed, const QString &label) {
    return QStringLiteral("The value \"%1\" in %2 is not a number.").arg(typed, label);
}

QString outOfRangeText(const QString &typed, const QString &label, const QString &low,
                       const QString &high) {
    return QStringLiteral("The value \"%1\" in %2 is not a number from %3 to %4.")
        .arg(typed, label, low, high);
}

QString belowText(const QString &typed, const QString &label, const QString &limit) {
    return QStringLiteral("The value \"%1\" in %2 is below %3.").arg(typed, label, limit);
}

}  // namespace zelapp
