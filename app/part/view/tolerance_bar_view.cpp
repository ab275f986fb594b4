#include "part/view/tolerance_bar_view.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>

#include "part/tolerance_bar.h"
#include "view/zone_colours.h"

namespace zelapp {

ToleranceBarView::ToleranceBarView(QWidget *parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ToleranceBarView::setBar(const ToleranceLimits &limits, std::optional<float> value,
                              ToleranceVerdict verdict, ResultPalette palette, const Rgb &ink) {
    if (limits == limits_ && value == value_ && verdict == verdict_ && palette == palette_ &&
        ink == ink_) {
        return;
    }
    limits_ = limits;
    value_ = value;
    verdict_ = verdict;
    palette_ = palette;
    ink_ = ink;
    update();
}

void ToleranceBarView::paintEvent(QPaintEvent *) {
    const ToleranceBar bar = toleranceBar(limits_, value_, verdict_, width(), height());
    if (bar.spans.empty()) {
        return;
    }
    QPainter painter(this);
    const QColor ink = colourOf(ink_);
    // The zones in the middle half of the height, framed in the tile's ink; the marker and the
    // arrow the whole height.
    const int top = height() / 4;
    const int band = std::max(1, height() - 2 * top);
    for (const BarSpan &span : bar.spans) {
        painter.fillRect(QRect(span.left, top, span.right - span.left, band),
                         zoneColour(span.zone, palette_));
    }
    const int left = bar.spans.front().left;
    const int right = bar.spans.back().right;
    painter.setPen(ink);
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRect(left, top, right - left - 1, band - 1));
    if (bar.marker) {
        painter.fillRect(QRect(*bar.marker - 1, 0, 3, height()), ink);
    }
    if (bar.beyond != 0) {
        const int tip = bar.beyond < 0 ? 0 : width() - 1;
        const int base = bar.beyond < 0 ? bar.arrowWidth - 1 : width() - bar.arrowWidth;
        const QPolygon arrow{QPoint(tip, height() / 2), QPoint(base, 0),
                             QPoint(base, height() - 1)};
        painter.setBrush(zoneColour(BarZone::Reject, palette_));
        painter.drawPolygon(arrow);
    }
}

}  // namespace zelapp
