#include "dfq/dfq_number.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <string>

namespace zelapp {

namespace {

// digits x 10^-scale; `digits` has no leading zeros ("0" for zero).
struct Decimal {
    bool negative = false;
    std::string digits = "0";
    int scale = 0;
};

constexpr int kMaxExponent = 100;

void trimLeadingZeros(std::string &digits) {
    const std::size_t first = digits.find_first_not_of('0');
    digits = first == std::string::npos ? std::string("0") : digits.substr(first);
}

std::optional<Decimal> parse(const QString &text) {
    static const QRegularExpression number(
        QStringLiteral("^([+-]?)(\\d*)(?:\\.(\\d*))?(?:[eE]([+-]?\\d+))?$"));
    const QRegularExpressionMatch match = number.match(text.trimmed());
    if (!match.hasMatch() || match.captured(2).size() + match.captured(3).size() == 0) {
        return std::nullopt;
    }
    bool ok = true;
    const int exponent = match.hasCaptured(4) ? match.captured(4).toInt(&ok) : 0;
    if (!ok || std::abs(exponent) > kMaxExponent) {
        return std::nullopt;
    }
    Decimal decimal;
    decimal.negative = match.captured(1) == u"-";
    decimal.digits = (match.captured(2) + match.captured(3)).toStdString();
    decimal.scale = static_cast<int>(match.captured(3).size()) - exponent;
    if (decimal.scale < 0) {
        decimal.digits.append(static_cast<std::size_t>(-decimal.scale), '0');
        decimal.scale = 0;
    }
    trimLeadingZeros(decimal.digits);
    return decimal;
}

QString format(Decimal decimal) {
    while (decimal.scale > 0 && decimal.digits.size() > 1 && decimal.digits.back() == '0') {
        decimal.digits.pop_back();
        --decimal.scale;
    }
    if (decimal.digits == "0") {
        return QStringLiteral("0");
    }
    std::string text = decimal.digits;
    const auto scale = static_cast<std::size_t>(decimal.scale);
    if (scale > 0) {
        if (text.size() <= scale) {
            text.insert(0, scale - text.size() + 1, '0');
        }
        text.insert(text.size() - scale, 1, '.');
    }
    return QString::fromStdString((decimal.negative ? "-" : "") + text);
}

// Magnitudes of equal scale, as digit strings padded to one length.
int compareMagnitude(const std::string &a, const std::string &b) {
    if (a.size() != b.size()) {
        return a.size() < b.size() ? -1 : 1;
    }
    return a.compare(b);
}

std::string addMagnitudes(const std::string &a, const std::string &b) {
    std::string sum;
    int carry = 0;
    for (std::size_t i = 0; i < std::max(a.size(), b.size()) || carry != 0; ++i) {
        const int da = i < a.size() ? a[a.size() - 1 - i] - '0' : 0;
        const int db = i < b.size() ? b[b.size() - 1 - i] - '0' : 0;
        const int d = da + db + carry;
        sum.push_back(static_cast<char>('0' + d % 10));
        carry = d / 10;
    }
    std::reverse(sum.begin(), sum.end());
    trimLeadingZeros(sum);
    return sum;
}

// a - b with a >= b.
std::string subtractMagnitudes(const std::string &a, const std::string &b) {
    std::string difference;
    int borrow = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        int d =
            (a[a.size() - 1 - i] - '0') - borrow - (i < b.size() ? b[b.size() - 1 - i] - '0' : 0);
        borrow = d < 0 ? 1 : 0;
        difference.push_back(static_cast<char>('0' + d + 10 * borrow));
    }
    std::reverse(difference.begin(), difference.end());
    trimLeadingZeros(difference);
    return difference;
}

Decimal withScale(Decimal decimal, int scale) {
    decimal.digits.append(static_cast<std::size_t>(scale - decimal.scale), '0');
    decimal.scale = scale;
    trimLeadingZeros(decimal.digits);
    return decimal;
}

Decimal add(const Decimal &first, const Decimal &second) {
    const int scale = std::max(first.scale, second.scale);
    const Decimal a = withScale(first, scale);
    const Decimal b = withScale(second, scale);
    Decimal sum;
    sum.scale = scale;
    if (a.negative == b.negative) {
        sum.negative = a.negative;
        sum.digits = addMagnitudes(a.digits, b.digits);
    } else if (compareMagnitude(a.digits, b.digits) >= 0) {
        sum.negative = a.negative;
        sum.digits = subtractMagnitudes(a.digits, b.digits);
    } else {
        sum.negative = b.negative;
        sum.digits = subtractMagnitudes(b.digits, a.digits);
    }
    return sum;
}

// x / 2 = x * 5 / 10: exact in one more decimal.
Decimal half(const Decimal &decimal) {
    Decimal result = decimal;
    std::string times5;
    int carry = 0;
    for (auto it = decimal.digits.rbegin(); it != decimal.digits.rend(); ++it) {
        const int d = (*it - '0') * 5 + carry;
        times5.push_back(static_cast<char>('0' + d % 10));
        carry = d / 10;
    }
    if (carry != 0) {
        times5.push_back(static_cast<char>('0' + carry));
    }
    std::reverse(times5.begin(), times5.end());
    trimLeadingZeros(times5);
    result.digits = times5;
    result.scale = decimal.scale + 1;
    return result;
}

}  // namespace

std::optional<QString> dfqSingleText(float value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    std::array<char, 128> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    return dfqFixedText(QString::fromLatin1(buffer.data(), result.ptr - buffer.data()));
}

std::optional<QString> dfqFixedText(const QString &text) {
    const std::optional<Decimal> decimal = parse(text);
    return decimal ? std::optional<QString>(format(*decimal)) : std::nullopt;
}

QString dfqMidpoint(const QString &first, const QString &second) {
    const std::optional<Decimal> a = parse(first);
    const std::optional<Decimal> b = parse(second);
    if (!a || !b) {
        return {};
    }
    return format(half(add(*a, *b)));
}

}  // namespace zelapp
