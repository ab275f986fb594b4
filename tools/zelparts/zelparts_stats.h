// zelparts stats: the statistics of one characteristic, one name<TAB>value line each.
#pragma once

#include <QIODevice>
#include <QString>
#include <vector>

#include "history/part_store.h"
#include "stats/process_stats.h"
#include "zelparts_options.h"

namespace zelparts {

// The lines of `result` over `values`: n, mean, sigma_within, sigma_overall, the indices of
// `sides`, lcl, cl, ucl of the first chart, then rule<k> for each of `rules` with the serials
// of the parts completing its breaks (on either chart), comma separated. "-" for a number there
// is none of.
QString statsText(const zelapp::StatsResult &result, const std::vector<zelapp::SeriesValue> &values,
                  zelapp::ToleranceSides sides, const std::vector<int> &rules);

// Reads the series and prints its latest stage's statistics.
int stats(zelapp::PartStore &store, const Options &options, QIODevice &out, QIODevice &err);

}  // namespace zelparts
