// zelparts stats: the statistics of one characteristic, one name<TAB>value line each.
#pragma once

#include <QIODevice>
#include <QString>
#include <vector>

#include "history/part_store.h"
#include "stats/process_stats.h"
#include "zelparts_options.h"

namespace zelparts {

// The lines of `result` over `values`: n, mean, sigma_within (of the period),
// sigma_within_limits, sigma_overall, the indices of `sides` each followed by its 95 % bounds
// (<name>_ci95), ppm_observed, ppm_within, ppm_overall, ad, ad_p, lcl, cl, ucl of the first
// chart, then rule<k> for each of `rules` with the serials of the parts completing its breaks
// (on either chart), comma separated. "-" for a number there is none of; an index, bound, ppm,
// test or rule that cannot be had is followed by reason_<name> saying why.
QString statsText(const zelapp::StatsResult &result, const std::vector<zelapp::SeriesValue> &values,
                  zelapp::ToleranceSides sides, const std::vector<int> &rules);

// Reads the series and prints its latest stage's statistics.
int stats(zelapp::PartStore &store, const Options &options, QIODevice &out, QIODevice &err);

}  // namespace zelparts
