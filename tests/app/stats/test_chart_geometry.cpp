// The statistics charts' geometry, without drawing: round ticks covering every line, stages
// side by side, histogram bins by Sturges' rule with the tolerance limits inside, the normal
// curve scaled to counts, and the point under the mouse.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "stats/chart_geometry.h"

using namespace Qt::StringLiterals;
using namespace zelapp;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

TEST(ChartGeometry, StepsAreOneTwoOrFiveTimesAPowerOfTen) {
    EXPECT_DOUBLE_EQ(niceStep(1, 5), 0.2);
    EXPECT_DOUBLE_EQ(niceStep(0.07, 6), 0.02);
    EXPECT_DOUBLE_EQ(niceStep(100, 4), 50);
    EXPECT_DOUBLE_EQ(niceStep(3, 3), 1);
    // Nothing to cut: a step all the same, never zero or NaN.
    EXPECT_DOUBLE_EQ(niceStep(0, 5), 1);
    EXPECT_DOUBLE_EQ(niceStep(kNaN, 5), 1);
}

TEST(ChartGeometry, TheValueAxisCoversPointsLimitsAndNominalWithAMarginOnRoundTicks) {
    // Points 9.95 and 10.05, control limits 9.9 and 10.1, tolerance 9.8 and 10.2, nominal 10.
    const ValueAxis axis = valueAxis({9.95, 10.05, 9.9, 10.1, 9.8, 10.2, 10.0, kNaN});
    EXPECT_DOUBLE_EQ(axis.step, 0.1);
    EXPECT_NEAR(axis.low, 9.7, 1e-9);  // 9.8 less a twentieth of 0.4, down to a tick
    EXPECT_NEAR(axis.high, 10.3, 1e-9);
    ASSERT_EQ(axis.ticks.size(), 7u);
    EXPECT_NEAR(axis.ticks.front(), axis.low, 1e-12);
    EXPECT_NEAR(axis.ticks.back(), axis.high, 1e-12);

    // One value, or none, still gives a range around it.
    const ValueAxis one = valueAxis({5});
    EXPECT_LT(one.low, 5);
    EXPECT_GT(one.high, 5);
    const ValueAxis none = valueAxis({});
    EXPECT_LT(none.low, 0);
    EXPECT_GT(none.high, 0);
    const ValueAxis zero = valueAxis({0, 0});
    EXPECT_LT(zero.low, zero.high);

    const QRectF plot(10, 20, 100, 200);
    EXPECT_DOUBLE_EQ(valueY(axis, plot, axis.low), 220);
    EXPECT_DOUBLE_EQ(valueY(axis, plot, axis.high), 20);
}

TEST(ChartGeometry, StagesSitSideBySideWithAGapAndEvenlySpacedPoints) {
    const PointPlacement placed = placePoints({3, 0, 2}, 0, 60);
    EXPECT_DOUBLE_EQ(placed.pitch, 10);  // 5 points and one gap
    EXPECT_EQ(placed.x, (std::vector<double>{5, 15, 25, 45, 55}));
    ASSERT_EQ(placed.stages.size(), 2u);  // the empty stage takes no room
    EXPECT_EQ(placed.stages[0], (StageSpan{0, 3, 0, 30}));
    EXPECT_EQ(placed.stages[1], (StageSpan{3, 2, 40, 60}));
    EXPECT_TRUE(placePoints({}, 0, 60).x.empty());
    EXPECT_TRUE(placePoints({0}, 0, 60).stages.empty());
}

