#include "stats/stats_series.h"

namespace zelapp {

// Placeholder until the series is read.
StatsSeries readStatsSeries(PartStore &, const QString &partNumber, int channel, const PartFilter &,
                            int) {
    StatsSeries series;
    series.partNumber = partNumber;
    series.channel = channel;
    return series;
}

}  // namespace zelapp
