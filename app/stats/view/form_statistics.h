// Parts > Statistics: the control charts, the histogram and the numbers of one characteristic
// of the newest part's part number over a period, updated as parts are recorded. The content
// comes from the headless stats folder (the series, the numbers per stage, what the charts
// show); the window reads the history through a read-only store of its own and writes the
// operator's events (frozen limits, an excluded point, a new stage, a cause) through a short
// write of their own, then reads again.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "history/part_store.h"
#include "stats/stats_view_data.h"
#include "view/window_context.h"

namespace Ui {
class FormStatistics;
}

namespace zelapp {

class ControlChartView;
class HistogramView;

class FormStatistics : public QWidget {
    Q_OBJECT
  public:
    explicit FormStatistics(const WindowContext &context, QWidget *parent = nullptr);
    ~FormStatistics() override;

    void showWindow();
    // The chosen characteristic's channel; 0 when none.
    int channel() const;
    StatsPeriod period() const;
    // Reads the chosen characteristic's series over the period and shows it.
    void refresh();
    // Shows a series with its numbers per stage (what refresh reads and computes).
    void showSeries(StatsSeries series, const std::vector<StatsResult> &results);
    // Reads the series' events again and shows the causes not yet given.
    void refreshCauses();
    const StatisticsContent &content() const { return content_; }
    const StatsSeries &series() const { return series_; }
    QString numbersText() const;

    void copyNumbers();
    // The charts as a picture; whether it was written. Through a temporary file.
    bool savePng(const QString &path);
    bool saveSvg(const QString &path);

    // The operator's events, stored and shown; whether they were stored.
    bool freezeLimits(const QString &who, const QString &why);
    bool excludePart(qint64 partId, const QString &who, const QString &why);
    bool newStage(const QString &who, const QString &why);
    // The cause of the out-of-control part in row `row` of "Causes not yet given".
    bool giveCause(int row, const QString &who, const QString &why);
    const std::vector<PartEvent> &causesToGive() const { return causes_; }

    ControlChartView &firstChart() { return *first_; }
    ControlChartView &secondChart() { return *second_; }
    HistogramView &histogramChart() { return *histogram_; }

  signals:
    // The content shown changed (read again or given).
    void shown();

  private:
    void fillCharacteristics();
    void showPeriodBoxes();
    void showStatus(const QString &text);
    // The causes not yet given among the series' events.
    void showCauses();
    bool storeEvent(PartEventKind kind, qint64 partId, const QString &who, const QString &why,
                    const QString &data);
    void saveCharts(bool svg);
    void askFreeze();
    void askExclude();
    void askNewStage();
    void askCause();
    // The parts of the first chart's chosen point: (id, "serial 12, 0.123").
    std::vector<std::pair<qint64, QString>> chosenParts() const;

    std::unique_ptr<Ui::FormStatistics> ui_;
    const WindowContext context_;
    PartStore store_;
    QString storeFile_;
    ControlChartView *first_ = nullptr;
    ControlChartView *second_ = nullptr;
    HistogramView *histogram_ = nullptr;
    StatsSeries series_;
    StatisticsContent content_;
    std::vector<PartEvent> causes_;
};

}  // namespace zelapp
