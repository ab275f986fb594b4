#include "part/tolerance_bar.h"

#include <algorithm>
#include <cmath>

#include "model/part_result.h"

namespace zelapp {

ToleranceBar toleranceBar(const ToleranceLimits &limits, std::optional<float> value,
                          ToleranceVerdict verdict, int width, int height) {
    ToleranceBar bar;
    double lo = limits.loTol;
    double hi = limits.hiTol;
    double loAppr = limits.loAppr;
    double hiAppr = limits.hiAppr;
    if (!std::isfinite(lo) || !std::isfinite(hi) || !std::isfinite(loAppr) ||
        !std::isfinite(hiAppr) || width < kLeastToleranceBarWidth || height <= 0) {
        return bar;
    }
    // In order as the judging puts them: each pair low/high, the approach band inside the
    // tolerance band.
    if (lo > hi) {
        std::swap(lo, hi);
    }
    if (loAppr > hiAppr) {
        std::swap(loAppr, hiAppr);
    }
    if (!(hi > lo)) {
        return bar;  // no band to draw
    }
    loAppr = std::clamp(loAppr, lo, hi);
    hiAppr = std::clamp(hiAppr, lo, hi);
    bar.arrowWidth = std::max(1, std::min(height, width / 8));
    const int left = bar.arrowWidth;
    const int right = width - bar.arrowWidth;  // the zones fill [left, right)
    const auto xOf = [&](double v) {
        return left + static_cast<int>(std::lround((v - lo) / (hi - lo) * (right - left)));
    };
    const int a = xOf(loAppr);
    const int b = xOf(hiAppr);
    for (const BarSpan &span : {BarSpan{left, a, BarZone::Approach}, BarSpan{a, b, BarZone::Good},
                                BarSpan{b, right, BarZone::Approach}}) {
        if (span.right > span.left) {
            bar.spans.push_back(span);
        }
    }
    if (verdictKind(verdict) == VerdictKind::Reject) {
        bar.beyond = verdictSide(verdict);
    }
    if (value && std::isfinite(*value) && verdictKind(verdict) != VerdictKind::NotValid) {
        const int x = bar.beyond < 0 ? left : bar.beyond > 0 ? right - 1 : xOf(*value);
        bar.marker = std::clamp(x, left, right - 1);
    }
    return bar;
}

}  // namespace zelapp
