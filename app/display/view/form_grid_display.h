// The numeric display: a separate top-level window listing the items of the current view one
// per row, description and live value, with its place remembered per view and per group.
#pragma once

#include <QWidget>
#include <memory>
#include <vector>

#include "base/app_state.h"
#include "base/main_window_port.h"
#include "display/grid_font.h"
#include "display/view/values_banner.h"
#include "display/view_items.h"

class QCloseEvent;
class QTableWidgetItem;

namespace Ui {
class FormGridDisplay;
}

namespace zelapp {

class DisplayHost;
class Setup;
class WindowPlacer;
struct GridTable;

class FormGridDisplay : public QWidget {
    Q_OBJECT

  public:
    FormGridDisplay(Setup &setup, AppState &state, DisplayHost &host, QWidget *parent = nullptr);
    ~FormGridDisplay() override;

    // Caption, place, columns and rows for the current view. Value cells keep their text until
    // the scan writes new values.
    void UpdateGridDisplay();
    // Column 1 of a 1-based item row; rows outside the grid are ignored.
    void SetGridValue(int row, const QString &text);
    // Channels' values take the zone of the tolerance rule as their background, its mark in
    // the column beside; an old value is grey and has no zone. The note is the cell's tooltip.
    void SetGridNote(int row, const ValueNote &note);
    // The current view's item count (0 for a group that is gone); kept when the view is none
    // of the four.
    void SetNumberOfNumerics();
    // The window's place into the current view's record (normal state only).
    void SaveGridFormSize();
    // The current view's stored place, when there is one and the window is in normal state.
    void RestoreGridFormSize();
    int TotalNumberOfNumerics() const { return totalNumberOfNumerics_; }
    // Words across the rows while their values are not live: "NO UNIT" while the unit is
    // lost, "DISPLAY PAUSED" while updating is off (a lost unit wins).
    void setUnitLost(bool lost) { banner_->setUnitLost(lost); }
    bool unitLost() const { return banner_->unitLost(); }
    void setPaused(bool paused) { banner_->setPaused(paused); }
    bool paused() const { return banner_->paused(); }
    // The words across the rows; empty when there are none.
    QString bannerText() const { return banner_->shownText(); }

  protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

  private:
    void GridView_DblClick(int row);
    void applyColumns();
    // The value and mark columns at the window's own font: their twips widths.
    GridColumns leastColumns() const;
    // The zone's background and mark of a row's value.
    void applyZone(int row);
    // The values' font for the window's height and row count.
    void applyValueFont();
    void setRows(const GridTable &table);
    // Blanks the value of every row that now shows another item than before.
    void forgetMovedValues(std::vector<ViewItem> items);
    QTableWidgetItem *makeCell(int row, int column) const;

    std::unique_ptr<Ui::FormGridDisplay> ui_;
    Setup &setup_;
    AppState &state_;
    DisplayHost &host_;
    WindowPlacer *placer_;  // a child of the window
    ValuesBanner *banner_;  // over the rows, a child of the window
    int totalNumberOfNumerics_ = 0;
    int basePixels_ = 0;                // the window's own font
    int baseRowHeight_ = 0;             // the rows' height at that font
    int valuePixels_ = 0;               // the values' font now
    GridAdvance advance_;               // the values and marks in the window's own font
    std::vector<ViewItem> shownItems_;  // the item of each row's value
};

}  // namespace zelapp
