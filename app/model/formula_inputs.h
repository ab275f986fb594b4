// What a channel's formula reads: probes (T<n>), analog inputs (A<n>) and channels (C<n>),
// alone or in ranges (T1:T4 reads T1 to T4), and whether it uses a channel's MAX, MIN or TIR.
// Letters in any case; blanks and tabs count for nothing, as on the unit.
#pragma once

#include <QString>
#include <functional>
#include <set>

namespace zelapp {

struct FormulaInputs {
    // The unit's references end at 255; a number beyond that reads nothing.
    static constexpr int kMostReference = 255;

    std::set<int> probes;
    std::set<int> analogs;
    std::set<int> channels;
    bool maxMin = false;  // MAX, MIN or TIR of a channel

    bool operator==(const FormulaInputs &) const = default;
};

// What the formula reads itself.
FormulaInputs formulaInputs(const QString &formula);

// What channel `channel` reads, directly or through the channels it reads (their formulas from
// `formulaOf`, empty for none); `channels` holds every channel reached. A channel reading
// itself, or a ring of channels, is followed once.
FormulaInputs channelInputs(int channel, const std::function<QString(int)> &formulaOf);

}  // namespace zelapp
