// How a verdict looks wherever it is shown: the grid, the bars, the history's table and the result
// window all take the zone, the colour and the mark of a verdict from this one table. Colour is
// never the only cue: a symbol tells the verdict ("✔" good, "⚠" warning, "✖" reject, "∅" not
// valid) and a triangle its side ("▲" plus, "▼" minus), written after it: "⚠ ▲", "✖ ▼".
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <optional>

#include "model/tolerance.h"

namespace zelapp {

// The zones of the tolerance rule as the displays colour them.
enum class BarZone {
    Neutral,   // no limits (probes, analog inputs) or no reading
    Good,      // within the approach limits
    Approach,  // between an approach and a tolerance limit: the part is drifting
    Reject,    // beyond a tolerance limit
};

// A colour as red, green and blue (0..255): headless; the windows make QColors of it.
struct Rgb {
    int red = 0;
    int green = 0;
    int blue = 0;
    bool operator==(const Rgb &) const = default;
};

struct VerdictLook {
    ToleranceVerdict verdict;
    BarZone zone;
    const char16_t *symbol;  // the verdict's own
    const char16_t *side;    // "▲", "▼" or empty
};

inline constexpr std::array<VerdictLook, 6> kVerdictLooks{{
    {ToleranceVerdict::Good, BarZone::Good, u"✔", u""},
    {ToleranceVerdict::WarningPlus, BarZone::Approach, u"⚠", u"▲"},
    {ToleranceVerdict::WarningMinus, BarZone::Approach, u"⚠", u"▼"},
    {ToleranceVerdict::RejectPlus, BarZone::Reject, u"✖", u"▲"},
    {ToleranceVerdict::RejectMinus, BarZone::Reject, u"✖", u"▼"},
    {ToleranceVerdict::NotValid, BarZone::Neutral, u"∅", u""},
}};

// A zone's colour: the bar's fill, the grid's and the history's cell, the result window's
// standard palette; none for Neutral.
constexpr std::optional<Rgb> zoneColourOf(BarZone zone) {
    switch (zone) {
        case BarZone::Good:
            return Rgb{46, 160, 67};
        case BarZone::Approach:
            return Rgb{240, 165, 0};
        case BarZone::Reject:
            return Rgb{210, 35, 35};
        case BarZone::Neutral:
            break;
    }
    return std::nullopt;
}

// The zone that shows a verdict of the tolerance rule.
BarZone barZoneOf(ToleranceVerdict verdict);
// The verdict's symbol with its side's triangle after it: "✔", "⚠ ▲", "✖ ▼", "∅".
QString verdictSymbol(ToleranceVerdict verdict);
// "▲" for a plus side, "▼" for a minus side, else empty.
QString sideTriangle(ToleranceVerdict verdict);
// Every verdictSymbol(), for sizing a place that shows any of them.
QStringList verdictSymbols();

}  // namespace zelapp
