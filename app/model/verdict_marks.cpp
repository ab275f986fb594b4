#include "model/verdict_marks.h"

#include <algorithm>
#include <cmath>

namespace zelapp {

namespace {

const VerdictLook &lookOf(ToleranceVerdict verdict) {
    for (const VerdictLook &look : kVerdictLooks) {
        if (look.verdict == verdict) {
            return look;
        }
    }
    return kVerdictLooks.back();
}

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kWhite{255, 255, 255};

// sRGB to linear light, and the relative luminance WCAG defines on it.
double channelLuminance(int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(const Rgb &c) {
    return 0.2126 * channelLuminance(c.red) + 0.7152 * channelLuminance(c.green) +
           0.0722 * channelLuminance(c.blue);
}

}  // namespace

double contrastRatio(const Rgb &a, const Rgb &b) {
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

Rgb inkOn(const Rgb &background) {
    return contrastRatio(background, kBlack) >= contrastRatio(background, kWhite) ? kBlack : kWhite;
}

BarZone barZoneOf(ToleranceVerdict verdict) {
    return lookOf(verdict).zone;
}

QString sideTriangle(ToleranceVerdict verdict) {
    return QString::fromUtf16(lookOf(verdict).side);
}

QString verdictSymbol(ToleranceVerdict verdict) {
    const VerdictLook &look = lookOf(verdict);
    const QString symbol = QString::fromUtf16(look.symbol);
    return look.side[0] == u'\0' ? symbol : symbol + u' ' + QString::fromUtf16(look.side);
}

QStringList verdictSymbols() {
    QStringList symbols;
    for (const VerdictLook &look : kVerdictLooks) {
        symbols << verdictSymbol(look.verdict);
    }
    return symbols;
}

}  // namespace zelapp
