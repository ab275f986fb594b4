#include "display/view/lgauge.h"

#include <QBrush>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QTransform>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "display/value_zone.h"
#include "view/zone_colours.h"

namespace zelapp {

namespace {

constexpr int kMargin = 1;
constexpr int kTickLength = 3;
constexpr int kPointerWidth = 4;
constexpr int kMinBarWidth = 4;
constexpr int kMinTickSpacing = 3;  // pixels between drawn ticks
constexpr int kMaxDecimals = 15;

bool sameValue(double a, double b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// Row of a scale fraction inside the bar: 0 the bar's last row, 1 its first.
int scaleY(const QRect &bar, double fraction) {
    return bar.y() + bar.height() - 1 -
           static_cast<int>(std::lround(fraction * std::max(0, bar.height() - 1)));
}

QString tickLabel(double v, double step, int decimals, const QLocale &locale) {
    if (std::abs(v) < std::abs(step) * 1e-6) {
        v = 0;  // no "-0.00" from the sum of steps
    }
    return locale.toString(v, 'f', std::clamp(decimals, 0, kMaxDecimals));
}

// Zone fills: the colour carries the meaning for most operators, the hatch for everyone.
// Pattern brushes are drawn pixel by pixel with blending, which for 255 hatched bars costs
// more than the whole tick may; each zone's fill is therefore drawn once into a tile that
// painting only copies.
constexpr int kZoneTileSize = 64;  // a multiple of the 8-pixel period of Qt's patterns

// An old value's bar.
const QColor kOldColour(150, 150, 150);
// Neutral, good, approach, reject: the bar's fill and the frame of a well in that zone.
QColor barColour(int zone, ResultPalette palette) {
    return zone == static_cast<int>(BarZone::Neutral)
               ? colourOf(neutralBarColourOf(palette))
               : zoneColour(static_cast<BarZone>(zone), palette);
}

// The zone's colour a fifth as strong on white: the pale well behind the bar.
QColor paleOf(const QColor &colour) {
    const auto pale = [](int c) { return c + (255 - c) * 4 / 5; };
    return {pale(colour.red()), pale(colour.green()), pale(colour.blue())};
}

// How one part of a gauge is filled: a plain colour, or a tile with a pattern.
struct ZoneFill {
    QColor colour;
    QImage tile;  // null for a plain colour
};

struct ZoneFills {
    ZoneFill bar[4];   // the filled part
    ZoneFill well[4];  // behind it, paler, with the same pattern
};

ZoneFill fillOf(const QColor &colour, const QBrush &hatch) {
    ZoneFill fill{colour, {}};
    if (hatch.style() != Qt::NoBrush) {
        fill.tile = QImage(kZoneTileSize, kZoneTileSize, QImage::Format_ARGB32_Premultiplied);
        fill.tile.fill(colour);
        QPainter p(&fill.tile);
        p.fillRect(fill.tile.rect(), hatch);
    }
    return fill;
}

ZoneFills makeZoneFills(ResultPalette palette) {
    // Dark stripes on the light approach colour, light crosses on the dark reject colour; in
    // the pale wells the same patterns in the zone's own colour, the approach's darkened. A
    // neutral well is the palette's base.
    const QColor approach = zoneColour(BarZone::Approach, palette);
    QColor reject = zoneColour(BarZone::Reject, palette);
    reject.setAlpha(140);
    const QBrush barHatch[4] = {QBrush(), QBrush(), QBrush(QColor(0, 0, 0, 170), Qt::BDiagPattern),
                                QBrush(QColor(255, 255, 255, 220), Qt::DiagCrossPattern)};
    const QBrush wellHatch[4] = {QBrush(), QBrush(),
                                 QBrush(QColor(approach.red() * 2 / 3, approach.green() * 2 / 3,
                                               approach.blue() * 2 / 3, 120),
                                        Qt::BDiagPattern),
                                 QBrush(reject, Qt::DiagCrossPattern)};
    ZoneFills f;
    for (int z = 0; z < 4; ++z) {
        f.bar[z] = fillOf(barColour(z, palette), barHatch[z]);
        f.well[z] = z == 0 ? ZoneFill{} : fillOf(paleOf(barColour(z, palette)), wellHatch[z]);
    }
    return f;
}

// Made once per palette: painting only copies them.
const ZoneFills &zoneFills(ResultPalette palette) {
    static const ZoneFills standard = makeZoneFills(ResultPalette::Standard);
    static const ZoneFills safe = makeZoneFills(ResultPalette::OkabeIto);
    return palette == ResultPalette::OkabeIto ? safe : standard;
}

// Covers `area` with copies of `tile`, the pattern anchored at `origin` so that it stands
// still while the bar's level moves.
void drawTiled(QPainter &painter, const QRect &area, const QImage &tile, QPoint origin) {
    const int w = tile.width();
    const int h = tile.height();
    const auto phase = [](int offset, int period) { return ((offset % period) + period) % period; };
    int y = area.top();
    while (y <= area.bottom()) {
        const int sy = phase(y - origin.y(), h);
        const int rows = std::min(h - sy, area.bottom() - y + 1);
        int x = area.left();
        while (x <= area.right()) {
            const int sx = phase(x - origin.x(), w);
            const int columns = std::min(w - sx, area.right() - x + 1);
            painter.drawImage(QPoint(x, y), tile, QRect(sx, sy, columns, rows));
            x += columns;
        }
        y += rows;
    }
}

void fillArea(QPainter &painter, const QRect &area, const ZoneFill &fill, QPoint origin) {
    if (area.isEmpty()) {
        return;
    }
    if (fill.tile.isNull()) {
        painter.fillRect(area, fill.colour);
    } else {
        drawTiled(painter, area, fill.tile, origin);
    }
}

// Values of the ticks to draw: from the bottom in (possibly thinned) steps up to the top.
struct TickRun {
    std::int64_t intervals = 0;  // steps from bottom to top
    std::int64_t stride = 1;     // steps between drawn ticks
    double pixelsPerStep = 0;
};

TickRun tickRun(const LGaugeScale &scale, int barHeight) {
    const double range = scale.top - scale.bottom;
    const double step = scale.tickStep;
    TickRun run;
    if (!std::isfinite(range) || !std::isfinite(step) || range <= 0 || step <= 0 ||
        barHeight <= 1) {
        return run;  // one tick, at the bottom
    }
    const double intervals = std::floor(range / step + 1e-6);
    run.pixelsPerStep = (barHeight - 1) * step / range;
    // Steps much finer than a pixel: never more ticks than the bar has rows.
    const double stride = std::max(1.0, std::ceil(kMinTickSpacing / run.pixelsPerStep));
    if (!std::isfinite(intervals) || intervals > 1e15 || !std::isfinite(stride)) {
        return run;
    }
    run.intervals = static_cast<std::int64_t>(intervals);
    run.stride = static_cast<std::int64_t>(std::min(stride, 1e15));
    return run;
}

}  // namespace

LGaugeLayout lgaugeLayout(const LGaugeScale &scale, QSize size, const QFontMetrics &metrics,
                          const QLocale &locale) {
    LGaugeLayout l;
    const int w = std::max(0, size.width());
    const int h = std::max(0, size.height());
    const int lineHeight = metrics.height();

    l.caption =
        fittedBarCaption(scale.caption, std::max(0, w - 2 * kMargin),
                         [&metrics](const QString &t) { return metrics.horizontalAdvance(t); });
    const int captionTop = std::max(0, h - lineHeight - kMargin);
    l.captionAt = QPoint(std::max(0, (w - metrics.horizontalAdvance(l.caption)) / 2), captionTop);

    const int valueLine = scale.showValue ? lineHeight : 0;
    if (scale.showValue) {
        l.valueBox = QRect(0, kMargin, w, lineHeight);
    }
    // First pass with numbers: they need half a line above the top and below the bottom tick.
    const auto barHeightWith = [&](bool numbers) {
        const int pad = numbers ? lineHeight / 2 : 0;
        return std::max(1, captionTop - kMargin - pad - (kMargin + valueLine + pad));
    };
    TickRun run = tickRun(scale, barHeightWith(true));
    const std::int64_t drawn = run.intervals / run.stride + 1;
    const double spacing = run.pixelsPerStep * static_cast<double>(run.stride);
    const std::int64_t labelStride =
        spacing > 0 ? std::max<std::int64_t>(1, std::llround(std::ceil(lineHeight / spacing))) : 1;

    std::vector<QString> labels;
    int labelWidth = 0;
    if (std::isfinite(scale.bottom)) {
        labels.reserve(static_cast<size_t>(drawn / labelStride + 1));
        for (std::int64_t k = 0; k < drawn; k += labelStride) {
            const double step = scale.tickStep;
            const double v = scale.bottom + static_cast<double>(k * run.stride) * step;
            labels.push_back(tickLabel(v, step, scale.decimals, locale));
            labelWidth = std::max(labelWidth, metrics.horizontalAdvance(labels.back()) + 1);
        }
    }
    const auto barWidthWith = [&](int numbersWidth) {
        return w - 2 * kMargin - numbersWidth - kTickLength - kPointerWidth;
    };
    const bool numbers = labelWidth > 0 && barWidthWith(labelWidth) >= kMinBarWidth;
    if (!numbers) {
        labelWidth = 0;
        run = tickRun(scale, barHeightWith(false));
    }

    const int pad = numbers ? lineHeight / 2 : 0;
    const int barLeft = kMargin + labelWidth + kTickLength;
    l.bar = QRect(barLeft, kMargin + valueLine + pad, std::max(1, barWidthWith(labelWidth)),
                  barHeightWith(numbers));
    l.tickRight = barLeft - 1;
    l.tickLength = kTickLength;
    l.pointer = QRect(l.bar.x() + l.bar.width(), l.bar.y(), kPointerWidth, l.bar.height());

    if (!std::isfinite(scale.bottom)) {
        return l;
    }
    const std::int64_t count = run.intervals / run.stride + 1;
    l.ticks.reserve(static_cast<size_t>(count));
    std::int64_t label = 0;
    for (std::int64_t k = 0; k < count; ++k) {
        const double v = scale.bottom + static_cast<double>(k * run.stride) * scale.tickStep;
        LGaugeTick tick;
        tick.y = scaleY(l.bar, scaleFraction(v, scale.bottom, scale.top));
        tick.labelled = numbers && k % labelStride == 0 && label < std::ssize(labels);
        if (tick.labelled) {
            tick.label = labels[static_cast<size_t>(label++)];
            tick.labelAt = QPoint(kMargin + labelWidth - 1 - metrics.horizontalAdvance(tick.label),
                                  tick.y - lineHeight / 2);
        }
        l.ticks.push_back(std::move(tick));
    }
    return l;
}

LGauge::LGauge(QWidget *parent) : QWidget(parent) {
    markers_.fill(LimitMarker{0, 1, 0});
    // Tab reaches each bar, so that its menu (Copy, calibration) needs no mouse.
    setFocusPolicy(Qt::StrongFocus);
}

void LGauge::setDrawingEnabled(bool on) {
    if (on == drawing_) {
        return;
    }
    drawing_ = on;
    if (on && pending_) {
        pending_ = false;
        update();
    }
}

void LGauge::changed(bool scale) {
    if (scale) {
        layoutValid_ = false;
    }
    if (drawing_) {
        update();
    } else {
        pending_ = true;
    }
}

void LGauge::change(double &setting, double value, bool scale) {
    if (sameValue(setting, value)) {
        return;
    }
    setting = value;
    changed(scale);
}

void LGauge::setCaption(const QString &caption) {
    if (caption == scale_.caption) {
        return;
    }
    scale_.caption = caption;
    setToolTip(barToolTip(scale_.caption, noteTip_));
    changed(true);
}

void LGauge::setNoteTip(const QString &tip) {
    // Told at every tick: an unchanged note sends no tooltip change.
    if (tip == noteTip_ && !toolTip().isEmpty()) {
        return;
    }
    noteTip_ = tip;
    setToolTip(barToolTip(scale_.caption, noteTip_));
}

void LGauge::setShowValue(bool on) {
    if (on == scale_.showValue) {
        return;
    }
    scale_.showValue = on;
    changed(true);
}

QString LGauge::valueText() const {
    return scale_.showValue ? barValueText(value_, scale_.decimals, locale()) : QString();
}

void LGauge::setScaleTop(double top) {
    change(scale_.top, top, true);
}
void LGauge::setScaleBottom(double bottom) {
    change(scale_.bottom, bottom, true);
}
void LGauge::setBarTop(double top) {
    change(barTop_, top, false);
}
void LGauge::setBarBottom(double bottom) {
    change(barBottom_, bottom, false);
}
void LGauge::setTickStep(double step) {
    change(scale_.tickStep, step, true);
}
void LGauge::setValue(double value) {
    change(value_, value, false);
}

void LGauge::setDecimals(int decimals) {
    decimals = std::clamp(decimals, 0, kMaxDecimals);
    if (decimals == scale_.decimals) {
        return;
    }
    scale_.decimals = decimals;
    changed(true);
}

void LGauge::setLimitMode(bool on) {
    if (on == limitMode_) {
        return;
    }
    limitMode_ = on;
    changed(false);
}

void LGauge::setOld(bool old) {
    if (old == old_) {
        return;
    }
    old_ = old;
    changed(false);
}

void LGauge::setMarker(int marker) {
    if (marker >= 0 && marker < kMarkerCount) {
        selected_ = marker;
    }
}

void LGauge::setMarkerPosition(double position) {
    change(markers_[selected_].position, position, false);
}
void LGauge::setMarkerSize(double size) {
    change(markers_[selected_].size, size, false);
}
void LGauge::setMarkerWidth(double width) {
    change(markers_[selected_].width, width, false);
}

LimitMarker LGauge::markerAt(int marker) const {
    if (marker < 0 || marker >= kMarkerCount) {
        return {};
    }
    return markers_[marker];
}

BarZone LGauge::zone() const {
    return barZone(
        value_, limitMode_,
        {markers_[1].position, markers_[2].position, markers_[3].position, markers_[4].position},
        scale_.decimals);
}

const LGaugeLayout &LGauge::layout() const {
    if (!layoutValid_) {
        layout_ = lgaugeLayout(scale_, size(), fontMetrics(), locale());
        labelTexts_.clear();
        labelTexts_.reserve(layout_.ticks.size());
        for (const LGaugeTick &t : layout_.ticks) {
            QStaticText text(t.label);
            if (t.labelled) {
                text.setTextFormat(Qt::PlainText);
                text.prepare(QTransform(), font());
            }
            labelTexts_.push_back(std::move(text));
        }
        captionText_ = QStaticText(layout_.caption);
        captionText_.setTextFormat(Qt::PlainText);
        captionText_.prepare(QTransform(), font());
        layoutValid_ = true;
    }
    return layout_;
}

void LGauge::setZonePalette(ResultPalette palette) {
    if (palette != zonePalette_) {
        zonePalette_ = palette;
        update();
    }
}

void LGauge::copyAppearanceFrom(const LGauge &model) {
    setZonePalette(model.zonePalette_);
    setFont(model.font());
    setPalette(model.palette());
    setAutoFillBackground(model.autoFillBackground());
    setSizePolicy(model.sizePolicy());
}

QSize LGauge::sizeHint() const {
    return {40, 100};
}
QSize LGauge::minimumSizeHint() const {
    return {12, 24};
}

void LGauge::paintEvent(QPaintEvent *) {
    const LGaugeLayout &l = layout();
    const BarLevel level = barLevel(l.bar, value_, scale_.bottom, scale_.top, barBottom_, barTop_);
    const int z = old_ ? static_cast<int>(BarZone::Neutral) : static_cast<int>(zone());
    QPainter painter(this);
    // A channel's zone shows in the whole well and its frame, so that a reading below the
    // bar's bottom, or just above it, is never an empty white bar. The well is painted only
    // where the bar does not cover it.
    ZoneFill well = zoneFills(zonePalette_).well[z];
    if (z == static_cast<int>(BarZone::Neutral)) {
        well = ZoneFill{palette().color(QPalette::Base), {}};
    }
    const QPoint origin = l.bar.topLeft();
    if (fillsWholeWell(static_cast<BarZone>(z), level.offScale)) {
        fillArea(painter, l.bar, zoneFills(zonePalette_).bar[z], origin);
    } else if (level.fill.isEmpty()) {
        fillArea(painter, l.bar, well, origin);
    } else {
        const QRect &bar = l.bar;
        const QRect &fill = level.fill;
        fillArea(painter, QRect(bar.left(), bar.top(), bar.width(), fill.top() - bar.top()), well,
                 origin);
        fillArea(painter,
                 QRect(bar.left(), fill.bottom() + 1, bar.width(), bar.bottom() - fill.bottom()),
                 well, origin);
        fillArea(painter, fill, old_ ? ZoneFill{kOldColour, {}} : zoneFills(zonePalette_).bar[z],
                 origin);
    }
    paintMarkers(painter, l);
    painter.setBrush(Qt::NoBrush);
    if (old_) {
        painter.setPen(QPen(palette().color(QPalette::Mid), 1, Qt::DashLine));
        painter.drawRect(l.bar.adjusted(0, 0, -1, -1));
    } else if (z == static_cast<int>(BarZone::Neutral)) {
        painter.setPen(palette().color(QPalette::Mid));
        painter.drawRect(l.bar.adjusted(0, 0, -1, -1));
    } else {
        painter.setPen(QPen(barColour(z, zonePalette_), 2));
        painter.drawRect(l.bar.adjusted(1, 1, -1, -1));
    }
    if (level.offScale != OffScale::None) {
        // Ink with a light edge, readable on every fill.
        painter.setPen(QPen(palette().color(QPalette::Base), 1));
        painter.setBrush(palette().windowText());
        painter.drawConvexPolygon(level.arrow.data(), static_cast<int>(level.arrow.size()));
    }
    paintScale(painter, l);
    if (!l.valueBox.isEmpty()) {
        const QString text = valueText();
        painter.setPen(old_ ? palette().color(QPalette::Disabled, QPalette::WindowText)
                            : palette().color(QPalette::WindowText));
        painter.drawText(l.valueBox, Qt::AlignCenter,
                         fontMetrics().elidedText(text, Qt::ElideRight, l.valueBox.width()));
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DotLine));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
}

void LGauge::paintMarkers(QPainter &painter, const LGaugeLayout &l) const {
    const QColor &ink = palette().color(QPalette::WindowText);
    const double low = std::min(scale_.bottom, scale_.top);
    const double high = std::max(scale_.bottom, scale_.top);
    for (int m = 1; m < kMarkerCount; ++m) {
        const LimitMarker &marker = markers_[m];
        // Lines off the scale are not drawn rather than piled up at its ends.
        if (!(marker.width > 0) || !(marker.position >= low && marker.position <= high)) {
            continue;
        }
        const int y = scaleY(l.bar, scaleFraction(marker.position, scale_.bottom, scale_.top));
        const int thickness =
            std::clamp(static_cast<int>(std::lround(std::min(marker.width, 1.0) * l.bar.height())),
                       1, l.bar.height());
        const int length = std::clamp(
            static_cast<int>(std::lround(std::clamp(marker.size, 0.0, 1.0) * l.bar.width())), 1,
            l.bar.width());
        painter.fillRect(l.bar.x() + (l.bar.width() - length) / 2, y - thickness / 2, length,
                         thickness, ink);
    }

    const double f = scaleFraction(markers_[0].position, scale_.bottom, scale_.top);
    if (std::isnan(f)) {
        return;
    }
    const int y = scaleY(l.bar, f);
    const QPoint tip[3] = {{l.pointer.x(), y},
                           {l.pointer.right(), y - kPointerWidth + 1},
                           {l.pointer.right(), y + kPointerWidth - 1}};
    painter.setPen(Qt::NoPen);
    painter.setBrush(palette().windowText());
    painter.drawConvexPolygon(tip, 3);
}

void LGauge::paintScale(QPainter &painter, const LGaugeLayout &l) const {
    const QColor &ink = palette().color(QPalette::WindowText);
    painter.setPen(ink);
    const int tickLeft = l.tickRight - l.tickLength + 1;
    for (size_t i = 0; i < l.ticks.size(); ++i) {
        const LGaugeTick &t = l.ticks[i];
        painter.fillRect(tickLeft, t.y, l.tickLength, 1, ink);
        if (t.labelled && i < labelTexts_.size()) {
            painter.drawStaticText(t.labelAt, labelTexts_[i]);
        }
    }
    painter.drawStaticText(l.captionAt, captionText_);
}

void LGauge::resizeEvent(QResizeEvent *event) {
    layoutValid_ = false;
    QWidget::resizeEvent(event);
}

void LGauge::changeEvent(QEvent *event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::LocaleChange) {
        layoutValid_ = false;
        if (drawing_) {
            update();
        } else {
            pending_ = true;
        }
    }
    QWidget::changeEvent(event);
}

void LGauge::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton) {
        event->accept();
        emit picked(index_);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

// The Menu key and Shift+F10 open the bar's menu as a right click at its middle does.
void LGauge::keyPressEvent(QKeyEvent *event) {
    const bool menuKey = event->key() == Qt::Key_Menu;
    const bool shiftF10 = event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier;
    if (menuKey || shiftF10) {
        event->accept();
        emit rightClicked(index_, rect().center());
        return;
    }
    QWidget::keyPressEvent(event);
}

void LGauge::focusInEvent(QFocusEvent *event) {
    update();
    QWidget::focusInEvent(event);
}

void LGauge::focusOutEvent(QFocusEvent *event) {
    update();
    QWidget::focusOutEvent(event);
}

void LGauge::mousePressEvent(QMouseEvent *event) {
    if (event->button() == Qt::RightButton) {
        event->accept();
        emit rightClicked(index_, event->position().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

}  // namespace zelapp
