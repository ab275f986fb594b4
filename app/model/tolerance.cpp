#include "model/tolerance.h"

#include <algorithm>
#include <cmath>

#include "base/runtime_text.h"
#include "model/channel.h"

namespace zelapp {

// Both sides are decimals of at most nine significant digits (a Single's shortest text, or
// that rounded). Their nearest doubles keep their order and their equality, so comparing the
// doubles compares the decimals.
ToleranceVerdict judgeTolerance(std::optional<float> value, int decimals,
                                const ToleranceLimits &limits) {
    const float raw[] = {limits.loTol, limits.loAppr, limits.hiAppr, limits.hiTol};
    if (!value || !std::isfinite(*value) ||
        std::any_of(std::begin(raw), std::end(raw), [](float l) { return std::isnan(l); })) {
        return ToleranceVerdict::NotValid;
    }
    // The list form: it answers values, not references to the temporaries.
    const auto [loTol, hiTol] =
        std::minmax({rt::shortestDecimal(limits.loTol), rt::shortestDecimal(limits.hiTol)});
    const auto [loAppr, hiAppr] =
        std::minmax({rt::shortestDecimal(limits.loAppr), rt::shortestDecimal(limits.hiAppr)});
    const double v = rt::roundedDecimal(*value, decimals);
    if (v > hiTol) {
        return ToleranceVerdict::RejectPlus;
    }
    if (v < loTol) {
        return ToleranceVerdict::RejectMinus;
    }
    if (v > std::clamp(hiAppr, loTol, hiTol)) {
        return ToleranceVerdict::WarningPlus;
    }
    if (v < std::clamp(loAppr, loTol, hiTol)) {
        return ToleranceVerdict::WarningMinus;
    }
    return ToleranceVerdict::Good;
}

ToleranceLimits toleranceLimits(const Channel &channel) {
    return {channel.LoTol, channel.LoAppr, channel.HiAppr, channel.HiTol};
}

ToleranceVerdict judgeChannel(const Channel &channel, std::optional<float> reading) {
    if (channel.Formula().isEmpty()) {
        return ToleranceVerdict::NotValid;
    }
    return judgeTolerance(reading, channel.Decimals, toleranceLimits(channel));
}

}  // namespace zelapp
