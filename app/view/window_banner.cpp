#include "view/window_banner.h"

#include <QEvent>

namespace zelapp {

WindowBanner::WindowBanner(QWidget &window) : QLabel(&window) {
    setAlignment(Qt::AlignCenter);
    setWordWrap(true);  // a narrow window breaks the words rather than cutting them
    setAttribute(Qt::WA_TransparentForMouseEvents);
    hide();
    window.installEventFilter(this);
}

void WindowBanner::showWords(const QString &words, const QColor &colour) {
    if (words.isEmpty()) {
        hide();
        return;
    }
    if (words != text()) {
        setText(words);
    }
    // Read from across the room: large and bold on a pale veil over what lies beneath.
    const QString style = QStringLiteral(
                              "color: %1; background: rgba(255, 255, 255, 170); font-size: 28pt; "
                              "font-weight: bold;")
                              .arg(colour.name());
    if (style != styleSheet()) {
        setStyleSheet(style);
    }
    setGeometry(parentWidget()->rect());
    show();
    raise();
}

bool WindowBanner::eventFilter(QObject *watched, QEvent *event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        setGeometry(parentWidget()->rect());
    }
    return QLabel::eventFilter(watched, event);
}

}  // namespace zelapp
