// What the grid shows beside a channel's value: the zone of the tolerance rule, as the bars
// colour it, and a mark that tells the zone without colour vision. Probes and analog inputs
// have no limits and no zone.
#pragma once

#include <QString>

#include "display/bar_layout.h"

namespace zelapp {

class Channel;

struct ValueZone {
    BarZone zone = BarZone::Neutral;
    // The verdict's symbol (model/verdict_marks.h): "✔", "⚠ ▲", "✖ ▼"; empty when neutral.
    QString symbol;
    bool operator==(const ValueZone &) const = default;
};

// The zone of a verdict, high and low told apart by the mark.
ValueZone valueZoneOf(ToleranceVerdict verdict);

// A shown value text judged against the channel by the tolerance rule, at the channel's
// decimals. The text is read as the displays write it, with either '.' or ',' as the decimal
// separator; an empty text, "NO UNIT" or anything else that is not a number is no reading.
// No channel (a probe, an analog input, a position without a channel): neutral.
ValueZone valueZone(const QString &text, const Channel *channel);

// Whether a gauge fills its whole well with its zone's full colour and pattern: a reject beyond
// either end of the bar's scale does. Otherwise the fill runs from the bar's bottom to the
// reading over the pale well, and one below the scale would show no fill at all, as if it were
// a lesser fault than one above it.
bool fillsWholeWell(BarZone zone, OffScale offScale);

}  // namespace zelapp
