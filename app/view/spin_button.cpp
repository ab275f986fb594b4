#include "view/spin_button.h"

#include <QKeyEvent>
#include <QPointer>
#include <QToolButton>
#include <QVBoxLayout>

namespace zelapp {

SpinButton::SpinButton(QWidget *parent)
    : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (QToolButton *arrow : {up_, down_}) {
        // The widget takes the focus for both arrows, so one Tab stop serves the keys.
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setAutoRepeat(true);
        arrow->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Expanding);
        layout->addWidget(arrow);
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    up_->setObjectName(QStringLiteral("up"));
    down_->setObjectName(QStringLiteral("down"));
    // An arrow has no text of its own to be named by.
    up_->setAccessibleName(QStringLiteral("Next"));
    down_->setAccessibleName(QStringLiteral("Previous"));
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(up_, &QToolButton::clicked, this, [this] { step(true); });
    connect(down_, &QToolButton::clicked, this, [this] { step(false); });
}

QSize SpinButton::sizeHint() const {
    const int width = fontMetrics().height();
    return {width, 2 * width};
}

void SpinButton::takeArrowKeysOf(QWidget *box) {
    box->installEventFilter(this);
}

void SpinButton::step(bool up) {
    if (stepping_) {
        return;
    }
    stepping_ = true;
    const QPointer<SpinButton> alive(this);
    if (up) {
        emit spinUp();
    } else {
        emit spinDown();
    }
    if (alive) {
        stepping_ = false;
    }
}

void SpinButton::stopRepeat() {
    // Not down, the arrow's repeat stops and the release it will never see clicks nothing.
    up_->setDown(false);
    down_->setDown(false);
    keyRepeatStopped_ = true;
}

bool SpinButton::stepByKey(const QKeyEvent &event) {
    if (event.key() != Qt::Key_Up && event.key() != Qt::Key_Down) {
        return false;
    }
    if (!event.isAutoRepeat()) {
        keyRepeatStopped_ = false;
    } else if (keyRepeatStopped_) {
        return true;
    }
    step(event.key() == Qt::Key_Up);
    return true;
}

bool SpinButton::event(QEvent *event) {
    // A modal box opened over the dialog, most often the question of a step.
    if (event->type() == QEvent::WindowBlocked) {
        stopRepeat();
    }
    return QWidget::event(event);
}

bool SpinButton::eventFilter(QObject *watched, QEvent *event) {
    // A disabled spin steps nothing, from its box neither.
    if (event->type() == QEvent::KeyPress && isEnabled() &&
        stepByKey(*static_cast<QKeyEvent *>(event))) {
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SpinButton::keyPressEvent(QKeyEvent *event) {
    if (stepByKey(*event)) {
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

}  // namespace zelapp
