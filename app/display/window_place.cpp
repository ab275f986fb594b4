#include "display/window_place.h"

#include <QDir>
#include <QIcon>
#include <QScreen>
#include <QWidget>
#include <algorithm>

#include "display/twips.h"

namespace zelapp {

double windowDpi(const QWidget &window) {
    const QScreen *screen = window.screen();
    return screen != nullptr ? screen->logicalDotsPerInch() : 96.0;
}

WindowGeometry windowPlace(const QWidget &window) {
    const double dpi = windowDpi(window);
    const QRect outer = window.frameGeometry();
    return {pixelsToTwips(outer.y(), dpi), pixelsToTwips(outer.x(), dpi),
            pixelsToTwips(outer.height(), dpi), pixelsToTwips(outer.width(), dpi)};
}

void applyWindowPlace(QWidget &window, const WindowGeometry &place) {
    const double dpi = windowDpi(window);
    const QSize frame = window.frameGeometry().size() - window.size();
    const int width = std::max(1, twipsToPixels(place.Width, dpi) - frame.width());
    const int height = std::max(1, twipsToPixels(place.Height, dpi) - frame.height());
    window.move(twipsToPixels(place.Left, dpi), twipsToPixels(place.Top, dpi));
    window.resize(width, height);
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