TEST(ChartGeometry, HistogramBinsFollowSturgesAndTakeTheToleranceLimitsIn) {
    EXPECT_EQ(histogramBinCount(0), 1);
    EXPECT_EQ(histogramBinCount(1), 1);
    EXPECT_EQ(histogramBinCount(2), 2);
    EXPECT_EQ(histogramBinCount(8), 4);
    EXPECT_EQ(histogramBinCount(100), 8);
    EXPECT_EQ(histogramBinCount(10000), 15);
    EXPECT_LE(histogramBinCount(qsizetype(1) << 50), 40);

    const std::vector<double> values{0, 1, 2, 3, 4, 5, 6, 7};
    const Histogram plain = histogram(values, std::nullopt, std::nullopt);
    ASSERT_EQ(plain.bins.size(), 4u);
    EXPECT_DOUBLE_EQ(plain.width, 1.75);
    for (const HistogramBin &bin : plain.bins) {
        EXPECT_EQ(bin.count, 2);  // the highest value, on the last edge, in the last bin
    }
    EXPECT_EQ(plain.tallest, 2);

    const Histogram limits = histogram(values, -3.5, 10.0);
    EXPECT_DOUBLE_EQ(limits.width, 1.75);  // the values' width, stretched over the limits
    EXPECT_LE(limits.low, -3.5);
    EXPECT_GE(limits.high, 10.0);
    int total = 0;
    for (const HistogramBin &bin : limits.bins) {
        total += bin.count;
    }
    EXPECT_EQ(total, 8);

    // All alike: one bin holding them; a limit far away never makes a huge count of bins.
    const Histogram alike = histogram({2, 2, 2}, std::nullopt, std::nullopt);
    ASSERT_EQ(alike.bins.size(), 1u);
    EXPECT_EQ(alike.bins[0].count, 3);
    EXPECT_LE(histogram(values, std::nullopt, 1e6).bins.size(), 201u);
    // No value, NaN ignored.
    EXPECT_EQ(histogram({kNaN}, 0.0, 1.0).tallest, 0);
}

TEST(ChartGeometry, TheNormalCurveIsScaledToCountsPerBin) {
    Histogram bins;
    bins.low = -4;
    bins.high = 4;
    bins.width = 0.5;
    const std::vector<QPointF> curve = normalCurve(0, 1, 100, bins, 80);
    ASSERT_EQ(curve.size(), 81u);
    // At the mean: n * width / (sigma * sqrt(2 pi)).
    EXPECT_NEAR(curve[40].y(), 100 * 0.5 * 0.3989422804, 1e-6);
    EXPECT_NEAR(curve[0].y(), curve[80].y(), 1e-12);
    // Its area over +-4 sigma, in bins, is nearly n.
    double area = 0;
    for (size_t i = 1; i < curve.size(); ++i) {
        area += (curve[i].x() - curve[i - 1].x()) * (curve[i].y() + curve[i - 1].y()) / 2;
    }
    EXPECT_NEAR(area / bins.width, 100, 0.01);
    EXPECT_TRUE(normalCurve(0, 0, 100, bins).empty());  // sigma 0: no curve, no division
    EXPECT_TRUE(normalCurve(0, 1, 0, bins).empty());
}

TEST(ChartGeometry, TheNearestPointWithinTheRadiusIsHit) {
    const std::vector<QPointF> points{{10, 10}, {20, 10}, {30, kNaN}};
    EXPECT_EQ(hitPoint(points, {12, 11}, 5), 0);
    EXPECT_EQ(hitPoint(points, {16, 10}, 5), 1);
    EXPECT_EQ(hitPoint(points, {30, 10}, 5), std::nullopt);  // no value there
    EXPECT_EQ(hitPoint(points, {15, 30}, 5), std::nullopt);
}

