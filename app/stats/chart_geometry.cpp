#include "stats/chart_geometry.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

using namespace Qt::StringLiterals;

namespace zelapp {

double niceStep(double span, int wanted) {
    if (!(span > 0) || !std::isfinite(span)) {
        return 1;
    }
    const double rough = span / std::max(wanted, 1);
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    const double fraction = rough / power;
    double nice = 10;
    if (fraction <= 1) {
        nice = 1;
    } else if (fraction <= 2) {
        nice = 2;
    } else if (fraction <= 5) {
        nice = 5;
    }
    return nice * power;
}

ValueAxis valueAxis(const std::vector<double> &values, int wantedTicks) {
    double low = 0;
    double high = 0;
    bool any = false;
    for (double v : values) {
        if (!std::isfinite(v)) {
            continue;
        }
        low = any ? std::min(low, v) : v;
        high = any ? std::max(high, v) : v;
        any = true;
    }
    double span = high - low;
    if (!(span > 0)) {
        // One value, or all alike: a range around it of a tenth of its size, or 1 about 0.
        span = any && low != 0 ? std::abs(low) * 0.2 : 2;
        low -= span / 2;
        high += span / 2;
    } else {
        low -= span / 20;
        high += span / 20;
    }
    ValueAxis axis;
    axis.step = niceStep(high - low, wantedTicks);
    axis.low = std::floor(low / axis.step) * axis.step;
    axis.high = std::ceil(high / axis.step) * axis.step;
    const int count = static_cast<int>(std::lround((axis.high - axis.low) / axis.step));
    for (int i = 0; i <= count; ++i) {
        axis.ticks.push_back(axis.low + i * axis.step);
    }
    return axis;
}

double valueY(const ValueAxis &axis, const QRectF &plot, double value) {
    const double span = axis.high - axis.low;
    return plot.bottom() - (value - axis.low) / span * plot.height();
}

PointPlacement placePoints(const std::vector<int> &pointsPerStage, double left, double right) {
    PointPlacement placement;
    int points = 0;
    int stages = 0;
    for (int count : pointsPerStage) {
        if (count > 0) {
            points += count;
            ++stages;
        }
    }
    if (points == 0) {
        return placement;
    }
    // Each point takes one pitch, each gap between stages one more.
    const int places = points + stages - 1;
    placement.pitch = (right - left) / places;
    double x = left + placement.pitch / 2;
    int first = 0;
    for (int count : pointsPerStage) {
        if (count <= 0) {
            continue;
        }
        StageSpan span{first, count, x - placement.pitch / 2, 0};
        for (int i = 0; i < count; ++i) {
            placement.x.push_back(x);
            x += placement.pitch;
        }
        span.right = x - placement.pitch / 2;
        placement.stages.push_back(span);
        x += placement.pitch;
        first += count;
    }
    return placement;
}

int histogramBinCount(qsizetype n) {
    if (n <= 1) {
        return 1;
    }
    const int sturges = static_cast<int>(std::ceil(std::log2(static_cast<double>(n)))) + 1;
    return std::clamp(sturges, 1, 40);
}

Histogram histogram(const std::vector<double> &values, std::optional<double> lowLimit,
                    std::optional<double> highLimit) {
    Histogram h;
    std::vector<double> finite;
    finite.reserve(values.size());
    for (double v : values) {
        if (std::isfinite(v)) {
            finite.push_back(v);
        }
    }
    double vlow = 0;
    double vhigh = 0;
    if (!finite.empty()) {
        const auto [mn, mx] = std::minmax_element(finite.begin(), finite.end());
        vlow = *mn;
        vhigh = *mx;
    }
    double low = vlow;
    double high = vhigh;
    bool any = !finite.empty();
    for (const std::optional<double> &limit : {lowLimit, highLimit}) {
        if (limit && std::isfinite(*limit)) {
            low = any ? std::min(low, *limit) : *limit;
            high = any ? std::max(high, *limit) : *limit;
            any = true;
        }
    }
    if (finite.empty()) {
        vlow = low;
        vhigh = high;
    }
    const int binsForValues = histogramBinCount(static_cast<qsizetype>(finite.size()));
    double width = (vhigh - vlow) / binsForValues;
    if (!(width > 0)) {
        // All values alike: bins of a tenth of the whole range, else of a tenth of the value.
        width = high > low ? (high - low) / 10 : (vlow != 0 ? std::abs(vlow) / 10 : 0.1);
    }
    // Never more than 200 bins, however far a limit lies from the values.
    width = std::max(width, (high - low) / 200);
    // The values' middle bin stays centred on their range: bins start a whole number of
    // widths below the lowest value.
    const double start = vlow - std::ceil((vlow - low) / width - 1e-9) * width;
    // The highest value on the last edge counts in the last bin.
    const int count = std::max(1, static_cast<int>(std::ceil((high - start) / width - 1e-9)));
    h.low = start;
    h.width = width;
    h.high = start + count * width;
    h.bins.resize(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        h.bins[static_cast<size_t>(i)].low = start + i * width;
        h.bins[static_cast<size_t>(i)].high = start + (i + 1) * width;
    }
    for (double v : finite) {
        int i = static_cast<int>(std::floor((v - start) / width));
        i = std::clamp(i, 0, count - 1);
        h.tallest = std::max(h.tallest, ++h.bins[static_cast<size_t>(i)].count);
    }
    return h;
}

std::vector<QPointF> normalCurve(double mean, double sigma, qsizetype n, const Histogram &bins,
                                 int steps) {
    std::vector<QPointF> curve;
    if (!(sigma > 0) || n <= 0 || !(bins.high > bins.low) || steps < 1) {
        return curve;
    }
    const double scale =
        static_cast<double>(n) * bins.width / (sigma * std::sqrt(2 * std::numbers::pi));
    for (int i = 0; i <= steps; ++i) {
        const double x = bins.low + (bins.high - bins.low) * i / steps;
        const double z = (x - mean) / sigma;
        curve.emplace_back(x, scale * std::exp(-z * z / 2));
    }
    return curve;
}

std::vector<std::vector<QPointF>> thinLines(const std::vector<QPointF> &points, int first,
                                            int count) {
    std::vector<std::vector<QPointF>> lines;
    std::vector<QPointF> line;
    // The column being gathered: its first, lowest, highest and last point.
    std::optional<double> column;
    QPointF head, low, high, tail;
    const auto flush = [&] {
        if (!column) {
            return;
        }
        for (const QPointF &p : {head, low, high, tail}) {
            if (line.empty() || line.back() != p) {
                line.push_back(p);
            }
        }
        column.reset();
    };
    const int end = std::min(first + count, static_cast<int>(points.size()));
    for (int i = std::max(first, 0); i < end; ++i) {
        const QPointF &p = points[static_cast<size_t>(i)];
        if (std::isnan(p.y())) {
            flush();
            if (!line.empty()) {
                lines.push_back(std::move(line));
                line.clear();
            }
            continue;
        }
        const double x = std::floor(p.x());
        if (column && *column == x) {
            low = p.y() > low.y() ? p : low;  // y grows downwards: low is the largest y
            high = p.y() < high.y() ? p : high;
            tail = p;
            continue;
        }
        flush();
        column = x;
        head = low = high = tail = p;
    }
    flush();
    if (!line.empty()) {
        lines.push_back(std::move(line));
    }
    return lines;
}

std::optional<int> hitPoint(const std::vector<QPointF> &points, QPointF at, double radius) {
    std::optional<int> best;
    double bestDistance = radius * radius;
    for (size_t i = 0; i < points.size(); ++i) {
        const QPointF d = points[i] - at;
        const double distance = d.x() * d.x() + d.y() * d.y();
        if (distance <= bestDistance) {
            bestDistance = distance;
            best = static_cast<int>(i);
        }
    }
    return best;
}

}  // namespace zelapp

