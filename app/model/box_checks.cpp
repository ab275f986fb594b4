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

std::optional<TypedDecimal> typedDecimal(const QString &typed, const QLocale &locale) {
    QString text = typed.trimmed();
    const QString point = locale.decimalPoint();
    if (point != QStringLiteral(".") && !text.contains(QLatin1Char('.'))) {
        text.replace(point, QStringLiteral("."));
    }
    // The C locale groups with ",", which localeReal refuses.
    const std::optional<double> value = rt::localeReal(text, QLocale::c());
    if (!value) {
        return std::nullopt;
    }
    return TypedDecimal{*value, text};
}

QString notADecimalText(const QString &typed, const QString &label, const QLocale &locale) {
    const QString point = locale.decimalPoint();
    const QString taken = point == QStringLiteral(".")
                              ? QStringLiteral("\".\"")
                              : QStringLiteral("\".\" or \"%1\"").arg(point);
    return notANumberText(typed, label) +
           QStringLiteral(" Use %1 as the decimal separator.").arg(taken);
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
