// The text the "freeze" event keeps of the limits it froze (PartEvent::data), so that the
// statistics read back exactly the numbers that were frozen. Qt Core only.
//
// One line of key=value pairs separated by ";":
//   chart=imr|xbar-r|xbar-s;k=<subgroup size>;first=<lcl>,<cl>,<ucl>;second=<lcl>,<cl>,<ucl>;
//   sigma=<sigma within>
// numbers in C notation with 17 significant digits, so that they come back to the bit.
#pragma once

#include <QString>
#include <optional>

#include "stats/process_stats.h"

namespace zelapp {

QString frozenLimitsText(const FrozenLimits &limits);
// None when the text is not such a line (a key missing, a number that is not one, a size
// outside 1..25 or not fitting the chart).
std::optional<FrozenLimits> parseFrozenLimits(const QString &text);

}  // namespace zelapp
