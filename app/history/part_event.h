// What the operator recorded about a characteristic's process beside its parts: limits frozen
// from a baseline, a point left out of the statistics, a new stage after a tool change, the
// cause of a part that broke a run rule. Each says who and why; the statistics read them back.
#pragma once

#include <QDateTime>
#include <QString>

namespace zelapp {

enum class PartEventKind {
    FreezeLimits,  // "freeze": `data` holds the frozen limits (stats/stats_events.h)
    Exclude,       // "exclude": `partId` is left out of the computation; `why` is the reason
    NewStage,      // "stage": a new stage starts with the parts after `time`
    // "out": `partId` broke the run rules in `data` ("2,5") when it was measured; its cause is
    // still to be given while no Cause event of the same part and channel follows.
    OutOfControl,
    Cause,  // "cause": the cause given (`why`) for `partId`, which broke the rules in `data`
};

struct PartEvent {
    qint64 id = 0;  // 0 until stored
    QDateTime time;
    PartEventKind kind = PartEventKind::Cause;
    QString partNumber;
    int channel = 0;
    qint64 partId = 0;  // 0: none
    QString who;
    QString why;
    QString data;  // kind's own text; empty when none
    bool operator==(const PartEvent &) const = default;
};

}  // namespace zelapp
