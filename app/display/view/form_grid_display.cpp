#include "display/view/form_grid_display.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QTableWidgetItem>
#include <algorithm>

#include "display/display_host.h"
#include "display/display_places.h"
#include "display/grid_rows.h"
#include "display/twips.h"
#include "display/view_items.h"
#include "ui_form_grid_display.h"
#include "view/window_place.h"

namespace zelapp {

namespace {

constexpr int kValueColumn = 1;

// Descriptions and values both sit at the right edge of their column, so each description is
// next to its value and values with the same decimals line up on the decimal point.
Qt::Alignment columnAlignment(int column) {
    return column <= kValueColumn ? Qt::AlignRight | Qt::AlignVCenter
                                  : Qt::AlignLeft | Qt::AlignVCenter;
}

void setTextIfChanged(QTableWidgetItem *cell, const QString &text) {
    if (cell != nullptr && cell->text() != text) {
        cell->setText(text);
    }
}

}  // namespace

FormGridDisplay::FormGridDisplay(Setup &setup, AppState &state, DisplayHost &host, QWidget *parent)
    : QWidget(parent, Qt::Window),
      ui_(std::make_unique<Ui::FormGridDisplay>()),
      setup_(setup),
      state_(state),
      host_(host),
      placer_(new WindowPlacer(*this)),
      banner_(new ValuesBanner(*this)) {
    ui_->setupUi(this);
    applyProgramIcon(*this, state_.AppPath);
    applyColumns();
    setRows(GridTable{});
    // Queued: the setup dialog this opens is modal and may rebuild the grid, which should not
    // happen inside the table's own mouse handling.
    connect(
        ui_->GridView, &QTableWidget::cellDoubleClicked, this,
        [this](int row, int) { GridView_DblClick(row); }, Qt::QueuedConnection);
    // Enter on a row picks it as a double click does, so the keyboard reaches the setup too.
    ui_->GridView->installEventFilter(this);
}

bool FormGridDisplay::eventFilter(QObject *watched, QEvent *event) {
    if (watched == ui_->GridView && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const int row = ui_->GridView->currentRow();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && row >= 0) {
            QMetaObject::invokeMethod(
                this, [this, row] { GridView_DblClick(row); }, Qt::QueuedConnection);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

FormGridDisplay::~FormGridDisplay() = default;

void FormGridDisplay::UpdateGridDisplay() {
    SetNumberOfNumerics();
    RestoreGridFormSize();
    const GridRows rows = gridRows(setup_, state_);
    if (rows.caption) {
        setWindowTitle(*rows.caption);
    }
    applyColumns();
    if (rows.table) {
        setRows(*rows.table);
        forgetMovedValues(viewItems(setup_, state_));
    }
}

void FormGridDisplay::forgetMovedValues(std::vector<ViewItem> items) {
    // The scan writes every value again at its next tick, but not while updating is paused
    // or the displays are held.
    QTableWidget &grid = *ui_->GridView;
    for (int r = 1; r < grid.rowCount(); ++r) {
        if (!sameItemAt(shownItems_, items, r)) {
            setTextIfChanged(grid.item(r, kValueColumn), QString());
        }
    }
    shownItems_ = std::move(items);
}

void FormGridDisplay::SetGridValue(int row, const QString &text) {
    if (row < 1 || row >= ui_->GridView->rowCount()) {
        return;
    }
    setTextIfChanged(ui_->GridView->item(row, kValueColumn), text);
}

void FormGridDisplay::SetGridNote(int row, const ValueNote &note) {
    if (row < 1 || row >= ui_->GridView->rowCount()) {
        return;
    }
    QTableWidgetItem *cell = ui_->GridView->item(row, kValueColumn);
    if (cell == nullptr) {
        return;
    }
    if (cell->toolTip() != note.tip) {
        cell->setToolTip(note.tip);
    }
    // An empty brush is the table's own text colour.
    const QBrush ink = note.old ? palette().brush(QPalette::Disabled, QPalette::Text) : QBrush();
    if (cell->foreground() != ink) {
        cell->setForeground(ink);
    }
}

void FormGridDisplay::SetNumberOfNumerics() {
    if (const auto count = viewItemCount(setup_, state_)) {
        totalNumberOfNumerics_ = *count;
    }
}

void FormGridDisplay::SaveGridFormSize() {
    if (isNormalWindow(*this)) {
        storeDisplayPlace(setup_, state_, DisplayKind::Grid, placer_->placeToStore());
    }
}

void FormGridDisplay::RestoreGridFormSize() {
    if (!isNormalWindow(*this)) {
        return;
    }
    if (const auto place = storedDisplayPlace(setup_, state_, DisplayKind::Grid)) {
        placer_->restore(*place);
    }
}

bool FormGridDisplay::event(QEvent *event) {
    if (event->type() == QEvent::WindowDeactivate) {
        SaveGridFormSize();
    }
    return QWidget::event(event);
}

void FormGridDisplay::closeEvent(QCloseEvent *event) {
    // The close box only switches the display off (View/Numbers); the program's own close
    // at exit goes through.
    if (event->spontaneous()) {
        event->ignore();
        host_.EnableGrid_Click();
        return;
    }
    QWidget::closeEvent(event);
}

void FormGridDisplay::GridView_DblClick(int row) {
    host_.GotoSetupFromView(std::max(row, 1));
}

void FormGridDisplay::applyColumns() {
    QTableWidget &grid = *ui_->GridView;
    grid.setColumnCount(static_cast<int>(kGridColumnTwips.size()));
    const double dpi = windowDpi(*this);
    for (int c = 0; c < grid.columnCount(); ++c) {
        grid.setColumnWidth(c, twipsToPixels(kGridColumnTwips[c], dpi));
    }
}

void FormGridDisplay::setRows(const GridTable &table) {
    QTableWidget &grid = *ui_->GridView;
    const int oldRows = grid.rowCount();
    const int newRows = static_cast<int>(table.items.size()) + 1;
    grid.setRowCount(newRows);
    for (int r = 0; r < newRows; ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            if (r >= oldRows || grid.item(r, c) == nullptr) {
                grid.setItem(r, c, makeCell(r, c));
            }
        }
    }
    setTextIfChanged(grid.item(0, 0), table.header);
    for (int r = 1; r < newRows; ++r) {
        setTextIfChanged(grid.item(r, 0), table.items[r - 1]);
    }
}

// Row 0 and column 0 are the grid's fixed header cells: drawn like Qt's headers, never
// selected or edited. The other cells can be selected but not edited.
QTableWidgetItem *FormGridDisplay::makeCell(int row, int column) const {
    auto *cell = new QTableWidgetItem;
    cell->setTextAlignment(columnAlignment(column));
    if (row == 0 || column == 0) {
        cell->setFlags(Qt::ItemIsEnabled);
        cell->setBackground(palette().button());
        cell->setForeground(palette().buttonText());
    } else {
        cell->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    return cell;
}

}  // namespace zelapp
