// The bar-graph window: every item of the current view as a vertical bar gauge with its
// limits, in up to seven rows. The gauges are the elements of the set "LGauge1"; element 0
// comes from the form, the others are created and destroyed as the view's item count changes.
#pragma once

#include <QPoint>
#include <QWidget>
#include <memory>
#include <vector>

#include "base/app_state.h"
#include "base/main_window_port.h"
#include "display/bar_layout.h"
#include "display/display_host.h"
#include "display/view/lgauge.h"
#include "display/view/values_banner.h"
#include "display/view_items.h"

class QAction;
class QContextMenuEvent;

namespace Ui {
class FormLinGage;
}

namespace zelapp {

class Setup;
class WindowPlacer;

class FormLinGage : public QWidget {
    Q_OBJECT
  public:
    // With a parent the form is still a window of its own.
    FormLinGage(Setup &setup, AppState &state, DisplayHost &host, QWidget *parent = nullptr);
    ~FormLinGage() override;

    // Rebuilds the bars for the current view: count, place, caption, each gauge's scale and
    // limits.
    void UpdateBarDisplay();
    // Moves the bar at a 1-based position; positions without a shown element are ignored.
    void SetBarValue(int index, float value);
    // Grey for an old value; the note as the bar's tooltip.
    void SetBarNote(int index, const ValueNote &note);
    // Takes the view's item count and creates or destroys elements to match.
    void SetNumberOfBars();
    // While the unit is lost the bars carry no level (their values are NaN) and "NO UNIT"
    // stands across them; while updating is off, "DISPLAY PAUSED" (a lost unit wins).
    void setUnitLost(bool lost) { banner_->setUnitLost(lost); }
    bool unitLost() const { return banner_->unitLost(); }
    void setPaused(bool paused) { banner_->setPaused(paused); }
    bool paused() const { return banner_->paused(); }
    // The words across the bars; empty when there are none.
    QString bannerText() const { return banner_->shownText(); }
    void SaveLGaugeFormSize();
    void RestoreLGaugeFormSize();

    int TotalNumberOfBars() const { return totalNumberOfBars_; }
    // The number of each bar's value above it: the context menu's "Show Values", kept for the
    // user by the host. The menu opens on a right click where a bar has no action of its own
    // (the analog view, the window's free space) and with the keyboard's menu key.
    bool showValues() const { return showValues_; }
    void setShowValues(bool on);
    // Elements that exist (element 0 always does).
    int createdGauges() const { return static_cast<int>(gauges_.size()); }
    // Element by 0-based number; nullptr outside.
    LGauge *gauge(int element) const;

  protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

  private:
    void adjustElements();
    // Form_Resize: rows of bars over the client area.
    void layoutBars();
    void applySettings(LGauge &gauge, const GaugeSettings &settings);
    void connectGauge(LGauge &gauge);
    void gaugePicked(int element);
    void gaugeRightClicked(int element, QPoint posInGauge);
    // Whether a right click at `pos` opens a bar's own pop-up.
    bool itemActionAt(QPoint pos) const;

    Setup &setup_;
    AppState &state_;
    DisplayHost &host_;
    std::unique_ptr<Ui::FormLinGage> ui_;
    WindowPlacer *placer_;          // a child of the window
    ValuesBanner *banner_;          // over the gauges, a child of the window
    std::vector<LGauge *> gauges_;  // element i at i; children of the form
    int totalNumberOfBars_ = 0;
    bool showValues_ = false;
    QAction *showValuesAction_ = nullptr;  // a child of the window
    std::vector<ViewItem> shownItems_;     // the item of each bar's level
};

}  // namespace zelapp
