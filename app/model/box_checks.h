// What the setup dialogs hold a typed number to, and the messages that refuse a box. Each
// dialog names the box by its label's caption without the accelerator.
#pragma once

#include <QLocale>
#include <QString>
#include <optional>

namespace zelapp {

// The decimals a channel shows, and the default decimals of probe and analog values.
inline constexpr int kMinDecimals = 0;
inline constexpr int kMaxDecimals = 5;
// The smallest full scale a probe or analog input takes: a probe's scale and its bar's range
// come from it.
inline constexpr double kMinFullScale = 0.001;

// The typed text as a Single; nothing when it is not a number or lies beyond a Single's range.
std::optional<float> typedSingle(const QString &typed, const QLocale &locale);

QString notANumberText(const QString &typed, const QString &label);

// A number typed in a box of the results' dialogs: its value, and its text as files keep it ("."
// as the separator, the digits as typed).
struct TypedDecimal {
    double value = 0;
    QString text;
    bool operator==(const TypedDecimal &) const = default;
};
// The typed text with "." or the locale's decimal separator, blanks around it, an exponent
// allowed; nothing when it is no finite number. Group separators are never taken: "1.500" in a
// locale grouping with "." is 1.5, as in a file.
std::optional<TypedDecimal> typedDecimal(const QString &typed, const QLocale &locale);
// notANumberText, followed by the separators typedDecimal takes in the locale:
// ' Use "." or "," as the decimal separator.'
QString notADecimalText(const QString &typed, const QString &label, const QLocale &locale);
// low and high as the box shows numbers.
QString outOfRangeText(const QString &typed, const QString &label, const QString &low,
                       const QString &high);
QString belowText(const QString &typed, const QString &label, const QString &limit);

}  // namespace zelapp
