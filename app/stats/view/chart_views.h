// The statistics window's charts, painted with QPainter like the bar gauges: a control chart
// (points joined per stage, each stage's UCL/CL/LCL, USL/LSL and the nominal on the individuals
// chart) and the histogram with its fitted normal curve. A point that breaks a rule carries the
// rule's number beside it, a left-out point is drawn hollow and an excluded one crossed, so the
// marks read without colour. The geometry is stats/chart_geometry's; these only draw it.
#pragma once

#include <QWidget>
#include <optional>

#include "model/verdict_marks.h"
#include "stats/chart_geometry.h"
#include "stats/stats_view_data.h"

namespace zelapp {

class ControlChartView : public QWidget {
    Q_OBJECT
  public:
    explicit ControlChartView(QWidget *parent = nullptr);
    void setData(ControlChartData data);
    const ControlChartData &data() const { return data_; }
    // The palette of the limit and centre lines and the points out of control.
    void setZonePalette(ResultPalette palette);
    ControlChartLayout layout() const;
    // The point under `at` (widget coordinates), by index; none when none is near.
    std::optional<int> pointAt(QPoint at) const;
    // The point chosen by a click (for Exclude point); none until one is.
    std::optional<int> chosen() const { return chosen_; }
    void choose(std::optional<int> point);
    QSize minimumSizeHint() const override { return {240, 120}; }

  protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    // Left and Right, Home and End choose a point when the chart has the focus.
    void keyPressEvent(QKeyEvent *event) override;

  private:
    ControlChartData data_;
    std::optional<int> chosen_;
    ResultPalette zonePalette_ = ResultPalette::Standard;
};

class HistogramView : public QWidget {
    Q_OBJECT
  public:
    explicit HistogramView(QWidget *parent = nullptr);
    void setData(HistogramData data);
    const HistogramData &data() const { return data_; }
    void setZonePalette(ResultPalette palette);
    HistogramLayout layout() const;
    QSize minimumSizeHint() const override { return {160, 120}; }

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    HistogramData data_;
    ResultPalette zonePalette_ = ResultPalette::Standard;
};

}  // namespace zelapp
