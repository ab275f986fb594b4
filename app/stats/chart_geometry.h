// Where the statistics window draws: the value axis of a chart, the x positions of its points
// (stages side by side), the histogram's bins and the fitted normal curve, and which point lies
// under the mouse. Pure functions over numbers and rectangles, so they are tested without
// drawing; the chart widgets only paint what these return. Qt Core only.
#pragma once

#include <QPointF>
#include <QRectF>
#include <QString>
#include <optional>
#include <vector>

#include "stats/stats_view_data.h"

namespace zelapp {

// A value range with round ticks: low and high are multiples of the step and cover every value
// given with some margin.
struct ValueAxis {
    double low = 0;
    double high = 1;
    double step = 0.2;
    std::vector<double> ticks;  // low to high
    bool operator==(const ValueAxis &) const = default;
};

// The round step (1, 2 or 5 times a power of ten) that cuts `span` into about `wanted` parts.
double niceStep(double span, int wanted);
// An axis covering `values` (the points, the control limits, the tolerance limits, the
// nominal): a margin of a twentieth of the span each side, then widened to round ticks. NaN
// values are ignored; no value or one alone still gives a range of its own around it.
ValueAxis valueAxis(const std::vector<double> &values, int wantedTicks = 6);
// y of `value` in `plot` (high at the top).
double valueY(const ValueAxis &axis, const QRectF &plot, double value);

// The points of a chart across its stages: each stage a span of its own, points evenly spaced
// on one pitch, a gap of one pitch between stages so their limits do not join.
struct StageSpan {
    int first = 0;  // index of its first point
    int count = 0;
    double left = 0;  // x where its limit lines start and end
    double right = 0;
    bool operator==(const StageSpan &) const = default;
};
struct PointPlacement {
    std::vector<double> x;  // one per point, in order over all stages
    std::vector<StageSpan> stages;
    double pitch = 0;
};
PointPlacement placePoints(const std::vector<int> &pointsPerStage, double left, double right);

// A histogram of the values with its range taking in the tolerance limits.
struct HistogramBin {
    double low = 0;
    double high = 0;
    int count = 0;
    bool operator==(const HistogramBin &) const = default;
};
struct Histogram {
    double low = 0;
    double high = 0;
    double width = 0;  // of each bin
    std::vector<HistogramBin> bins;
    int tallest = 0;  // the highest count
};
// Sturges' rule, ceil(log2 n) + 1, at least 1 and at most 40.
int histogramBinCount(qsizetype n);
// The bins span the values and the limits given (LoTol, HiTol when present), the bin count
// from the values by Sturges' rule stretched to keep the values' bin width over the wider range.
Histogram histogram(const std::vector<double> &values, std::optional<double> lowLimit,
                    std::optional<double> highLimit);

// The normal curve fitted to a histogram, scaled to counts per bin: n * width * pdf(x), over
// the histogram's range in `steps` pieces. Empty when sigma is not above 0 or n is 0.
std::vector<QPointF> normalCurve(double mean, double sigma, qsizetype n, const Histogram &bins,
                                 int steps = 80);

// The point nearest `at` within `radius` pixels, by index; none when no point is that close.
std::optional<int> hitPoint(const std::vector<QPointF> &points, QPointF at, double radius);

// The line through points[first .. first+count) as drawn: where several points share a pixel
// column, only the first, the lowest, the highest and the last of them, so 10,000 points cost
// what a few hundred do and the line looks the same. A point with a NaN y breaks the line:
// each run of points is one polyline.
std::vector<std::vector<QPointF>> thinLines(const std::vector<QPointF> &points, int first,
                                            int count);

// A control chart laid out in a widget's rectangle: the plot, its axis, where each point and
// each line goes.
struct ChartLine {
    enum class Kind { ControlLimit, CentreLine, ToleranceLimit, Nominal };
    Kind kind = Kind::ControlLimit;
    double y = 0;
    double left = 0;
    double right = 0;
    QString label;  // "UCL", "CL", "LCL", "USL", "LSL", "Nominal"
    bool operator==(const ChartLine &) const = default;
};
struct ControlChartLayout {
    QRectF plot;
    ValueAxis axis;
    // One per point of the data, in order; y is NaN where the point has no value.
    std::vector<QPointF> points;
    std::vector<ChartLine> lines;
    std::vector<StageSpan> stages;
};
// `labelWidth` is kept left of the plot for the axis numbers, `lineHeight` above it for the
// title and below it for nothing but a margin; the line labels go right of the plot in the
// same width.
ControlChartLayout controlChartLayout(const ControlChartData &data, const QRectF &area,
                                      double labelWidth, double lineHeight);

// The histogram laid out: each bin's bar, the fitted curve and the vertical lines.
struct HistogramLayout {
    QRectF plot;
    Histogram bins;
    ValueAxis axis;  // along x
    std::vector<QRectF> bars;
    std::vector<QPointF> curve;
    std::vector<ChartLine> lines;  // x in `y`; the tolerance limits and the nominal
};
HistogramLayout histogramLayout(const HistogramData &data, const QRectF &area, double labelWidth,
                                double lineHeight);

}  // namespace zelapp
