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

}  // namespace zelapp
