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

// What of a stage is kept when it may be long: the values its baseline comes from, and the
// newest the run rules look at.
struct StageWindow {
    std::size_t first = 0;        // from the stage's beginning, plus `perExcluded` for each
    std::size_t perExcluded = 0;  // point excluded from it: a point left out spoils a subgroup
    std::size_t newest = 0;
};

// A stage of which only its ends were kept: `stage.values` holds its first `first` values and
// then its newest ones; `skipped` values lay between them.
struct StageEnds {
    StatsStage stage;
    std::size_t first = 0;
    std::size_t skipped = 0;
};

// The newest stage of each of `channels` that has one, cut as readStatsSeries cuts it, read
// from the newest revision's run of parts only, every channel in one pass, and kept within
// `window`: what the run rules are watched against. Its time grows with that run, not with the
// whole history, and its memory with the window only.
std::map<int, StageEnds> readStageEnds(PartStore &store, const QString &partNumber,
                                       const std::vector<int> &channels, const StageWindow &window,
                                       std::optional<StoreFailure> *failure);

}  // namespace zelapp
