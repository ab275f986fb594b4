#include "display/screen_fit.h"

#include <algorithm>

namespace zelapp {

namespace {
// The start of a span of `length` at `wanted`, moved within [low, low + room).
int fitSpan(int wanted, int length, int low, int room) {
    return std::max(low, std::min(wanted, low + room - length));
}
}  // namespace

QPoint fitOnScreen(const QRect &window, const QRect &available) {
    return {fitSpan(window.x(), window.width(), available.x(), available.width()),
            fitSpan(window.y(), window.height(), available.y(), available.height())};
}

QPoint placeBeside(const QRect &window, const QRect &avoid, const QRect &available) {
    const QPoint fitted = fitOnScreen(window, available);
    const int right = avoid.x() + avoid.width();
    if (right + window.width() <= available.x() + available.width()) {
        return {std::max(right, available.x()), fitted.y()};
    }
    const int left = avoid.x() - window.width();
    if (left >= available.x()) {
        return {left, fitted.y()};
    }
    return fitted;
}

}  // namespace zelapp
