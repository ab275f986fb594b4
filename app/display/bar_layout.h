// The bar-graph window's logic without widgets: how N bars share the client area, the scale
// and limits each gauge gets for the current view, and which zone a reading falls in.
#pragma once

#include <QLocale>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "base/app_state.h"
#include "model/tolerance.h"
#include "model/verdict_marks.h"

namespace zelapp {

class Setup;

// Rows of the bar window: `rows` rows, the first rows - 1 holding `perRow` bars each and the
// last one `lastRow`. All 0 for no bars.
struct BarRows {
    int rows = 0;
    int perRow = 0;
    int lastRow = 0;
    bool operator==(const BarRows &) const = default;
};

// One row per fifteen bars started, at most seven rows (0 for no bars).
int barRowCount(int bars);
BarRows barRows(int bars);
// The rectangles of the bars, element 0 first, filled row by row from the top left; every bar
// has the client size divided by the rows and the bars per row (nearest integers).
std::vector<QRect> barRects(int bars, QSize client);

// Smallest tick step; also the step of a scale without height.
constexpr double kMinTickStep = 0.0001;
// A tenth of the scale, or kMinTickStep when the scale spans less than that.
double barTickStep(double top, double bottom);
// Width of a text in pixels, as the gauge's font measures it.
using TextAdvance = std::function<int(const QString &)>;
// The caption under a bar `width` pixels wide: the whole description when it fits, else as much
// of it as fits followed by "…" (the gauge's tooltip then holds the whole); empty when not even
// "…" fits.
QString fittedBarCaption(const QString &caption, int width, const TextAdvance &advance);
// A gauge's tooltip: its whole caption, and under it the note on its value, when there is one.
QString barToolTip(const QString &caption, const QString &note);
// The number shown with a bar when the window shows values: the reading at `decimals`
// decimals in the locale's digits; empty for no reading (NaN).
QString barValueText(double value, int decimals, const QLocale &locale);

// A limit line: its value on the scale, its length relative to the bar's width, and its
// thickness relative to the scale's length (0: not drawn).
struct LimitMarker {
    double position = 0;
    double size = 1;
    double width = 0;
    bool operator==(const LimitMarker &) const = default;
};

// What one gauge shows for an item of the current view.
struct GaugeSettings {
    QString caption;
    double top = 0;
    double bottom = 0;
    double tickStep = kMinTickStep;
    int decimals = 0;
    bool limitMode = false;
    // Markers 1 to 4: LoTol, LoAppr, HiAppr, HiTol in limit mode.
    std::array<LimitMarker, 4> limits{};
};

// The settings for the item at a 1-based position of the current view; none when the view
// has no object there (no group to show, a position outside the collection, a group entry
// naming a channel that does not exist). Probes and analog inputs are asked for their full
// scale once.
std::optional<GaugeSettings> gaugeSettings(const Setup &setup, const AppState &state, int position);

// The zone of a reading against limits given as LoTol, LoAppr, HiAppr, HiTol, by the tolerance
// rule at `decimals` (model/tolerance.h): the gauge's values and limits are Singles widened.
// Without limit mode, and for NaN readings or limits, Neutral.
BarZone barZone(double value, bool limitMode, const std::array<double, 4> &limits, int decimals);

// Which end of the scale a reading lies beyond.
enum class OffScale { None, Above, Below };

// How one gauge shows its reading inside the bar's well (pixels).
struct BarLevel {
    QRect fill;  // from the bar's bottom up to the reading; empty when there is none to show
    OffScale offScale = OffScale::None;
    // A triangle inside the well at the end the reading lies beyond, pointing out of it; a
    // reading far off the scale fills the bar (or leaves it empty) as one just off it does.
    std::array<QPoint, 3> arrow{};
};

// Level and off-scale arrow for a reading on a scale from `scaleBottom` (the well's bottom) to
// `scaleTop` (its top), the bar travelling between `barBottom` and `barTop`. NaN: no reading,
// no fill and no arrow.
BarLevel barLevel(const QRect &well, double value, double scaleBottom, double scaleTop,
                  double barBottom, double barTop);

// Share of the scale from the bottom up to v, held to 0..1; NaN for NaN readings. A scale
// without height is empty below its top and full from it.
double scaleFraction(double v, double bottom, double top);

}  // namespace zelapp
