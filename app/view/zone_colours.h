// The verdicts' colours (model/verdict_marks.h) as the widgets paint them, so that a value, its
// bar, its history cell and its result tile always agree.
#pragma once

#include <QColor>
#include <optional>

#include "model/verdict_marks.h"

namespace zelapp {

inline QColor colourOf(const Rgb &colour) {
    return {colour.red, colour.green, colour.blue};
}

// A zone's colour in a palette: the bar's fill, the grid's and the history's cell; invalid (no
// colour) for neutral.
inline QColor zoneColour(BarZone zone, ResultPalette palette) {
    const std::optional<Rgb> colour = zoneColourOf(zone, palette);
    return colour ? colourOf(*colour) : QColor();
}

}  // namespace zelapp