TEST(ChartGeometry, CrowdedPointsAreThinnedToTheirColumnsExtremesAndNaNBreaksTheLine) {
    // Four points in column 10, one in column 11, a gap, two in column 13.
    const std::vector<QPointF> points{{10.1, 5}, {10.3, 9},    {10.5, 1}, {10.7, 4},
                                      {11.2, 6}, {12.0, kNaN}, {13.1, 2}, {13.4, 2}};
    const auto lines = thinLines(points, 0, 8);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0],
              (std::vector<QPointF>{{10.1, 5}, {10.3, 9}, {10.5, 1}, {10.7, 4}, {11.2, 6}}));
    EXPECT_EQ(lines[1], (std::vector<QPointF>{{13.1, 2}, {13.4, 2}}));
    // 10,000 points over 500 columns: at most four each.
    std::vector<QPointF> many;
    for (int i = 0; i < 10000; ++i) {
        many.emplace_back(i * 0.05, i % 7);
    }
    const auto thin = thinLines(many, 0, 10000);
    ASSERT_EQ(thin.size(), 1u);
    EXPECT_LE(thin[0].size(), 2000u);
    EXPECT_EQ(thin[0].front(), many.front());
    EXPECT_EQ(thin[0].back(), many.back());
    // Only the stage asked for; a range past the end is cut.
    EXPECT_EQ(thinLines(points, 6, 10),
              (std::vector<std::vector<QPointF>>{{{13.1, 2}, {13.4, 2}}}));
    EXPECT_TRUE(thinLines(points, 5, 1).empty());
}

TEST(ChartGeometry, AControlChartDrawsEachStagesLimitsAndTheToleranceOnTheWholeWidth) {
    ControlChartData data;
    data.points.resize(5);
    for (int i = 0; i < 5; ++i) {
        data.points[static_cast<size_t>(i)].value = 10 + 0.01 * i;
    }
    data.points[0].value.reset();  // no moving range for the first
    data.pointsPerStage = {3, 2};
    data.stages = {{ChartLimits{9.9, 10, 10.1}, false}, {std::nullopt, false}};
    data.lowTol = 9.8;
    data.highTol = 10.2;
    const ControlChartLayout layout = controlChartLayout(data, QRectF(0, 0, 400, 200), 50, 10);
    EXPECT_EQ(layout.plot, QRectF(50, 15, 300, 180));
    ASSERT_EQ(layout.points.size(), 5u);
    EXPECT_TRUE(std::isnan(layout.points[0].y()));
    EXPECT_LE(layout.axis.low, 9.8);
    EXPECT_GE(layout.axis.high, 10.2);
    // The first stage's three lines (the second has no limits), then USL and LSL.
    ASSERT_EQ(layout.lines.size(), 5u);
    EXPECT_EQ(layout.lines[0].label, u"UCL"_s);
    EXPECT_DOUBLE_EQ(layout.lines[0].right, layout.stages[0].right);
    EXPECT_LT(layout.lines[0].y, layout.lines[2].y);  // UCL above LCL
    EXPECT_EQ(layout.lines[3].label, u"USL"_s);
    EXPECT_DOUBLE_EQ(layout.lines[3].left, 50);
    EXPECT_DOUBLE_EQ(layout.lines[3].right, 350);
    EXPECT_EQ(layout.lines[4].label, u"LSL"_s);
    // A tiny widget still gives a plot, never a negative one.
    EXPECT_GE(controlChartLayout(data, QRectF(0, 0, 10, 10), 50, 10).plot.width(), 1);
}

TEST(ChartGeometry, TheHistogramLayoutHasABarPerBinAndItsLinesInside) {
    HistogramData data;
    data.values = {0.1, 0.2, 0.2, 0.3, 0.3, 0.3, 0.4, 0.4};
    data.mean = 0.275;
    data.sigmaOverall = 0.1;
    data.lowTol = 0.0;
    data.highTol = 0.6;
    data.nominal = 0.3;
    const HistogramLayout layout = histogramLayout(data, QRectF(0, 0, 300, 200), 40, 10);
    EXPECT_EQ(layout.bars.size(), layout.bins.bins.size());
    EXPECT_FALSE(layout.curve.empty());
    ASSERT_EQ(layout.lines.size(), 3u);
    for (const ChartLine &line : layout.lines) {
        EXPECT_GE(line.y, layout.plot.left()) << line.label.toStdString();
        EXPECT_LE(line.y, layout.plot.right()) << line.label.toStdString();
    }
    EXPECT_LT(layout.lines[0].y, layout.lines[1].y);  // LSL left of USL
    for (const QRectF &bar : layout.bars) {
        EXPECT_GE(bar.top(), layout.plot.top() - 1e-9);  // the tallest bar stays inside
    }
}

}  // namespace
