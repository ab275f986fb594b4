#include "view/spin_button.h"

#include <QKeyEvent>
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
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(up_, &QToolButton::clicked, this, &SpinButton::spinUp);
    connect(down_, &QToolButton::clicked, this, &SpinButton::spinDown);
}

QSize SpinButton::sizeHint() const {
    const int width = fontMetrics().height();
    return {width, 2 * width};
}

void SpinButton::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
        case Qt::Key_Up:
            emit spinUp();
            break;
        case Qt::Key_Down:
            emit spinDown();
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    event->accept();
}

}  // namespace zelapp
