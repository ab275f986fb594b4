#include "view/window_place.h"

#include <QDir>
#include <QEvent>
#include <QIcon>
#include <QLayout>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "view/window_frame.h"

namespace zelapp {

namespace {

// The native window's own values: the widget's copy of the frame can lag behind it.
QRect outerRect(const QWidget &window) {
    const QWindow *handle = window.windowHandle();
    return handle != nullptr && handle->isExposed() ? handle->frameGeometry()
                                                    : window.frameGeometry();
}

}  // namespace

double windowDpi(const QWidget &window) {
    const QScreen *screen = window.screen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

WindowGeometry windowPlace(const QWidget &window) {
    return placeOfOuterRect(outerRect(window), windowDpi(window));
}

WindowPlacer::WindowPlacer(QWidget &window) : QObject(&window), window_(window) {
    window_.installEventFilter(this);
}

bool WindowPlacer::onScreen() const {
    return watched_ != nullptr && watched_->isExposed();
}

void WindowPlacer::restore(const WindowGeometry &place) {
    place_ = place;
    apply();
}

void WindowPlacer::apply() {
    const bool known = onScreen();
    if (known) {
        frame_ = watched_->frameMargins();
    }
    // The layout gives a window its minimum size only when activated, which a window not yet
    // shown has not been.
    if (QLayout *layout = window_.layout()) {
        layout->activate();
    }
    window_.setGeometry(
        clientRectForPlace(*place_, frame_, windowDpi(window_), window_.minimumSize()));
    client_ = window_.geometry();
    framePending_ = !known;
}

WindowGeometry WindowPlacer::placeToStore() {
    const WindowGeometry place = zelapp::placeToStore(place_, client_, window_.geometry(),
                                                      outerRect(window_), windowDpi(window_));
    place_ = place;
    client_ = window_.geometry();
    return place;
}

bool WindowPlacer::eventFilter(QObject *watched, QEvent *event) {
    if (watched == &window_ && event->type() == QEvent::Show && watched_ == nullptr) {
        // The native window exists from the first show on.
        watched_ = window_.windowHandle();
        if (watched_ != nullptr) {
            watched_->installEventFilter(this);
        }
    } else if (watched == watched_ && event->type() == QEvent::Expose && onScreen()) {
        frame_ = watched_->frameMargins();
        if (framePending_ && place_) {
            apply();
        }
    }
    return QObject::eventFilter(watched, event);
}

void applyProgramIcon(QWidget &window, const QString &programFolder) {
    // A QIcon is made for any path; only one with images replaces the default.
    const QIcon icon(QDir(programFolder).filePath(QStringLiteral("zelicon.ico")));
    if (!icon.availableSizes().isEmpty()) {
        window.setWindowIcon(icon);
    }
}

bool isNormalWindow(const QWidget &window) {
    return !(window.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
}

}  // namespace zelapp
