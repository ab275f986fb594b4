// The tolerance rule: how a channel's value stands against its limits. The grid, the bars and
// anything else that judges a part ask this one rule, so that they never disagree.
#pragma once

#include <optional>

namespace zelapp {

class Channel;

enum class ToleranceVerdict {
    Good,          // within the approach limits
    WarningPlus,   // between the high approach and the high tolerance limit
    WarningMinus,  // between the low approach and the low tolerance limit
    RejectPlus,    // above the high tolerance limit
    RejectMinus,   // below the low tolerance limit
    NotValid,      // no reading: no formula, unit lost, a value that is not finite
};

// The limits as the channel holds them; any order.
struct ToleranceLimits {
    float loTol = 0;
    float loAppr = 0;
    float hiAppr = 0;
    float hiTol = 0;

    bool operator==(const ToleranceLimits &) const = default;
};

// Which tolerance limits a characteristic has for the exports and the statistics: run-out, say,
// has an upper limit only ("OneSided<n>=upper" of the part program). The judging above always
// uses all four limits.
enum class ToleranceSides {
    Both,
    UpperOnly,  // "upper"
    LowerOnly,  // "lower"
};

// The value is judged as the operator reads it: rounded half away from zero to `decimals`
// from its shortest text, as the displays format it, and compared as a decimal with each
// limit's shortest text, so 0.01000 on a high tolerance of 0.01 is inside. A value on a limit
// is inside it. Limits out of order are put in order: each pair low/high, the approach band
// held inside the tolerance band. No reading, a value that is not finite or a NaN limit is
// NotValid.
ToleranceVerdict judgeTolerance(std::optional<float> value, int decimals,
                                const ToleranceLimits &limits);

ToleranceLimits toleranceLimits(const Channel &channel);
// A channel's reading against its own limits and decimals; a channel without a formula
// measures nothing and is NotValid.
ToleranceVerdict judgeChannel(const Channel &channel, std::optional<float> reading);

}  // namespace zelapp
