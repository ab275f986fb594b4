// Which probes a channel's formula reads: T<n> references, alone or in ranges (T1:T4 reads
// T1 to T4). Letters in any case; blanks and tabs count for nothing, as on the unit.
#pragma once

#include <QString>

namespace zelapp {

// Whether the formula reads probe n; n = 0 asks whether it reads any probe.
bool formulaUsesProbe(const QString &formula, int probe);

}  // namespace zelapp
