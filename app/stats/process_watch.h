// The run rules watched as parts are measured: each part recorded is judged, characteristic by
// characteristic, against its stage's limits and the rules its part program chose (rule 1 when
// none). A break completed by this part's point is stored as an "out" event with the part and
// told once per part; the operator gives its cause later, and until then the characteristic
// waits in the list of causes awaited. Runs on the window thread.
#pragma once

#include <QList>
#include <QObject>
#include <functional>
#include <map>
#include <optional>
#include <vector>

#include "history/part_store.h"
#include "model/part_result.h"
#include "part/out_of_control.h"
#include "stats/process_stats.h"

namespace zelapp {

class ActivePartProgram;
class PartHistory;
class Setup;
struct PartRecord;

// What judges a series: computeStats; the tests give a judge of their own.
using StatsJudge =
    std::function<StatsResult(const std::vector<SeriesValue> &values, const StatsOptions &options)>;

class ProcessWatch : public QObject {
    Q_OBJECT
  public:
    // Subgroups judged behind the newest once the limits are fixed: rule 7 looks at 15 points.
    static constexpr int kTailSubgroups = 20;

    // `judge` none: computeStats.
    ProcessWatch(PartHistory &history, const ActivePartProgram &program, Setup &setup,
                 StatsJudge judge = {});

    // Forgets the stages it keeps and reads the causes awaited from the history again: at start,
    // when the part program changes, and after the statistics stored an event that moves a
    // stage (limits frozen, a point excluded, a new stage).
    void reload();

    // The characteristics whose cause is awaited, oldest first.
    const std::vector<AwaitedCause> &awaited() const { return awaited_; }
    // The parts among them (one part may wait on several characteristics).
    int awaitedParts() const;
    // Stores the cause of one awaited characteristic (a "cause" event) and takes it off the list.
    std::optional<StoreFailure> giveCause(qint64 partId, int channel, const QString &who,
                                          const QString &why);

  signals:
    // The list of causes awaited changed.
    void awaitedChanged();

  private:
    // One characteristic's current stage as far as the watch keeps it: all of its values until
    // its limits are fixed, then only the newest subgroups the rules look at.
    struct Stage {
        QString number;
        ToleranceLimits limits;
        ToleranceSides sides = ToleranceSides::Both;
        int subgroupSize = 1;
        std::vector<SeriesValue> values;
        std::size_t dropped = 0;               // the stage's values before `values`
        std::optional<FrozenLimits> frozen;    // stored in the history
        std::optional<FrozenLimits> baseline;  // computed once the baseline is complete
        // The complete baseline gave no limits (sigma 0): no point of the stage can break a rule.
        bool limitless = false;

        // The same part number, limits, sides and subgrouping: the same stage.
        bool sameStage(const Stage &other) const;
        // Drops the oldest `oldest` values.
        void forget(std::size_t oldest);
    };

    void judgePart(const PartResult &part, const PartRecord &record);
    // The stage a characteristic of this part belongs to, without its values.
    Stage stageKey(const PartResult &part, const CharacteristicResult &c) const;
    // Reads from the history the stages of the part's characteristics not kept yet.
    void loadStages(const PartResult &part);
    // The rules this point of the stage breaks, in rising order.
    std::vector<int> judge(Stage &stage, const std::vector<int> &rules);
    static StatsOptions stageOptions(const Stage &stage, const std::vector<int> &rules);
    // The stage's limits from its complete baseline's numbers, or none to be had (sigma 0).
    static void fixLimits(Stage &stage, const StatsResult &baseline);

    PartHistory &history_;
    const ActivePartProgram &program_;
    Setup &setup_;
    StatsJudge judge_;
    std::map<int, Stage> stages_;  // by channel
    std::vector<AwaitedCause> awaited_;
};

}  // namespace zelapp
