// The run rules 1..8 over the points of one chart, in order. Pure, Qt-free.
#pragma once

#include <vector>

#include "stats/process_stats.h"

namespace zelapp {

// A point judged by the rules: its value and the subgroup it stands for.
struct RulePoint {
    double value = 0;
    int subgroup = 0;
};

// The breaks of `rules` among `points` against `limits`, each reported at the point that
// completes its pattern: a point is reported for a rule when the last points of the rule's
// pattern, ending at it, form the pattern and it is itself part of it. Patterns may share
// points, so a run that goes on is reported at each further point (8 in a row on one side,
// then a 9th: reported at the 8th and the 9th). The zones are thirds of the distance from the
// centre line to each control limit.
std::vector<RuleBreak> findRuleBreaks(const std::vector<RulePoint> &points,
                                      const ChartLimits &limits, const std::vector<int> &rules,
                                      bool secondChart);

}  // namespace zelapp
