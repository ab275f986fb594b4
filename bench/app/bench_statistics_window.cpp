// The statistics window's drawing over 10,000 parts: a series of 10,000 individuals in two
// stages (I-MR) and the same as subgroups of 5 (X-bar/R); the time of the numbers (each stage
// computed), of the window's content made from them, and of one redraw of both control charts
// and the histogram at the window's size (target: under 50 ms), as the median of a few.
// Until the numbers are computed (the placeholder answers), the subgroups and limits are made
// here so the drawing is still measured; the line says which.
#include <QApplication>
#include <QGridLayout>
#include <QImage>
#include <QWidget>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <vector>

#include "stats/control_constants.h"
#include "stats/stats_view_data.h"
#include "stats/view/chart_views.h"

using namespace zelapp;

namespace {

constexpr int kParts = 10000;
constexpr int kRuns = 7;

double msSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
        .count();
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

StatsSeries makeSeries() {
    std::mt19937 random(31);
    std::normal_distribution<double> normal(10.0, 0.01);
    StatsSeries series;
    series.partNumber = QStringLiteral("4711");
    series.channel = 1;
    const QDateTime start = QDateTime::currentDateTime().addSecs(-kParts);
    for (int s = 0; s < 2; ++s) {
        StatsStage stage;
        stage.revision = s + 1;
        stage.characteristic.channel = 1;
        stage.characteristic.decimals = 3;
        stage.characteristic.limits = {9.95f, 9.96f, 10.04f, 10.05f};
        stage.characteristic.nominal = QStringLiteral("10");
        for (int i = 0; i < kParts / 2; ++i) {
            const qint64 k = s * (kParts / 2) + i;
            stage.values.push_back({k + 1, k + 1, start.addSecs(k), normal(random), i % 97 == 0});
        }
        series.stages.push_back(std::move(stage));
    }
    return series;
}

// What computeStats gives in shape: one point per subgroup, limits about the mean.
StatsResult madeUp(const StatsStage &stage, int k) {
    StatsResult r;
    r.kind = chartKindFor(k);
    double sum = 0;
    for (size_t i = 0; i < stage.values.size(); i += static_cast<size_t>(k)) {
        const int count = std::min<int>(k, static_cast<int>(stage.values.size() - i));
        double mean = 0;
        for (int j = 0; j < count; ++j) {
            mean += stage.values[i + static_cast<size_t>(j)].value;
        }
        mean /= count;
        sum += mean;
        r.subgroups.push_back({static_cast<int>(i), count, mean, 0.01, count < k});
        if (r.subgroups.size() % 50 == 0) {
            r.breaks.push_back({1 + static_cast<int>(r.subgroups.size() / 50 % 8),
                                static_cast<int>(r.subgroups.size()) - 1, false});
        }
    }
    r.n = static_cast<qint64>(stage.values.size());
    r.mean = sum / static_cast<double>(r.subgroups.size());
    r.first = {r.mean - 0.03, r.mean, r.mean + 0.03};
    r.second = {0, 0.0113, 0.037};
    r.sigmaWithinPeriod = 0.01;
    r.sigmaWithinLimits = 0.01;
    r.sigmaOverall = 0.01;
    return r;
}

void run(const StatsSeries &series, int k, QWidget &window, ControlChartView &first,
         ControlChartView &second, HistogramView &histogram) {
    const bool real = controlConstants(2) != nullptr;
    std::vector<double> numbers, content, redraw;
    StatsOptions options;
    options.subgroupSize = k;
    options.rules = {1, 2, 3, 4, 5, 6, 7, 8};
    for (int run = 0; run < kRuns; ++run) {
        auto start = std::chrono::steady_clock::now();
        std::vector<StatsResult> results = computeStages(series, options);
        numbers.push_back(msSince(start));
        if (!real) {
            results.clear();
            for (const StatsStage &stage : series.stages) {
                results.push_back(madeUp(stage, k));
            }
        }
        start = std::chrono::steady_clock::now();
        const StatisticsContent c = statisticsContent(series, results, QStringLiteral("C1"));
        first.setData(c.first);
        second.setData(c.second);
        histogram.setData(c.histogram);
        content.push_back(msSince(start));
        // Painted into an image: every chart draws in full, whatever the platform exposes.
        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        start = std::chrono::steady_clock::now();
        window.render(&image);
        redraw.push_back(msSince(start));
    }
    const double drawn = median(redraw);
    std::printf(
        "statistics window, %d parts, %s: numbers %.1f ms%s, content %.1f ms, charts "
        "redrawn in %.1f ms (median of %d) %s\n",
        kParts, k == 1 ? "I-MR" : "X-bar/R of 5", median(numbers),
        real ? "" : " (placeholder; drawn from subgroups made here)", median(content), drawn, kRuns,
        drawn < 50 ? "ok" : "OVER the 50 ms target");
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QWidget window;
    auto *grid = new QGridLayout(&window);
    auto *first = new ControlChartView(&window);
    auto *second = new ControlChartView(&window);
    auto *histogram = new HistogramView(&window);
    grid->addWidget(first, 0, 0);
    grid->addWidget(second, 1, 0);
    grid->addWidget(histogram, 0, 1, 2, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);
    // The charts' share of the window at its usual size.
    window.resize(800, 600);
    window.show();
    QApplication::processEvents();
    const StatsSeries series = makeSeries();
    run(series, 1, window, *first, *second, *histogram);
    run(series, 5, window, *first, *second, *histogram);
    return 0;
}
