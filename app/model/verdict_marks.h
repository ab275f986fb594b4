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

// The colours the zones are shown in: the usual green, amber and red, or Okabe and Ito's blue,
// yellow and vermillion, which readers with a red-green (or any common) colour-vision deficiency
// tell apart by hue and by lightness. One setting for the whole program
// (model/palette_setting.h).
enum class ResultPalette { Standard, OkabeIto };

// A zone's colour: the bar's fill, the grid's and the history's cell, the result window's tile,
// the statistics' limit lines; none for Neutral.
constexpr std::optional<Rgb> zoneColourOf(BarZone zone, ResultPalette palette) {
    const bool safe = palette == ResultPalette::OkabeIto;
    switch (zone) {
        case BarZone::Good:
            return safe ? Rgb{0, 114, 178} : Rgb{46, 160, 67};
        case BarZone::Approach:
            return safe ? Rgb{240, 228, 66} : Rgb{240, 165, 0};
        case BarZone::Reject:
            return safe ? Rgb{213, 94, 0} : Rgb{210, 35, 35};
        case BarZone::Neutral:
            break;
    }
    return std::nullopt;
}

// The bar of a reading without limits (a probe, an analog input): apart from every zone's
// colour in its palette.
constexpr Rgb neutralBarColourOf(ResultPalette palette) {
    return palette == ResultPalette::OkabeIto ? Rgb{86, 180, 233} : Rgb{70, 130, 180};
}

// WCAG contrast ratio of two colours (1 to 21).
double contrastRatio(const Rgb &a, const Rgb &b);
// The ink written on a background: black or white, whichever contrasts more.
Rgb inkOn(const Rgb &background);

// The zone that shows a verdict of the tolerance rule.
BarZone barZoneOf(ToleranceVerdict verdict);
// The verdict's symbol with its side's triangle after it: "✔", "⚠ ▲", "✖ ▼", "∅".
QString verdictSymbol(ToleranceVerdict verdict);
// "▲" for a plus side, "▼" for a minus side, else empty.
QString sideTriangle(ToleranceVerdict verdict);
// Every verdictSymbol(), for sizing a place that shows any of them.
QStringList verdictSymbols();

}  // namespace zelapp
