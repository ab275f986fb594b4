#include "display/view/form_lin_gage.h"

#include <QAction>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMetaObject>
#include <algorithm>
#include <limits>

#include "display/display_places.h"
#include "display/twips.h"
#include "display/view_items.h"
#include "model/palette_setting.h"
#include "setup/setup.h"
#include "ui_form_lin_gage.h"
#include "view/window_place.h"

namespace zelapp {

FormLinGage::FormLinGage(Setup &setup, AppState &state, DisplayHost &host, QWidget *parent)
    : QWidget(parent),
      setup_(setup),
      state_(state),
      host_(host),
      ui_(std::make_unique<Ui::FormLinGage>()),
      placer_(new WindowPlacer(*this)),
      banner_(new ValuesBanner(*this)) {
    ui_->setupUi(this);
    if (parent != nullptr) {
        setWindowFlag(Qt::Window);
    }
    applyProgramIcon(*this, state_.AppPath);
    gauges_.push_back(ui_->LGauge1);
    connectGauge(*ui_->LGauge1);
    showValues_ = host_.barValuesShown();
    ui_->LGauge1->setShowValue(showValues_);
    showValuesAction_ = new QAction(QStringLiteral("Show Values"), this);
    showValuesAction_->setObjectName(QStringLiteral("mnuShowValues"));
    showValuesAction_->setCheckable(true);
    showValuesAction_->setChecked(showValues_);
    connect(showValuesAction_, &QAction::toggled, this, &FormLinGage::setShowValues);
    // New gauges copy the first one's appearance, palette included.
    if (PaletteSetting *setting = host_.paletteSetting()) {
        ui_->LGauge1->setZonePalette(setting->palette());
        connect(setting, &PaletteSetting::changed, this, [this](ResultPalette changed) {
            for (LGauge *g : gauges_) {
                g->setZonePalette(changed);
            }
        });
    }
}

void FormLinGage::setShowValues(bool on) {
    if (showValuesAction_->isChecked() != on) {
        showValuesAction_->setChecked(on);  // comes back here through toggled
        return;
    }
    if (on == showValues_) {
        return;
    }
    showValues_ = on;
    host_.setBarValuesShown(on);
    for (LGauge *g : gauges_) {
        g->setShowValue(on);
    }
}

bool FormLinGage::itemActionAt(QPoint pos) const {
    if (state_.ViewType == VIEWTYPEANALOGS) {
        return false;
    }
    for (int i = 0; i < totalNumberOfBars_ && i < createdGauges(); ++i) {
        const LGauge *g = gauges_[static_cast<size_t>(i)];
        if (g->isVisible() && g->geometry().contains(pos)) {
            return true;
        }
    }
    return false;
}

void FormLinGage::contextMenuEvent(QContextMenuEvent *event) {
    // A right click on a bar that opens the link pop-up or the calibration opens only that.
    if (event->reason() == QContextMenuEvent::Mouse && itemActionAt(event->pos())) {
        event->accept();
        return;
    }
    event->accept();
    QMenu menu(this);
    menu.addAction(showValuesAction_);
    menu.exec(event->globalPos());
}

FormLinGage::~FormLinGage() = default;

LGauge *FormLinGage::gauge(int element) const {
    if (element < 0 || element >= createdGauges()) {
        return nullptr;
    }
    return gauges_[static_cast<size_t>(element)];
}

void FormLinGage::UpdateBarDisplay() {
    SetNumberOfBars();
    RestoreLGaugeFormSize();
    layoutBars();

    if (state_.ViewType == VIEWTYPEGROUPS) {
        // A group that is gone shows no bars, as an empty one does, under an empty name.
        const group *g = shownGroup(setup_, state_);
        setWindowTitle(QStringLiteral("Display Group ") +
                       (g != nullptr ? g->Description : QString()));
    } else if (state_.ViewType == VIEWTYPECHANNELS) {
        setWindowTitle(QStringLiteral("Display Channels"));
    } else if (state_.ViewType == VIEWTYPELVDTS) {
        setWindowTitle(QStringLiteral("Display LVDTs"));
    } else if (state_.ViewType == VIEWTYPEANALOGS) {
        setWindowTitle(QStringLiteral("Display Analogs"));
    }

    // A bar that now shows another item loses its level: the scan sets it again at its next
    // tick, but not while updating is paused or the displays are held.
    std::vector<ViewItem> items = viewItems(setup_, state_);
    for (int i = 1; i <= totalNumberOfBars_; ++i) {
        if (LGauge *g = gauge(i - 1)) {
            // An entry without an object (a group naming a removed channel) shows an empty
            // gauge rather than what the element showed before.
            applySettings(*g, gaugeSettings(setup_, state_, i).value_or(GaugeSettings{}));
            if (!sameItemAt(shownItems_, items, i)) {
                SetBarValue(i, std::numeric_limits<float>::quiet_NaN());
            }
        }
    }
    shownItems_ = std::move(items);
}

void FormLinGage::applySettings(LGauge &g, const GaugeSettings &s) {
    g.setDrawingEnabled(false);
    g.setCaption(s.caption);
    g.setScaleTop(s.top);
    g.setScaleBottom(s.bottom);
    g.setBarBottom(s.bottom);
    g.setBarTop(s.top);
    g.setTickStep(s.tickStep);
    g.setLimitMode(s.limitMode);
    for (int m = 0; m < 4; ++m) {
        g.setMarker(m + 1);
        g.setMarkerPosition(s.limits[m].position);
        g.setMarkerSize(s.limits[m].size);
        g.setMarkerWidth(s.limits[m].width);
    }
    g.setMarker(0);  // SetBarValue moves the value pointer
    g.setDecimals(s.decimals);
    g.setShowValue(showValues_);
    g.setDrawingEnabled(true);
}

void FormLinGage::SetBarValue(int index, float value) {
    LGauge *g = index <= totalNumberOfBars_ ? gauge(index - 1) : nullptr;
    if (g == nullptr) {
        return;
    }
    g->setDrawingEnabled(false);
    g->setValue(value);
    g->setMarker(0);
    g->setMarkerPosition(value);
    g->setDrawingEnabled(true);
}

void FormLinGage::SetBarNote(int index, const ValueNote &note) {
    LGauge *g = index <= totalNumberOfBars_ ? gauge(index - 1) : nullptr;
    if (g == nullptr) {
        return;
    }
    g->setOld(note.old);
    g->setNoteTip(note.tip);
}

void FormLinGage::SetNumberOfBars() {
    // A view that is none of the four keeps the count it had.
    if (const auto count = viewItemCount(setup_, state_)) {
        totalNumberOfBars_ = std::max(0, *count);
    }
    adjustElements();
}

void FormLinGage::adjustElements() {
    const int wanted = std::max(1, totalNumberOfBars_);  // element 0 is never destroyed
    while (createdGauges() > wanted) {
        delete gauges_.back();
        gauges_.pop_back();
    }
    const LGauge &model = *gauges_.front();
    while (createdGauges() < wanted) {
        auto *g = new LGauge(this);
        g->setObjectName(QStringLiteral("LGauge1"));
        g->setIndex(createdGauges());
        g->copyAppearanceFrom(model);
        g->hide();  // the layout step shows it in its place
        connectGauge(*g);
        gauges_.push_back(g);
    }
    banner_->raise();  // new gauges would stack above it
}

void FormLinGage::layoutBars() {
    const std::vector<QRect> rects = barRects(totalNumberOfBars_, size());
    // An empty view hides element 0: an empty gauge would look like a reading of zero.
    if (rects.empty()) {
        for (LGauge *g : gauges_) {
            g->hide();
        }
        return;
    }
    for (size_t i = 0; i < rects.size() && i < gauges_.size(); ++i) {
        LGauge *g = gauges_[i];
        g->setDrawingEnabled(false);
        g->setGeometry(rects[i]);
        g->show();
        g->setDrawingEnabled(true);
    }
}

void FormLinGage::SaveLGaugeFormSize() {
    if (!isNormalWindow(*this)) {
        return;
    }
    storeDisplayPlace(setup_, state_, DisplayKind::Bars, placer_->placeToStore());
}

void FormLinGage::RestoreLGaugeFormSize() {
    if (!isNormalWindow(*this)) {
        return;
    }
    if (const auto place = storedDisplayPlace(setup_, state_, DisplayKind::Bars)) {
        placer_->restore(*place);
    }
}

void FormLinGage::connectGauge(LGauge &g) {
    connect(&g, &LGauge::picked, this, &FormLinGage::gaugePicked);
    connect(&g, &LGauge::rightClicked, this, &FormLinGage::gaugeRightClicked);
}

// The main window's answers open dialogs that may rebuild this window and destroy the very
// gauge that was clicked; they run from the event loop once the gauge's mouse handler is done.
void FormLinGage::gaugePicked(int element) {
    if (element < 0 || element >= totalNumberOfBars_) {
        return;
    }
    QMetaObject::invokeMethod(
        this, [this, element] { host_.GotoSetupFromView(element + 1); }, Qt::QueuedConnection);
}

void FormLinGage::gaugeRightClicked(int element, QPoint posInGauge) {
    const LGauge *g = element < totalNumberOfBars_ ? gauge(element) : nullptr;
    if (g == nullptr) {
        return;
    }
    const QRect outer = frameGeometry();
    const double twipsPerPixel = kTwipsPerInch / windowDpi(*this);
    const auto x = static_cast<float>((g->x() + outer.x() + posInGauge.x()) * twipsPerPixel);
    const auto y = static_cast<float>(
        (g->y() + outer.y() + posInGauge.y() + (outer.height() - height())) * twipsPerPixel);
    if (state_.ViewType == VIEWTYPEGROUPS || state_.ViewType == VIEWTYPECHANNELS) {
        const int channel = viewChannelAt(setup_, state_, element + 1);
        if (channel > 0) {
            QMetaObject::invokeMethod(
                this, [this, channel, x, y] { host_.ShowLinkPopupAt(channel, x, y); },
                Qt::QueuedConnection);
        }
    } else if (state_.ViewType == VIEWTYPELVDTS) {
        const int lvdt = element + 1;
        QMetaObject::invokeMethod(
            this, [this, lvdt, x, y] { host_.ShowCalibrateAt(lvdt, x, y); }, Qt::QueuedConnection);
    }
}

bool FormLinGage::event(QEvent *event) {
    if (event->type() == QEvent::WindowDeactivate) {
        SaveLGaugeFormSize();
    }
    return QWidget::event(event);
}

void FormLinGage::closeEvent(QCloseEvent *event) {
    // The close box switches the bars off through the View menu, which hides the window; the
    // program's own close (at exit) goes through.
    if (event->spontaneous()) {
        event->ignore();
        host_.EnableBarGraphs_Click();
        return;
    }
    event->accept();
}

void FormLinGage::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    layoutBars();
}

}  // namespace zelapp