namespace zelapp {

ControlChartLayout controlChartLayout(const ControlChartData &data, const QRectF &area,
                                      double labelWidth, double lineHeight) {
    ControlChartLayout layout;
    layout.plot = area.adjusted(labelWidth, lineHeight * 1.5, -labelWidth, -lineHeight / 2);
    if (layout.plot.width() < 1 || layout.plot.height() < 1) {
        layout.plot = QRectF(area.topLeft(), QSizeF(1, 1));
    }
    std::vector<double> covered;
    for (const ChartPoint &point : data.points) {
        if (point.value) {
            covered.push_back(*point.value);
        }
    }
    for (const ChartStage &stage : data.stages) {
        if (stage.limits) {
            covered.insert(covered.end(), {stage.limits->lcl, stage.limits->cl, stage.limits->ucl});
        }
    }
    for (const std::optional<double> &line : {data.lowTol, data.highTol, data.nominal}) {
        if (line) {
            covered.push_back(*line);
        }
    }
    layout.axis = valueAxis(covered);
    const PointPlacement placed =
        placePoints(data.pointsPerStage, layout.plot.left(), layout.plot.right());
    layout.stages = placed.stages;
    const double nan = std::numeric_limits<double>::quiet_NaN();
    for (size_t i = 0; i < data.points.size(); ++i) {
        const double x = i < placed.x.size() ? placed.x[i] : layout.plot.right();
        const std::optional<double> &value = data.points[i].value;
        layout.points.emplace_back(x, value ? valueY(layout.axis, layout.plot, *value) : nan);
    }
    const auto y = [&](double value) { return valueY(layout.axis, layout.plot, value); };
    for (size_t s = 0; s < placed.stages.size() && s < data.stages.size(); ++s) {
        const std::optional<ChartLimits> &limits = data.stages[s].limits;
        if (!limits) {
            continue;
        }
        const StageSpan &span = placed.stages[s];
        using K = ChartLine::Kind;
        layout.lines.push_back({K::ControlLimit, y(limits->ucl), span.left, span.right, u"UCL"_s});
        layout.lines.push_back({K::CentreLine, y(limits->cl), span.left, span.right, u"CL"_s});
        layout.lines.push_back({K::ControlLimit, y(limits->lcl), span.left, span.right, u"LCL"_s});
    }
    const double left = layout.plot.left();
    const double right = layout.plot.right();
    if (data.highTol) {
        layout.lines.push_back(
            {ChartLine::Kind::ToleranceLimit, y(*data.highTol), left, right, u"USL"_s});
    }
    if (data.lowTol) {
        layout.lines.push_back(
            {ChartLine::Kind::ToleranceLimit, y(*data.lowTol), left, right, u"LSL"_s});
    }
    if (data.nominal) {
        layout.lines.push_back(
            {ChartLine::Kind::Nominal, y(*data.nominal), left, right, u"Nominal"_s});
    }
    return layout;
}

HistogramLayout histogramLayout(const HistogramData &data, const QRectF &area, double labelWidth,
                                double lineHeight) {
    HistogramLayout layout;
    // Two lines above the plot: the title, then the tolerance lines' labels.
    layout.plot =
        area.adjusted(labelWidth / 2, lineHeight * 2.5, -labelWidth / 2, -lineHeight * 1.5);
    if (layout.plot.width() < 1 || layout.plot.height() < 1) {
        layout.plot = QRectF(area.topLeft(), QSizeF(1, 1));
    }
    layout.bins = histogram(data.values, data.lowTol, data.highTol);
    std::vector<double> span{layout.bins.low, layout.bins.high};
    if (data.nominal) {
        span.push_back(*data.nominal);
    }
    layout.axis = valueAxis(span);
    const QRectF &plot = layout.plot;
    const auto x = [&](double value) {
        return plot.left() +
               (value - layout.axis.low) / (layout.axis.high - layout.axis.low) * plot.width();
    };
    const qsizetype n = static_cast<qsizetype>(data.values.size());
    layout.curve = data.sigmaOverall ? normalCurve(data.mean, *data.sigmaOverall, n, layout.bins)
                                     : std::vector<QPointF>{};
    double top = layout.bins.tallest;
    for (const QPointF &p : layout.curve) {
        top = std::max(top, p.y());
    }
    top = top > 0 ? top * 1.1 : 1;
    const auto y = [&](double count) { return plot.bottom() - count / top * plot.height(); };
    for (const HistogramBin &bin : layout.bins.bins) {
        layout.bars.emplace_back(QPointF(x(bin.low), y(bin.count)),
                                 QPointF(x(bin.high), plot.bottom()));
    }
    for (QPointF &p : layout.curve) {
        p = QPointF(x(p.x()), y(p.y()));
    }
    using K = ChartLine::Kind;
    if (data.lowTol) {
        layout.lines.push_back(
            {K::ToleranceLimit, x(*data.lowTol), plot.top(), plot.bottom(), u"LSL"_s});
    }
    if (data.highTol) {
        layout.lines.push_back(
            {K::ToleranceLimit, x(*data.highTol), plot.top(), plot.bottom(), u"USL"_s});
    }
    if (data.nominal) {
        layout.lines.push_back(
            {K::Nominal, x(*data.nominal), plot.top(), plot.bottom(), u"Nominal"_s});
    }
    return layout;
}

}  // namespace zelapp
