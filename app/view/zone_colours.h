// The colours of the tolerance zones, shared by the bars and the grid so that a value and its
// bar always agree.
#pragma once

#include <QColor>

#include "display/bar_layout.h"

namespace zelapp {

// A zone's colour: the bar's fill and the grid cell's background; invalid (no colour) for
// neutral.
inline QColor zoneColour(BarZone zone) {
    switch (zone) {
        case BarZone::Good:
            return {46, 160, 67};
        case BarZone::Approach:
            return {240, 165, 0};
        case BarZone::Reject:
            return {210, 35, 35};
        case BarZone::Neutral:
            break;
    }
    return {};
}

}  // namespace zelapp
