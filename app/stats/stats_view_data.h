// What the statistics window shows of one characteristic, made from its series and the numbers
// of each stage: the points of the two control charts with their marks and tool tips, the
// values of the histogram, the numbers panel as text, the period as a history filter, and the
// out-of-control parts whose cause is still to be given. Qt Core only, so the window's content
// is tested without a display.
#pragma once

#include <QDateTime>
#include <QString>
#include <optional>
#include <vector>

#include "history/part_event.h"
#include "history/part_store.h"
#include "setup/part_program.h"
#include "stats/process_stats.h"
#include "stats/stats_series.h"

namespace zelapp {

// The parts the window computes over.
struct StatsPeriod {
    enum class Kind { Today, LastParts, Range };
    Kind kind = Kind::Today;
    int lastParts = 100;
    QDateTime from;
    QDateTime to;  // exclusive
};
// The history filter of a period (since/until); Last n parts reads all and keeps the newest n.
PartFilter periodFilter(const StatsPeriod &period, const QDateTime &now);
int periodLastParts(const StatsPeriod &period);

struct ChartPoint {
    std::optional<double> value;  // none: no point (the first moving range)
    bool leftOut = false;         // short subgroup or one holding an excluded value
    bool excluded = false;        // holds a value the operator excluded
    QString rules;                // the rules whose pattern this point completes: "1,5"
    QString tip;                  // time, serial, value of the part(s)
    qint64 partId = 0;            // its last part
    qint64 serial = 0;
};

struct ChartStage {
    std::optional<ChartLimits> limits;  // none: too little data
    bool frozen = false;
};

struct ControlChartData {
    QString title;  // "X", "MR", "X-bar", "R", "s"
    std::vector<ChartPoint> points;
    std::vector<int> pointsPerStage;
    std::vector<ChartStage> stages;
    // The tolerance limits and the nominal on the individuals chart; none on the others.
    std::optional<double> lowTol, highTol, nominal;
    int decimals = 3;
};

struct HistogramData {
    std::vector<double> values;  // the current stage's counted values
    double mean = 0;
    std::optional<double> sigmaOverall;
    std::optional<double> lowTol, highTol, nominal;
    int decimals = 3;
};

struct StatisticsContent {
    ControlChartData first, second;
    HistogramData histogram;
    std::vector<StatsResult> results;  // one per stage, oldest first
    QString numbers;                   // the numbers panel, one "name: value" a line
};

// The charts' names for a kind: {"X", "MR"}, {"X-bar", "R"} or {"X-bar", "s"}.
std::pair<QString, QString> chartTitles(ChartKind kind);

// What the part program asks of a channel's statistics: its subgroup size, rules and
// distribution.
StatsOptions programStatsOptions(const PartProgram &program, int channel);
// Each stage of `series` computed with `options` and the stage's own limits and sides, its
// frozen limits when there are any.
std::vector<StatsResult> computeStages(const StatsSeries &series, StatsOptions options);
StatisticsContent statisticsContent(const StatsSeries &series,
                                    const std::vector<StatsResult> &results,
                                    const QString &characteristic);

// The numbers panel of one stage: n, mean, sigma within of the period and of the limits,
// sigma overall, min, max, the indices with their 95 % bounds (Cpu/Cpl alone when one-sided;
// "-" with the reason) and the sigma each uses, the ppm within, overall and observed, the
// Anderson-Darling test, LCL/CL/UCL of both charts, and the rules broken with the serials that
// complete them.
QString numbersText(const StatsResult &result, const StatsStage &stage,
                    const QString &characteristic, int stageNumber, int stages);

// The OutOfControl events with no Cause event after them for the same part, oldest first.
std::vector<PartEvent> causesNotGiven(const std::vector<PartEvent> &events);
// "C3 serial 17 at 2026-12-10 08:15:02: rules 2,5".
QString causeLine(const PartEvent &event, qint64 serial);

// The limits to freeze from a stage's numbers; none when they could not be computed.
std::optional<FrozenLimits> limitsToFreeze(const StatsResult &result, int subgroupSize);

// The part number the window shows: the newest part's; empty when the history has none.
QString latestPartNumber(PartStore &store);

}  // namespace zelapp
