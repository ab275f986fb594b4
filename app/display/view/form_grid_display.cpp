#include "display/view/form_grid_display.h"

#include <QCloseEvent>
#include <QFontInfo>
#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QTableWidgetItem>
#include <algorithm>

#include "display/display_host.h"
#include "display/display_places.h"
#include "display/grid_font.h"
#include "display/grid_rows.h"
#include "display/twips.h"
#include "display/value_zone.h"
#include "display/view_items.h"
#include "model/palette_setting.h"
#include "setup/setup.h"
#include "ui_form_grid_display.h"
#include "view/text_width.h"
#include "view/window_place.h"
#include "view/zone_colours.h"

namespace zelapp {

namespace {

constexpr int kValueColumn = 1;
// The zone's mark sits beside the value, so the value's text stays what the scan wrote.
constexpr int kZoneColumn = 2;
// A value cell's note: an old value has no zone.
constexpr int kOldRole = Qt::UserRole + 1;
// The widest value the value column is made wide enough for once its font grows.
constexpr auto kWidestValue = "-00000.00000";

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

void setBackgroundIfChanged(QTableWidgetItem *cell, const QBrush &brush) {
    if (cell != nullptr && cell->background() != brush) {
        cell->setBackground(brush);
    }
}

void setForegroundIfChanged(QTableWidgetItem *cell, const QBrush &brush) {
    if (cell != nullptr && cell->foreground() != brush) {
        cell->setForeground(brush);
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
    basePixels_ = QFontInfo(ui_->GridView->font()).pixelSize();
    const QFontMetrics metrics(ui_->GridView->font());
    advance_ = {basePixels_, metrics.horizontalAdvance(QLatin1String(kWidestValue)),
                widestAdvance(metrics, verdictSymbols()), metrics.averageCharWidth()};
    baseRowHeight_ = ui_->GridView->verticalHeader()->defaultSectionSize();
    applyColumns();
    setRows(GridTable{});
    // Queued: the setup dialog this opens is modal and may rebuild the grid, which should not
    // happen inside the table's own mouse handling.
    connect(
        ui_->GridView, &QTableWidget::cellDoubleClicked, this,
        [this](int row, int) { GridView_DblClick(row); }, Qt::QueuedConnection);
    // Enter on a row picks it as a double click does, so the keyboard reaches the setup too.
    ui_->GridView->installEventFilter(this);
    if (PaletteSetting *setting = host_.paletteSetting()) {
        connect(setting, &PaletteSetting::changed, this, [this] {
            for (int r = 1; r < ui_->GridView->rowCount(); ++r) {
                applyZone(r);
            }
        });
    }
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
    // The limits or the items may have changed under values that stay.
    for (int r = 1; r < ui_->GridView->rowCount(); ++r) {
        applyZone(r);
    }
    applyValueFont();
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
    applyZone(row);
}

void FormGridDisplay::applyZone(int row) {
    QTableWidget &grid = *ui_->GridView;
    QTableWidgetItem *value = grid.item(row, kValueColumn);
    QTableWidgetItem *mark = grid.item(row, kZoneColumn);
    if (value == nullptr || mark == nullptr) {
        return;
    }
    const bool old = value->data(kOldRole).toBool();
    // Only channels have limits; an old value is no verdict on the part now measured.
    const Channel *channel = old ? nullptr : setup_.channel(viewChannelAt(setup_, state_, row));
    const ValueZone zone = valueZone(value->text(), channel);
    const PaletteSetting *setting = host_.paletteSetting();
    const std::optional<Rgb> colour =
        zoneColourOf(zone.zone, setting != nullptr ? setting->palette() : ResultPalette::Standard);
    const QBrush background = colour ? QBrush(colourOf(*colour)) : QBrush();
    QBrush ink;
    if (colour) {
        ink = QBrush(colourOf(inkOn(*colour)));
    } else if (old) {
        ink = palette().brush(QPalette::Disabled, QPalette::Text);
    }
    setBackgroundIfChanged(value, background);
    setBackgroundIfChanged(mark, background);
    setForegroundIfChanged(value, ink);
    setForegroundIfChanged(mark, ink);
    setTextIfChanged(mark, zone.symbol);
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
    if (cell->data(kOldRole).toBool() != note.old) {
        cell->setData(kOldRole, note.old);
    }
    applyZone(row);
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

GridColumns FormGridDisplay::leastColumns() const {
    const double dpi = windowDpi(*this);
    return {twipsToPixels(kGridColumnTwips[kValueColumn], dpi),
            twipsToPixels(kGridColumnTwips[kZoneColumn], dpi)};
}

void FormGridDisplay::applyColumns() {
    QTableWidget &grid = *ui_->GridView;
    grid.setColumnCount(static_cast<int>(kGridColumnTwips.size()));
    grid.setColumnWidth(0, twipsToPixels(kGridColumnTwips[0], windowDpi(*this)));
    const GridColumns least = leastColumns();
    const GridColumns columns = gridColumns(std::max(valuePixels_, basePixels_), advance_, least);
    // The usual values fit their column at the window's own font; larger ones get the widest.
    grid.setColumnWidth(kValueColumn, valuePixels_ > basePixels_ ? columns.value : least.value);
    grid.setColumnWidth(kZoneColumn, columns.mark);
}

void FormGridDisplay::applyValueFont() {
    QTableWidget &grid = *ui_->GridView;
    const int pixels = gridValuePixelsFitting(
        gridValuePixelSize(grid.viewport()->height(), grid.rowCount(), basePixels_), basePixels_,
        grid.viewport()->width(), grid.columnWidth(0), advance_, leastColumns());
    QFont font = grid.font();
    if (pixels > basePixels_) {
        font.setPixelSize(pixels);
    }
    // Rows made since the last change take the font too.
    for (int r = 1; r < grid.rowCount(); ++r) {
        for (const int c : {kValueColumn, kZoneColumn}) {
            QTableWidgetItem *cell = grid.item(r, c);
            if (cell != nullptr && cell->font() != font) {
                cell->setFont(font);
            }
        }
    }
    if (pixels != valuePixels_) {
        valuePixels_ = pixels;
        grid.verticalHeader()->setDefaultSectionSize(gridRowHeight(pixels, baseRowHeight_));
        applyColumns();
    }
}

void FormGridDisplay::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    applyValueFont();
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
