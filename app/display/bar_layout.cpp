#include "display/bar_layout.h"

#include <algorithm>
#include <cmath>

#include "base/runtime_text.h"
#include "display/view_items.h"
#include "model/single_range.h"
#include "setup/setup.h"

namespace zelapp {

namespace {

constexpr int kBarsPerRowStep = 15;
constexpr int kMaxRows = 7;
constexpr int kMaxValueDecimals = 15;

constexpr double kLimitSize = 0.85;
constexpr double kLimitWidth = 0.01;

// Nearest integer, halves to even, for sizes that are never negative.
int roundedQuotient(double numerator, double denominator) {
    return static_cast<int>(rt::roundHalfEven(numerator / denominator));
}

GaugeSettings channelSettings(const Channel &channel) {
    GaugeSettings s;
    s.decimals = channel.Decimals;
    s.caption = channel.Description;
    s.top = channel.BarDisplayTop;
    s.bottom = channel.BarDisplayBot;
    s.limitMode = true;
    const float limits[] = {channel.LoTol, channel.LoAppr, channel.HiAppr, channel.HiTol};
    for (int m = 0; m < 4; ++m) {
        s.limits[m] = {limits[m], kLimitSize, kLimitWidth};
    }
    return s;
}

// Probes and analog inputs: symmetric scale of the full scale, no limits.
GaugeSettings inputSettings(const QString &description, double fullScale, int decimals) {
    GaugeSettings s;
    s.decimals = decimals;
    s.caption = description;
    s.top = fullScale;
    s.bottom = -fullScale;
    s.limitMode = false;
    s.limits = {LimitMarker{s.bottom, 1, 0}, LimitMarker{s.bottom, 1, 0}, LimitMarker{s.top, 1, 0},
                LimitMarker{s.top, 1, 0}};
    return s;
}

std::optional<GaugeSettings> rawSettings(const Setup &setup, const AppState &state, int position) {
    switch (state.ViewType) {
        case VIEWTYPEGROUPS:
        case VIEWTYPECHANNELS: {
            const Channel *c = setup.channel(viewChannelAt(setup, state, position));
            if (c == nullptr) {
                return std::nullopt;
            }
            return channelSettings(*c);
        }
        case VIEWTYPELVDTS: {
            const Lvdt *l = setup.lvdt(position);
            if (l == nullptr) {
                return std::nullopt;
            }
            return inputSettings(l->Description, l->FullScale(), state.Decimals);
        }
        case VIEWTYPEANALOGS: {
            const analog *a = setup.analogInput(position);
            if (a == nullptr) {
                return std::nullopt;
            }
            return inputSettings(a->Description, a->FullScale(), state.Decimals);
        }
        default:
            return std::nullopt;
    }
}

}  // namespace

int barRowCount(int bars) {
    if (bars <= 0) {
        return 0;
    }
    return std::min(kMaxRows, (bars - 1) / kBarsPerRowStep + 1);
}

BarRows barRows(int bars) {
    const int rows = barRowCount(bars);
    if (rows == 0) {
        return {};
    }
    const int perRow = roundedQuotient(bars, rows) + (bars % rows != 0 ? 1 : 0);
    return {rows, perRow, std::max(0, bars - (rows - 1) * perRow)};
}

std::vector<QRect> barRects(int bars, QSize client) {
    const BarRows layout = barRows(bars);
    std::vector<QRect> rects;
    if (layout.rows == 0) {
        return rects;
    }
    const int height = roundedQuotient(std::max(0, client.height()), layout.rows);
    const int width = roundedQuotient(std::max(0, client.width()), layout.perRow);
    rects.reserve(bars);
    int left = 0;
    int top = 0;
    for (int i = 0; i < bars; ++i) {
        if (i > 0 && i % layout.perRow == 0) {
            left = 0;
            top += height;
        }
        rects.emplace_back(left, top, width, height);
        left += width;
    }
    return rects;
}

double barTickStep(double top, double bottom) {
    const double range = top - bottom;
    // Written so that NaN ranges take the smallest step too.
    if (!(range >= kMinTickStep)) {
        return kMinTickStep;
    }
    return range / 10;
}

QString fittedBarCaption(const QString &caption, int width, const TextAdvance &advance) {
    if (advance(caption) <= width) {
        return caption;
    }
    const QString ellipsis(QChar(0x2026));
    const auto cut = [&](qsizetype n) {
        QString head = caption.left(n);
        // Never half of a character outside the basic plane.
        if (!head.isEmpty() && head.back().isHighSurrogate()) {
            head.chop(1);
        }
        while (!head.isEmpty() && head.back().isSpace()) {
            head.chop(1);
        }
        return head + ellipsis;
    };
    if (advance(ellipsis) > width) {
        return {};
    }
    // The longest head that fits; widths grow with the head's length.
    qsizetype fits = 0;
    qsizetype tooLong = caption.size();
    while (tooLong - fits > 1) {
        const qsizetype mid = (fits + tooLong) / 2;
        if (advance(cut(mid)) <= width) {
            fits = mid;
        } else {
            tooLong = mid;
        }
    }
    return cut(fits);
}

QString barToolTip(const QString &caption, const QString &note) {
    if (note.isEmpty()) {
        return caption;
    }
    if (caption.isEmpty()) {
        return note;
    }
    return caption + QLatin1Char('\n') + note;
}

QString barValueText(double value, int decimals, const QLocale &locale) {
    if (std::isnan(value)) {
        return {};
    }
    return locale.toString(value, 'f', std::clamp(decimals, 0, kMaxValueDecimals));
}

std::optional<GaugeSettings> gaugeSettings(const Setup &setup, const AppState &state,
                                           int position) {
    auto s = rawSettings(setup, state, position);
    if (s) {
        s->tickStep = barTickStep(s->top, s->bottom);
    }
    return s;
}

BarZone barZone(double value, bool limitMode, const std::array<double, 4> &limits, int decimals) {
    if (!limitMode) {
        return BarZone::Neutral;
    }
    const ToleranceLimits singles{narrowToSingle(limits[0]), narrowToSingle(limits[1]),
                                  narrowToSingle(limits[2]), narrowToSingle(limits[3])};
    return barZoneOf(judgeTolerance(narrowToSingle(value), decimals, singles));
}

double scaleFraction(double v, double bottom, double top) {
    if (std::isnan(v)) {
        return std::nan("");
    }
    if (std::isnan(top) || std::isnan(bottom)) {
        return 0;
    }
    const double range = top - bottom;
    if (range == 0 || std::isnan(range)) {
        return v >= top ? 1 : 0;
    }
    const double f = (v - bottom) / range;
    return std::isnan(f) ? 0 : std::clamp(f, 0.0, 1.0);
}

namespace {

OffScale offScale(double v, double bottom, double top) {
    if (std::isnan(v) || std::isnan(bottom) || std::isnan(top)) {
        return OffScale::None;
    }
    // The well's top is the scale's top whichever way the scale runs.
    const bool rising = top >= bottom;
    if (rising ? v > top : v < top) {
        return OffScale::Above;
    }
    if (rising ? v < bottom : v > bottom) {
        return OffScale::Below;
    }
    return OffScale::None;
}

// A triangle across the middle of the well with its tip one pixel inside the well's end.
std::array<QPoint, 3> arrowAt(const QRect &well, OffScale where) {
    const int half = std::clamp((well.width() - 2) / 2, 1, 8);
    const int depth = std::clamp(half, 1, std::max(1, well.height() / 3));
    const int centre = well.x() + well.width() / 2;
    if (where == OffScale::Above) {
        const int tip = well.top() + 1;
        return {QPoint(centre, tip), QPoint(centre - half, tip + depth),
                QPoint(centre + half, tip + depth)};
    }
    const int tip = well.bottom() - 1;
    return {QPoint(centre, tip), QPoint(centre - half, tip - depth),
            QPoint(centre + half, tip - depth)};
}

}  // namespace

BarLevel barLevel(const QRect &well, double value, double scaleBottom, double scaleTop,
                  double barBottom, double barTop) {
    BarLevel level;
    const double v = scaleFraction(value, scaleBottom, scaleTop);
    if (std::isnan(v)) {
        return level;
    }
    level.offScale = offScale(value, scaleBottom, scaleTop);
    if (level.offScale != OffScale::None) {
        level.arrow = arrowAt(well, level.offScale);
    }
    const double b = scaleFraction(barBottom, scaleBottom, scaleTop);
    const double t = scaleFraction(barTop, scaleBottom, scaleTop);
    const double low = std::min(b, t);
    const double reached = std::clamp(v, low, std::max(b, t));
    const auto height = [&well](double fraction) {
        return static_cast<int>(std::lround(fraction * well.height()));
    };
    const int bottomEdge = well.y() + well.height() - height(low);
    const int topEdge = well.y() + well.height() - height(reached);
    if (topEdge < bottomEdge) {
        level.fill = QRect(well.x(), topEdge, well.width(), bottomEdge - topEdge);
    }
    return level;
}

}  // namespace zelapp
