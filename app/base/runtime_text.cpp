#include "base/runtime_text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>
#include <system_error>
#include <utility>

namespace zelapp::rt {

namespace {

constexpr int kMaxDecimals = 30;

// A finite, non-zero value as significant digits and the power of ten of the first digit:
// value = d.ddd x 10^exponent.
struct Digits {
    std::string digits;
    int exponent = 0;
};

// Splits the scientific text of std::to_chars ("-2.675e+00") into digits and exponent.
Digits splitScientific(const char *first, const char *last) {
    Digits out;
    const char *p = first;
    if (p != last && *p == '-') {
        ++p;
    }
    for (; p != last && *p != 'e'; ++p) {
        if (*p != '.') {
            out.digits.push_back(*p);
        }
    }
    if (p != last) {
        ++p;  // 'e'
        int exponent = 0;
        std::from_chars(*p == '+' ? p + 1 : p, last, exponent);
        out.exponent = exponent;
    }
    while (out.digits.size() > 1 && out.digits.back() == '0') {
        out.digits.pop_back();
    }
    return out;
}

// Shortest round-trip digits of the value (its own precision).
template <typename Real>
Digits shortestDigits(Real value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific);
    return splitScientific(buffer.data(), result.ptr);
}

// The value rounded to `significant` digits, trailing zeros dropped.
template <typename Real>
Digits significantDigits(Real value, int significant) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::scientific, significant - 1);
    return splitScientific(buffer.data(), result.ptr);
}

QString nonFiniteText(double value) {
    if (std::isnan(value)) {
        return QStringLiteral("NaN");
    }
    return value < 0 ? QStringLiteral("-Inf") : QStringLiteral("Inf");
}

// The digits before and after the decimal point, unrounded. Below 1 the integer part is "0",
// or empty when the form has no leading zero.
std::pair<std::string, std::string> splitAtPoint(const Digits &number, bool leadingZero) {
    if (number.exponent >= 0) {
        const std::size_t integerDigits = static_cast<std::size_t>(number.exponent) + 1;
        std::string integerPart = number.digits.substr(0, integerDigits);
        integerPart.resize(integerDigits, '0');
        std::string fraction =
            number.digits.size() > integerDigits ? number.digits.substr(integerDigits) : "";
        return {integerPart, fraction};
    }
    std::string fraction(static_cast<std::size_t>(-number.exponent - 1), '0');
    fraction += number.digits;
    return {leadingZero ? "0" : "", fraction};
}

// The integer and fraction digits rounded half away from zero to `decimals` places.
std::pair<std::string, std::string> roundedParts(const Digits &number, int decimals) {
    auto [integerPart, fraction] = splitAtPoint(number, true);

    const std::size_t kept = static_cast<std::size_t>(decimals);
    if (fraction.size() > kept) {
        const bool roundUp = fraction[kept] >= '5';
        fraction.resize(kept);
        if (roundUp) {
            bool carry = true;
            for (auto it = fraction.rbegin(); carry && it != fraction.rend(); ++it) {
                carry = *it == '9';
                *it = carry ? '0' : static_cast<char>(*it + 1);
            }
            for (auto it = integerPart.rbegin(); carry && it != integerPart.rend(); ++it) {
                carry = *it == '9';
                *it = carry ? '0' : static_cast<char>(*it + 1);
            }
            if (carry) {
                integerPart.insert(integerPart.begin(), '1');
            }
        }
    } else {
        fraction.resize(kept, '0');
    }
    return {integerPart, fraction};
}

// Rounds the decimal digits half away from zero to `decimals` places and lays them out.
QString fixedText(const Digits &number, bool negative, int decimals, QChar separator) {
    const auto [integerPart, fraction] = roundedParts(number, decimals);
    QString text = negative ? QStringLiteral("-") : QStringLiteral(" ");
    text += QLatin1StringView(integerPart.data(), static_cast<qsizetype>(integerPart.size()));
    text += separator;
    text += QLatin1StringView(fraction.data(), static_cast<qsizetype>(fraction.size()));
    return text;
}

// The value's shortest text rounded half away from zero to `decimals` places, as the results
// show it: "-" only when the rounded value is not zero, "." as separator, none at 0 decimals.
template <typename Real>
std::string resultDigits(Real value, int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    const Digits number = value == 0 ? Digits{"0", 0} : shortestDigits(value);
    const auto [integerPart, fraction] = roundedParts(number, decimals);
    const auto zero = [](const std::string &digits) {
        return digits.find_first_not_of('0') == std::string::npos;
    };
    std::string text = value < 0 && !(zero(integerPart) && zero(fraction)) ? "-" : "";
    text += integerPart;
    if (!fraction.empty()) {
        text += '.';
        text += fraction;
    }
    return text;
}

