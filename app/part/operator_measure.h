// Measure as the operator gives it, from the Parts menu, F9 in the main window or the result
// window, or the result window's button: when the part program asks for identifiers, a part
// starts only with one.
#pragma once

#include <QString>

namespace zelapp {

class PartCycle;

struct MeasureAttempt {
    QString refusal;       // empty when the cycle started, else why not ("busy", "no part ID")
    bool needsId = false;  // the identifier is missing: the operator types or scans it first
    bool started() const { return refusal.isEmpty(); }
};

// The refusal when identifiers are asked for and none was given.
inline QString noPartId() {
    return QStringLiteral("no part ID");
}

// Starts a cycle with `id` (trimmed); with `askId` an empty one starts nothing.
MeasureAttempt operatorMeasure(PartCycle &cycle, bool askId, const QString &id);

// "Measure refused: busy": the line the status shows.
inline QString measureRefusedText(const QString &refusal) {
    return QStringLiteral("Measure refused: ") + refusal;
}

}  // namespace zelapp
