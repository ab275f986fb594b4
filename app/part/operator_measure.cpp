#include "part/operator_measure.h"

#include "part/part_cycle.h"

namespace zelapp {

MeasureAttempt operatorMeasure(PartCycle &cycle, bool askId, const QString &id) {
    const QString trimmed = id.trimmed();
    if (askId && trimmed.isEmpty()) {
        return {noPartId(), true};
    }
    return {cycle.measure(askId ? trimmed : QString()), false};
}

}  // namespace zelapp
