#include "exchange/view/dlg_copy_link.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionFrame>

#include "display/twips.h"
#include "exchange/link_copy.h"
#include "ui_dlg_copy_link.h"
#include "view/window_place.h"

namespace zelapp {

DlgCopyLink::DlgCopyLink(AppState &state, QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::DlgCopyLink>()), state_(state) {
    ui_->setupUi(this);
    // A popup closes by itself on a click outside, like a context menu. Without a frame its
    // top-left corner is where it is moved to, on every platform.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    ui_->Label1->setAttribute(Qt::WA_Hover);
    ui_->Label1->installEventFilter(this);
}

DlgCopyLink::~DlgCopyLink() = default;

void DlgCopyLink::ShowDialogCopyAt(float x, float y) {
    const double dpi = windowDpi(*this);
    move(twipsToPixels(x, dpi), twipsToPixels(y, dpi));
    exec();
}

void DlgCopyLink::Label1_Click() {
    if (std::unique_ptr<QMimeData> data = takeLinkCopy(state_)) {
        QClipboard *clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setMimeData(data.release());
    }
    hide();
}

bool DlgCopyLink::eventFilter(QObject *watched, QEvent *event) {
    // A click is a left release over the item, as in a menu.
    if (watched == ui_->Label1 && event->type() == QEvent::MouseButtonRelease) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton &&
            ui_->Label1->rect().contains(mouse->position().toPoint())) {
            Label1_Click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void DlgCopyLink::keyPressEvent(QKeyEvent *event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        Label1_Click();
        return;
    }
    if (event->matches(QKeySequence::HelpContents)) {
        // Closed first, as a menu closes: the help is not left under a pop-up that holds the keys.
        hide();
        emit helpRequested();
        return;
    }
    QDialog::keyPressEvent(event);  // Escape closes
}

void DlgCopyLink::paintEvent(QPaintEvent *) {
    // The frame and background of the style's menus.
    QPainter painter(this);
    QStyleOptionFrame option;
    option.initFrom(this);
    option.lineWidth = style()->pixelMetric(QStyle::PM_MenuPanelWidth, nullptr, this);
    style()->drawPrimitive(QStyle::PE_PanelMenu, &option, &painter, this);
    style()->drawPrimitive(QStyle::PE_FrameMenu, &option, &painter, this);
}

}  // namespace zelapp
