// The series the statistics compute over: the values of one characteristic (a channel) of one
// part number, read from the history in the order measured, cut into stages: a new stage at
// each setup revision and at each stored "stage" event. Not valid parts and values are left
// out; excluded parts are marked. Reads through a PartStore on the caller's thread.
#pragma once

#include <QString>
#include <map>
#include <optional>
#include <vector>

#include "history/part_event.h"
#include "history/part_store.h"
#include "stats/process_stats.h"

namespace zelapp {

struct StatsStage {
    qint64 revision = 0;
    RevisionCharacteristic characteristic;  // limits, decimals, units, nominal, sides
    std::vector<SeriesValue> values;
    std::optional<FrozenLimits> frozen;  // the stage's last "freeze" event
    QDateTime start;                     // its first part's time
};

struct StatsSeries {
    QString partNumber;
    int channel = 0;
    std::vector<StatsStage> stages;  // oldest first
    std::vector<PartEvent> events;   // the events of this characteristic, oldest first
    std::optional<StoreFailure> failure;
};

// `filter` is the period (since/until); its number is `partNumber` and its verdict is not looked
// at (a statistic counts every verdict but Not valid). `lastParts` above 0
// keeps only the newest that many parts of the period.
StatsSeries readStatsSeries(PartStore &store, const QString &partNumber, int channel,
                            const PartFilter &filter, int lastParts = 0);

// The newest stage of each of `channels` that has one, as readStatsSeries cuts it, read from
// the newest revision's run of parts only and for every channel in one statement: what the
// run rules are watched against. The time grows with that run, not with the whole history.
std::map<int, StatsStage> readLastStages(PartStore &store, const QString &partNumber,
                                         const std::vector<int> &channels,
                                         std::optional<StoreFailure> *failure);

}  // namespace zelapp