template <typename Real>
QString resultTextOf(Real value, int decimals, QChar separator) {
    if (!std::isfinite(value)) {
        return nonFiniteText(static_cast<double>(value));
    }
    const std::string digits = resultDigits(value, decimals);
    QString text = QString::fromLatin1(digits.data(), static_cast<qsizetype>(digits.size()));
    return separator == QLatin1Char('.') ? text : text.replace(QLatin1Char('.'), separator);
}

// The double nearest a decimal text of digits, "." and digits (and an exponent).
double nearestDouble(const std::string &text) {
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

template <typename Real>
QString formatValueOf(Real value, int decimals, QChar separator) {
    if (!std::isfinite(value)) {
        const QString text = nonFiniteText(static_cast<double>(value));
        return text.startsWith(QLatin1Char('-')) ? text : QLatin1Char(' ') + text;
    }
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (value == 0) {
        return fixedText(Digits{"0", 0}, false, decimals, separator);
    }
    return fixedText(shortestDigits(value), value < 0, decimals, separator);
}

// The runtime's general number text: `significant` digits at most, fixed notation while the
// first digit's power of ten is in -4..fixedLimit-1, exponent form otherwise.
template <typename Real>
QString generalText(Real value, int significant, int fixedLimit, bool leadingZero,
                    QChar separator) {
    if (!std::isfinite(value)) {
        return nonFiniteText(static_cast<double>(value));
    }
    if (value == 0) {
        return QStringLiteral("0");
    }
    const Digits number = significantDigits(value, significant);
    QString text = value < 0 ? QStringLiteral("-") : QString();
    const auto latin = [](const std::string &s, std::size_t from, std::size_t count) {
        const std::string part = s.substr(from, count);
        return QString::fromLatin1(part.data(), static_cast<qsizetype>(part.size()));
    };

    if (number.exponent >= -4 && number.exponent < fixedLimit) {
        const auto [integerPart, fraction] = splitAtPoint(number, leadingZero);
        text += latin(integerPart, 0, std::string::npos);
        if (!fraction.empty()) {
            text += separator;
            text += latin(fraction, 0, std::string::npos);
        }
        return text;
    }

    text += latin(number.digits, 0, 1);
    if (number.digits.size() > 1) {
        text += separator;
        text += latin(number.digits, 1, std::string::npos);
    }
    text += number.exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+");
    text += QStringLiteral("%1").arg(std::abs(number.exponent), 2, 10, QLatin1Char('0'));
    return text;
}

bool isBlank(QChar c) {
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

bool isDigit(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

}  // namespace

// ---- Output ----

QString valueFormatText(int decimals) {
    const QString zeros(std::clamp(decimals, 0, kMaxDecimals), QLatin1Char('0'));
    return QStringLiteral("\\ #0.") + zeros + QStringLiteral(";-#0.") + zeros;
}

QString formatValue(float value, int decimals, QChar separator) {
    return formatValueOf(value, decimals, separator);
}

QString formatValue(double value, int decimals, QChar separator) {
    return formatValueOf(value, decimals, separator);
}

double shortestDecimal(float value) {
    if (!std::isfinite(value) || value == 0) {
        return static_cast<double>(value);
    }
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return nearestDouble(std::string(buffer.data(), result.ptr));
}

QString resultText(float value, int decimals, QChar separator) {
    return resultTextOf(value, decimals, separator);
}

QString resultText(double value, int decimals, QChar separator) {
    return resultTextOf(value, decimals, separator);
}

double roundedDecimal(float value, int decimals) {
    if (!std::isfinite(value)) {
        return static_cast<double>(value);
    }
    // The verdict is the number of the very text the results show.
    return nearestDouble(resultDigits(value, decimals));
}

QString signedNumber(int value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

QString listOutput(int value) {
    return signedNumber(value) + QLatin1Char(' ');
}

QString listOutput(float value, QChar separator) {
    const QString body = generalText(value, 7, 7, false, separator);
    const QString before = body.startsWith(QLatin1Char('-')) ? QString() : QStringLiteral(" ");
    return before + body + QLatin1Char(' ');
}

QString defaultText(float value, QChar separator) {
    return generalText(value, 7, 7, true, separator);
}

QString defaultText(double value, QChar separator) {
    return generalText(value, 15, 15, true, separator);
}

// ---- Input ----

double roundHalfEven(double value) {
    if (!std::isfinite(value)) {
        return value;
    }
    const double nearest = std::round(value);  // halves away from zero
    if (std::fabs(value - std::trunc(value)) == 0.5) {
        return 2.0 * std::round(value / 2.0);
    }
    return nearest;
}

std::optional<int> toInteger16(double value) {
    if (std::isnan(value)) {
        return std::nullopt;
    }
    const double rounded = roundHalfEven(value);
    if (rounded < -32768.0 || rounded > 32767.0) {
        return std::nullopt;
    }
    return static_cast<int>(rounded);
}

double leadingNumber(const QString &text) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && isBlank(text[i])) {
        ++i;
    }
    bool negative = false;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
        negative = text[i] == QLatin1Char('-');
        ++i;
    }

    // Normalised copy for std::from_chars: digits, ".", digits, "e", exponent.
    std::string number;
    int integerDigits = 0;    // significant digits before the point
    int leadingFraction = 0;  // zeros after the point before the first significant digit
    bool significant = false;
    bool anyDigit = false;
    for (; i < n && isDigit(text[i]); ++i) {
        anyDigit = true;
        significant = significant || text[i] != QLatin1Char('0');
        integerDigits += significant ? 1 : 0;
        number.push_back(static_cast<char>(text[i].unicode()));
    }
    if (i < n && text[i] == QLatin1Char('.')) {
        ++i;
        number.push_back('.');
        for (; i < n && isDigit(text[i]); ++i) {
            anyDigit = true;
            if (!significant && text[i] == QLatin1Char('0')) {
                ++leadingFraction;
            }
            significant = significant || text[i] != QLatin1Char('0');
            number.push_back(static_cast<char>(text[i].unicode()));
        }
    }
    if (!anyDigit) {
        return 0.0;
    }
    if (!significant) {
        return negative ? -0.0 : 0.0;
    }

    // Exponent: only when at least one digit follows the letter and its sign.
    long long exponent = 0;
    if (i < n) {
        const QChar letter = text[i].toUpper();
        if (letter == QLatin1Char('E') || letter == QLatin1Char('D')) {
            qsizetype j = i + 1;
            bool exponentNegative = false;
            if (j < n && (text[j] == QLatin1Char('+') || text[j] == QLatin1Char('-'))) {
                exponentNegative = text[j] == QLatin1Char('-');
                ++j;
            }
            if (j < n && isDigit(text[j])) {
                for (; j < n && isDigit(text[j]); ++j) {
                    // Saturate far beyond any double's reach; the value is inf or 0 anyway.
                    exponent = std::min(exponent * 10 + (text[j].unicode() - u'0'), 1000000LL);
                }
                exponent = exponentNegative ? -exponent : exponent;
            }
        }
    }
    number += 'e';
    number += std::to_string(exponent);

    double value = 0.0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Power of ten of the first significant digit tells overflow from underflow.
        const long long magnitude =
            exponent + (integerDigits > 0 ? integerDigits - 1 : -leadingFraction - 1);
        value = magnitude > 0 ? std::numeric_limits<double>::infinity() : 0.0;
    }
    return negative ? -value : value;
}

