#include "stats/view/chart_views.h"

#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>
#include <cmath>

#include "view/zone_colours.h"

using namespace Qt::StringLiterals;

namespace zelapp {

namespace {

constexpr double kPointRadius = 3.5;
constexpr double kHitRadius = 8;

double labelWidth(const QWidget &w) {
    return w.fontMetrics().horizontalAdvance(u"-0000.0000"_s) + 6.0;
}

// The control limits in the reject zone's colour, the centre line in the good zone's.
QPen linePen(ChartLine::Kind kind, const QPalette &palette, ResultPalette zones) {
    switch (kind) {
        case ChartLine::Kind::ControlLimit:
            return QPen(zoneColour(BarZone::Reject, zones), 1, Qt::DashLine);
        case ChartLine::Kind::CentreLine:
            return QPen(zoneColour(BarZone::Good, zones), 1, Qt::SolidLine);
        case ChartLine::Kind::ToleranceLimit:
            return QPen(QColor(120, 40, 160), 1.5, Qt::DashDotLine);
        case ChartLine::Kind::Nominal:
            return QPen(palette.color(QPalette::WindowText), 1, Qt::DotLine);
    }
    return {};
}

void drawFrame(QPainter &p, const QRectF &plot, const QPalette &palette) {
    p.fillRect(plot, palette.color(QPalette::Base));
    p.setPen(palette.color(QPalette::Mid));
    p.drawRect(plot);
}

}  // namespace

ControlChartView::ControlChartView(QWidget *parent) : QWidget(parent) {
    setMouseTracking(false);
    setFocusPolicy(Qt::NoFocus);
}

void ControlChartView::setZonePalette(ResultPalette palette) {
    zonePalette_ = palette;
    update();
}

void ControlChartView::setData(ControlChartData data) {
    data_ = std::move(data);
    if (chosen_ && *chosen_ >= static_cast<int>(data_.points.size())) {
        chosen_.reset();
    }
    setAccessibleName(u"%1 chart"_s.arg(data_.title));
    update();
}

ControlChartLayout ControlChartView::layout() const {
    return controlChartLayout(data_, QRectF(rect()), labelWidth(*this), fontMetrics().height());
}

std::optional<int> ControlChartView::pointAt(QPoint at) const {
    return hitPoint(layout().points, QPointF(at), kHitRadius);
}

void ControlChartView::choose(std::optional<int> point) {
    chosen_ = point;
    update();
}

bool ControlChartView::event(QEvent *event) {
    if (event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(event);
        const std::optional<int> point = pointAt(help->pos());
        if (point) {
            const ChartPoint &chart = data_.points[static_cast<size_t>(*point)];
            QString tip = chart.tip;
            if (!chart.rules.isEmpty()) {
                tip += u"\nRules broken: %1"_s.arg(chart.rules);
            }
            QToolTip::showText(help->globalPos(), tip, this);
        } else {
            QToolTip::hideText();
            event->ignore();
        }
        return true;
    }
    return QWidget::event(event);
}

void ControlChartView::mousePressEvent(QMouseEvent *event) {
    const std::optional<int> point = pointAt(event->position().toPoint());
    if (point) {
        choose(point);
    }
    QWidget::mousePressEvent(event);
}

void ControlChartView::keyPressEvent(QKeyEvent *event) {
    const int count = static_cast<int>(data_.points.size());
    if (count == 0) {
        QWidget::keyPressEvent(event);
        return;
    }
    const int at = chosen_.value_or(count);
    switch (event->key()) {
        case Qt::Key_Left:
            choose(std::max(0, at - 1));
            break;
        case Qt::Key_Right:
            choose(chosen_ ? std::min(count - 1, at + 1) : count - 1);
            break;
        case Qt::Key_Home:
            choose(0);
            break;
        case Qt::Key_End:
            choose(count - 1);
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    const ChartPoint &point = data_.points[static_cast<size_t>(*chosen_)];
    setAccessibleDescription(point.tip);
}

void ControlChartView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const ControlChartLayout l = layout();
    drawFrame(p, l.plot, pal);
    const QFontMetrics fm = fontMetrics();
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(QRectF(l.plot.left(), 0, l.plot.width(), l.plot.top()), Qt::AlignLeft | Qt::AlignTop,
               data_.title);
    for (double tick : l.axis.ticks) {
        const double y = valueY(l.axis, l.plot, tick);
        p.setPen(pal.color(QPalette::Midlight));
        p.drawLine(QPointF(l.plot.left(), y), QPointF(l.plot.right(), y));
        p.setPen(pal.color(QPalette::WindowText));
        p.drawText(QRectF(0, y - fm.height() / 2.0, l.plot.left() - 4, fm.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QString::number(tick, 'g', 6));
    }
    for (const ChartLine &line : l.lines) {
        p.setPen(linePen(line.kind, pal, zonePalette_));
        p.drawLine(QPointF(line.left, line.y), QPointF(line.right, line.y));
    }
    // Each line's name right of the plot: the tolerance lines' and the last stage's limits.
    p.setPen(pal.color(QPalette::WindowText));
    const double lastRight = l.stages.empty() ? l.plot.right() : l.stages.back().right;
    for (const ChartLine &line : l.lines) {
        const bool isStage =
            line.kind == ChartLine::Kind::ControlLimit || line.kind == ChartLine::Kind::CentreLine;
        if (!isStage || line.right == lastRight) {
            p.drawText(QPointF(l.plot.right() + 3, line.y + fm.ascent() / 2.0), line.label);
        }
    }
    // The points, joined within each stage.
    p.setPen(QPen(pal.color(QPalette::Highlight), 1));
    p.setBrush(Qt::NoBrush);
    for (const StageSpan &span : l.stages) {
        for (const std::vector<QPointF> &line : thinLines(l.points, span.first, span.count)) {
            p.drawPolyline(line.data(), static_cast<int>(line.size()));
        }
    }
    // Where the points crowd closer than a marker, only the marked ones get one.
    const bool everyMarker = l.points.size() < 2 || l.plot.width() / double(l.points.size()) >= 3;
    for (size_t i = 0; i < l.points.size(); ++i) {
        const QPointF &at = l.points[i];
        if (std::isnan(at.y())) {
            continue;
        }
        const ChartPoint &point = data_.points[i];
        const bool broken = !point.rules.isEmpty();
        const bool chosen = chosen_ && *chosen_ == static_cast<int>(i);
        if (!everyMarker && !broken && !point.leftOut && !point.excluded && !chosen) {
            continue;
        }
        const QColor colour =
            broken ? zoneColour(BarZone::Reject, zonePalette_) : pal.color(QPalette::Highlight);
        p.setPen(QPen(colour, 1.2));
        if (point.leftOut) {
            p.setBrush(pal.color(QPalette::Base));  // hollow: not in the limits
            p.drawRect(QRectF(at.x() - kPointRadius, at.y() - kPointRadius, 2 * kPointRadius,
                              2 * kPointRadius));
        } else {
            p.setBrush(colour);
            p.drawEllipse(at, kPointRadius, kPointRadius);
        }
        if (point.excluded) {
            const double r = kPointRadius + 2;
            p.drawLine(at + QPointF(-r, -r), at + QPointF(r, r));
            p.drawLine(at + QPointF(-r, r), at + QPointF(r, -r));
        }
        if (broken) {
            p.setPen(colour);
            p.drawText(at + QPointF(kPointRadius + 1, -kPointRadius - 1), point.rules);
        }
        if (chosen) {
            p.setPen(QPen(pal.color(QPalette::WindowText), 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawEllipse(at, kPointRadius + 4, kPointRadius + 4);
        }
    }
}

HistogramView::HistogramView(QWidget *parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setAccessibleName(u"Histogram"_s);
}

void HistogramView::setZonePalette(ResultPalette palette) {
    zonePalette_ = palette;
    update();
}

void HistogramView::setData(HistogramData data) {
    data_ = std::move(data);
    update();
}

HistogramLayout HistogramView::layout() const {
    return histogramLayout(data_, QRectF(rect()), labelWidth(*this), fontMetrics().height());
}

void HistogramView::paintEvent(QPaintEvent *) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QPalette &pal = palette();
    const HistogramLayout l = layout();
    drawFrame(p, l.plot, pal);
    const QFontMetrics fm = fontMetrics();
    p.setPen(pal.color(QPalette::WindowText));
    p.drawText(QRectF(l.plot.left(), 0, l.plot.width(), l.plot.top()),
               Qt::AlignLeft | Qt::AlignVCenter, u"Histogram"_s);
    const double span = l.axis.high - l.axis.low;
    // A narrow histogram labels every other tick or fewer: texts never run into each other.
    double labelledTo = -1e9;
    for (double tick : l.axis.ticks) {
        const double x = l.plot.left() + (tick - l.axis.low) / span * l.plot.width();
        p.drawLine(QPointF(x, l.plot.bottom()), QPointF(x, l.plot.bottom() + 3));
        const QString text = QString::number(tick, 'g', 6);
        const double w = fm.horizontalAdvance(text);
        if (x - w / 2 < labelledTo + fm.horizontalAdvance(QLatin1Char(' '))) {
            continue;
        }
        p.drawText(QPointF(x - w / 2, l.plot.bottom() + 3 + fm.ascent()), text);
        labelledTo = x + w / 2;
    }
    p.setPen(pal.color(QPalette::Mid));
    p.setBrush(pal.color(QPalette::Highlight).lighter(150));
    for (const QRectF &bar : l.bars) {
        p.drawRect(bar);
    }
    if (!l.curve.empty()) {
        p.setPen(QPen(pal.color(QPalette::WindowText), 1.5));
        p.setBrush(Qt::NoBrush);
        p.drawPolyline(l.curve.data(), static_cast<int>(l.curve.size()));
    }
    for (const ChartLine &line : l.lines) {
        p.setPen(linePen(line.kind, pal, zonePalette_));
        p.drawLine(QPointF(line.y, line.left), QPointF(line.y, line.right));
        p.setPen(pal.color(QPalette::WindowText));
        const double w = fm.horizontalAdvance(line.label);
        p.drawText(QPointF(line.y - w / 2, line.left - 2), line.label);
    }
}

}  // namespace zelapp
