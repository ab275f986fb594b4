#include "dialogs/view/form_calibrate.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QKeyEvent>
#include <QProgressDialog>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <utility>

#include "display/screen_fit.h"
#include "display/twips.h"
#include "ui_form_calibrate.h"
#include "view/window_place.h"

namespace zelapp {

namespace {

constexpr int kBarPageStep = 10;

// A key that would pick a range by its first letter; arrows, Space, Enter, Escape and Tab pass.
bool typesText(const QEvent *event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const QString text = static_cast<const QKeyEvent *>(event)->text();
    return !text.isEmpty() && text.at(0).isPrint() && !text.at(0).isSpace();
}

bool isPress(const QEvent *event) {
    return event->type() == QEvent::MouseButtonPress ||
           event->type() == QEvent::MouseButtonDblClick;
}

bool isEnter(const QEvent *event) {
    if (event->type() != QEvent::KeyPress) {
        return false;
    }
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

// The frame the window manager put around a window; none before it was first shown.
QMargins frameOf(const QWidget &window) {
    const QRect outer = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - outer.left(), client.top() - outer.top(),
            outer.right() - client.right(), outer.bottom() - client.bottom()};
}

}  // namespace

FormCalibrate::FormCalibrate(CalibrateTool &tool, const QString &programFolder, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormCalibrate>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    connectBars();
    ui_->cboGainSelect->addItems(CalibrateTool::gainRanges());
    // activated is the operator's choice only; refresh() sets the index without raising it.
    connect(ui_->cboGainSelect, &QComboBox::activated, this,
            [this](int index) { tool_.cboGainSelect_Click(index); });
    ui_->cboGainSelect->installEventFilter(this);
    ui_->cboGainSelect->view()->installEventFilter(this);
    connect(ui_->txtFullScale, &QLineEdit::textEdited, this,
            [this](const QString &text) { tool_.txtFullScale_Change(text); });
    connect(ui_->txtOffset, &QLineEdit::textEdited, this,
            [this](const QString &text) { tool_.txtOffset_Change(text); });
    focusWatch_ = connect(qApp, &QApplication::focusChanged, this, &FormCalibrate::focusMoved);
    // A press that left a refused box must not also press the control it landed on.
    for (QWidget *control : findChildren<QWidget *>()) {
        if ((control->focusPolicy() & Qt::ClickFocus) != 0) {
            control->installEventFilter(this);
        }
    }

    CalibrateTool &t = tool_;
    connect(ui_->OKButton, &QPushButton::clicked, this, [this] {
        if (tool_.OKButton_Click()) {
            accept();
        }
    });
    connect(ui_->CancelButton, &QPushButton::clicked, this, &FormCalibrate::reject);
    connect(ui_->cmdSave, &QPushButton::clicked, this, [&t] { t.cmdSave_Click(); });
    connect(ui_->cmdLoad, &QPushButton::clicked, this, [&t] { t.cmdLoad_Click(); });
    connect(ui_->cmdHelp, &QPushButton::clicked, this, [&t] { t.cmdHelp_Click(); });
    connect(ui_->cmdAdvanced, &QPushButton::clicked, this, [&t] { t.cmdAdvanced_Click(); });
    tool_.setView(this);
    refresh();
}

FormCalibrate::~FormCalibrate() {
    // The children's destruction still moves the focus, after this part of the object is gone.
    disconnect(focusWatch_);
    tool_.setView(nullptr);
}

QScrollBar *FormCalibrate::bar(CalibrateTool::Bar which) const {
    switch (which) {
        case CalibrateTool::GainCoarse:
            return ui_->vscrGainCoarse;
        case CalibrateTool::Ri:
            return ui_->vscrRi;
        case CalibrateTool::GainFine:
            return ui_->vscrGainFine;
        default:
            return ui_->vscrNull;
    }
}

void FormCalibrate::connectBars() {
    for (std::size_t i = 0; i < CalibrateTool::BarCount; ++i) {
        const auto which = static_cast<CalibrateTool::Bar>(i);
        QScrollBar *b = bar(which);
        // The top is the highest setting, and the top arrow, Up, Page Up and the wheel turned
        // up raise it. A scroll bar's top arrow always steps towards its minimum, so the bar
        // holds the setting negated: its minimum at the top is the highest setting.
        b->setRange(-CalibrateTool::barTop(which), -CalibrateTool::barBottom(which));
        b->setSingleStep(1);
        b->setPageStep(kBarPageStep);
    }
    // Only the operator's moves arrive: refresh() sets the bars with their signals blocked.
    CalibrateTool &t = tool_;
    connect(ui_->vscrGainCoarse, &QScrollBar::valueChanged, this,
            [&t](int value) { t.vscrGainCoarse_Change(-value); });
    connect(ui_->vscrRi, &QScrollBar::valueChanged, this,
            [&t](int value) { t.vscrRi_Change(-value); });
    connect(ui_->vscrGainFine, &QScrollBar::valueChanged, this,
            [&t](int value) { t.vscrGainFine_Change(-value); });
    connect(ui_->vscrNull, &QScrollBar::valueChanged, this,
            [&t](int value) { t.vscrNull_Change(-value); });
}

void FormCalibrate::ShowCalibrateAt(int probe, float x, float y) {
    // A click queued while the dialog is open must not read another probe under it.
    if (isVisible() || !tool_.open(probe)) {
        return;
    }
    const double dpi = windowDpi(*this);
    move(placeAt(QPoint(twipsToPixels(x, dpi), twipsToPixels(y, dpi))));
    if (tool_.barsEnabled()) {
        ui_->vscrGainCoarse->setFocus();
    } else if (tool_.boxesEnabled()) {
        ui_->txtFullScale->setFocus();
    } else {
        ui_->CancelButton->setFocus();
    }
    exec();
}

// Opened at a click near a screen's edge, the dialog comes in just enough to be seen whole on
// the click's screen. Before its first showing its frame is not known: the main window's,
// which the same window manager drew, stands in for it.
QPoint FormCalibrate::placeAt(QPoint click) {
    adjustSize();  // the size it opens at, with the width of its details
    const QScreen *screen = QGuiApplication::screenAt(click);
    if (screen == nullptr) {
        screen = this->screen();
    }
    QMargins frame = frameOf(*this);
    if (frame.isNull() && parentWidget() != nullptr) {
        frame = frameOf(*parentWidget()->window());
    }
    const QRect wanted(click, size().grownBy(frame));
    // The probe's bar under the click stays in view when the screen has room beside it. The
    // gauge is known by its class name: the bar window's library is not linked to the dialogs.
    const QWidget *under = QApplication::widgetAt(click);
    if (under != nullptr && under->inherits("zelapp::LGauge")) {
        const QRect bar(under->mapToGlobal(QPoint(0, 0)), under->size());
        return placeBeside(wanted, bar, screen->availableGeometry());
    }
    return fitOnScreen(wanted, screen->availableGeometry());
}

void FormCalibrate::openDialog() {
    refresh();
}

void FormCalibrate::reject() {
    closing_ = true;
    HostedDialog::reject();
    closing_ = false;
}

bool FormCalibrate::queryUnload() {
    return tool_.Form_QueryUnload();
}

void FormCalibrate::refresh() {
    ui_->lblProbe->setText(tool_.lblProbe());
    ui_->lblLiveValue->setText(tool_.lblLiveValue());
    const QString lost = tool_.unitLostText();
    ui_->lblUnitLost->setText(lost);
    ui_->lblUnitLost->setVisible(!lost.isEmpty());
    showBars();
    showBoxes();
    ui_->txtFullScale->setEnabled(tool_.boxesEnabled());
    ui_->txtOffset->setEnabled(tool_.boxesEnabled());
    ui_->lblCurrentGain->setText(tool_.lblCurrentGain());
    ui_->lblCurrentFine->setText(tool_.lblCurrentFine());
    ui_->lblCurrentRf->setText(tool_.lblCurrentRf());
    ui_->lblCurrentRi->setText(tool_.lblCurrentRi());
    ui_->lblCurrentNull->setText(tool_.lblCurrentNull());
    ui_->pnlDetails->setVisible(tool_.detailsShown());
    ui_->cmdAdvanced->setText(tool_.cmdAdvancedCaption());
    ui_->OKButton->setEnabled(tool_.OKButtonEnabled());
    ui_->CancelButton->setEnabled(tool_.CancelButtonEnabled());
    ui_->cmdSave->setEnabled(tool_.cmdSaveEnabled());
    ui_->cmdLoad->setEnabled(tool_.cmdLoadEnabled());
    setFixedWidth(twipsToPixels(tool_.dialogWidthTwips(), windowDpi(*this)));
}

void FormCalibrate::showBars() {
    const bool enabled = tool_.barsEnabled();
    for (std::size_t i = 0; i < CalibrateTool::BarCount; ++i) {
        const auto which = static_cast<CalibrateTool::Bar>(i);
        QScrollBar *b = bar(which);
        const QSignalBlocker blocked(b);
        b->setValue(-tool_.barValue(which));
        b->setEnabled(enabled);
    }
    // The Ri bar stands in the part of the dialog that only the details width shows.
    ui_->vscrRi->setVisible(tool_.riBarVisible() && tool_.detailsShown());
    const QSignalBlocker blocked(ui_->cboGainSelect);
    ui_->cboGainSelect->setCurrentIndex(tool_.gainSelectIndex());
    ui_->cboGainSelect->setEnabled(enabled);
}

void FormCalibrate::showBoxes() {
    // setText would put the cursor at the end; only a changed text is set again.
    if (ui_->txtFullScale->text() != tool_.txtFullScale()) {
        ui_->txtFullScale->setText(tool_.txtFullScale());
    }
    if (ui_->txtOffset->text() != tool_.txtOffset()) {
        ui_->txtOffset->setText(tool_.txtOffset());
    }
}

void FormCalibrate::focusBox(bool fullScale) {
    QLineEdit *box = fullScale ? ui_->txtFullScale : ui_->txtOffset;
    box->setFocus();
    box->selectAll();
}

// Leaving a box for a message box or a pop-up is no leave; Cancel, Escape and the close box
// must work while a box holds a value it refuses.
void FormCalibrate::focusMoved(QWidget *old, QWidget *now) {
    if (checkingBox_ || closing_ || !isVisible() || now == nullptr || now->window() != this ||
        now == ui_->CancelButton) {
        return;
    }
    const bool fullScale = old == ui_->txtFullScale;
    if (!fullScale && old != ui_->txtOffset) {
        return;
    }
    checkingBox_ = true;
    const bool left = fullScale ? tool_.txtFullScale_LostFocus() : tool_.txtOffset_LostFocus();
    checkingBox_ = false;
    if (!left && QGuiApplication::mouseButtons() != Qt::NoButton) {
        pressRefused_ = true;
        QMetaObject::invokeMethod(
            this, [this] { pressRefused_ = false; }, Qt::QueuedConnection);
    }
}

bool FormCalibrate::eventFilter(QObject *watched, QEvent *event) {
    if (pressRefused_ && isPress(event)) {
        pressRefused_ = false;
        return true;
    }
    if (typesText(event) &&
        (watched == ui_->cboGainSelect || watched == ui_->cboGainSelect->view())) {
        return true;
    }
    // Enter stores only from the buttons: in a box it commits the box, as leaving it does; on a
    // bar or the range box it does nothing. The range's open list still takes it as a choice.
    if (isEnter(event)) {
        if (watched == ui_->txtFullScale || watched == ui_->txtOffset) {
            checkingBox_ = true;
            if (watched == ui_->txtFullScale) {
                tool_.txtFullScale_LostFocus();
            } else {
                tool_.txtOffset_LostFocus();
            }
            checkingBox_ = false;
            return true;
        }
        if (watched == ui_->cboGainSelect || qobject_cast<QScrollBar *>(watched) != nullptr) {
            return true;
        }
    }
    // The store runs to its end: its progress cannot be closed.
    if (progress_ != nullptr && watched == progress_ &&
        (event->type() == QEvent::Close ||
         (event->type() == QEvent::KeyPress &&
          static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape))) {
        event->ignore();
        return true;
    }
    return HostedDialog::eventFilter(watched, event);
}

void FormCalibrate::storeStarted() {
    progress_ = new QProgressDialog(this);
    progress_->setObjectName(QStringLiteral("storeProgress"));
    progress_->setWindowTitle(windowTitle());
    progress_->setLabelText(QStringLiteral("Storing the amplifier settings in the unit..."));
    progress_->setCancelButton(nullptr);
    // The unit says only done or not yet: the bar shows that it is busy, the label how long.
    progress_->setRange(0, 0);
    progress_->setAutoClose(false);
    progress_->setMinimumDuration(0);
    progress_->setWindowModality(Qt::WindowModal);
    progress_->installEventFilter(this);
    progress_->setValue(0);
    progress_->show();
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

void FormCalibrate::storeProgress(const QString &text) {
    if (progress_ != nullptr) {
        progress_->setLabelText(text);
    }
}

void FormCalibrate::storeEnded() {
    QGuiApplication::restoreOverrideCursor();
    // Its destruction sends the dialog's controls events, which the filter sees; by then it is
    // no longer the store's progress.
    if (QProgressDialog *ended = std::exchange(progress_, nullptr)) {
        ended->removeEventFilter(this);
        delete ended;
    }
}

}  // namespace zelapp