std::optional<double> localeReal(const QString &text, const QLocale &locale) {
    const QString line = text.trimmed();
    if (line.isEmpty()) {
        return std::nullopt;
    }
    // Group separators are refused: in a locale with "," as decimal separator "1.500" must read
    // as the "." text 1.5, not as 1500.
    for (QLocale candidate : {locale, QLocale::c()}) {
        candidate.setNumberOptions(candidate.numberOptions() | QLocale::RejectGroupSeparator);
        bool ok = false;
        const double value = candidate.toDouble(line, &ok);
        if (ok) {
            if (!std::isfinite(value)) {
                return std::nullopt;
            }
            return value;
        }
    }
    return std::nullopt;
}

std::optional<bool> booleanValue(const QString &text, const QLocale &locale) {
    const QString word = text.trimmed();
    if (word.compare(QLatin1StringView("True"), Qt::CaseInsensitive) == 0) {
        return true;
    }
    if (word.compare(QLatin1StringView("False"), Qt::CaseInsensitive) == 0) {
        return false;
    }
    const std::optional<double> number = localeReal(word, locale);
    if (!number) {
        return std::nullopt;
    }
    return *number != 0.0;
}

QChar systemDecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.size() == 1 ? point.front() : QLatin1Char('.');
}

}  // namespace zelapp::rt
