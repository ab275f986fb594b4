// A vertical bar gauge: a scale with ticks and numbers, a bar rising from the bottom of the
// scale to the reading, a value pointer and four limit lines, the caption underneath. The bar
// takes the colour of its zone (green within the approach limits, amber between approach and
// tolerance, red beyond tolerance, steel blue without limits), and amber and red also carry a
// hatch so the zone reads without colour vision. With limits, the whole well behind the bar
// and its frame take the zone too, so that a reject shows however little of the bar is
// filled; an arrow at the top or bottom marks a reading off the scale. A NaN value is no
// reading: no level, no pointer, no zone.
//
// The bar window shows up to a few hundred of these and moves them every scan tick, so a
// setting that does not change requests no repaint, nothing is repainted while the drawing
// switch is off, and the scale's geometry and texts are built only when the size, the font or
// a scale setting changed.
#pragma once

#include <QFontMetrics>
#include <QPoint>
#include <QRect>
#include <QStaticText>
#include <QString>
#include <QWidget>
#include <array>
#include <vector>

#include "display/bar_layout.h"
#include "model/verdict_marks.h"

class QLocale;

namespace zelapp {

// The scale settings the geometry depends on.
struct LGaugeScale {
    double top = 1;
    double bottom = 0;
    double tickStep = 0.1;
    int decimals = 0;
    QString caption;
    bool showValue = false;  // a line above the bar for the value's number
};

struct LGaugeTick {
    int y = 0;
    bool labelled = false;
    QString label;
    QPoint labelAt;  // top left of the number
};

// Where everything of the gauge goes at one size; values map onto `bar`'s height.
struct LGaugeLayout {
    QRect bar;          // the bar's well; its top is the scale top, its bottom the scale bottom
    int tickRight = 0;  // ticks end here, just left of the bar
    int tickLength = 0;
    QRect pointer;  // strip right of the bar where the value pointer sits
    std::vector<LGaugeTick> ticks;
    QString caption;  // the whole, or elided to the width
    QPoint captionAt;
    QRect valueBox;  // above the bar; empty when the value is not shown
};

// The gauge's geometry for a size and font; pure, so it is tested without drawing. Ticks run
// from the scale bottom in tick steps; too dense ticks are thinned, numbers are left out where
// they would overlap or do not fit beside a usable bar. A shown value takes a line above the bar.
LGaugeLayout lgaugeLayout(const LGaugeScale &scale, QSize size, const QFontMetrics &metrics,
                          const QLocale &locale);

class LGauge : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int index READ index WRITE setIndex)

  public:
    static constexpr int kMarkerCount = 5;  // 0 the value pointer, 1..4 the limit lines

    explicit LGauge(QWidget *parent = nullptr);

    // Element number within the window's set of gauges (they all share one object name).
    int index() const { return index_; }
    void setIndex(int index) { index_ = index; }

    // While off, changes are only stored; switching on repaints once if anything changed.
    bool drawingEnabled() const { return drawing_; }
    void setDrawingEnabled(bool on);

    // The whole caption; drawn elided when it does not fit, and always the tooltip's first line.
    const QString &caption() const { return scale_.caption; }
    void setCaption(const QString &caption);
    // The note on the value (why there is none, that it is old): the tooltip's second line.
    void setNoteTip(const QString &tip);
    // The value's number above the bar, at the gauge's decimals.
    bool showValue() const { return scale_.showValue; }
    void setShowValue(bool on);
    // The number shown above the bar; empty when values are not shown or there is no reading.
    QString valueText() const;
    double scaleTop() const { return scale_.top; }
    void setScaleTop(double top);
    double scaleBottom() const { return scale_.bottom; }
    void setScaleBottom(double bottom);
    double barTop() const { return barTop_; }
    void setBarTop(double top);
    double barBottom() const { return barBottom_; }
    void setBarBottom(double bottom);
    double tickStep() const { return scale_.tickStep; }
    void setTickStep(double step);
    int decimals() const { return scale_.decimals; }
    void setDecimals(int decimals);
    double value() const { return value_; }
    void setValue(double value);
    bool limitMode() const { return limitMode_; }
    void setLimitMode(bool on);
    // An old value (not read in the last tick) is drawn grey in a dashed frame, whatever its
    // zone: it is no verdict on the part now on the gauge.
    bool old() const { return old_; }
    void setOld(bool old);

    // Marker selector; the three setters below change the selected marker. Markers outside
    // 0..4 are not selected.
    int marker() const { return selected_; }
    void setMarker(int marker);
    void setMarkerPosition(double position);
    void setMarkerSize(double size);
    void setMarkerWidth(double width);
    // Any marker's settings; a default marker for numbers outside 0..4.
    LimitMarker markerAt(int marker) const;

    // Zone of the current value against markers 1 to 4, judged at the gauge's decimals.
    BarZone zone() const;
    // The palette its zones are filled in.
    void setZonePalette(ResultPalette palette);
    // Geometry at the current size (built on demand).
    const LGaugeLayout &layout() const;

    // New elements look like element 0 of the window.
    void copyAppearanceFrom(const LGauge &model);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  signals:
    // Double click: opens the item's setup.
    void picked(int element);
    void rightClicked(int element, QPoint posInGauge);

  protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    // Stores a setting; requests a repaint when it changed (`scale`: also the geometry).
    void change(double &setting, double value, bool scale);
    void changed(bool scale);
    void paintMarkers(QPainter &painter, const LGaugeLayout &l) const;
    void paintScale(QPainter &painter, const LGaugeLayout &l) const;

    int index_ = 0;
    bool drawing_ = true;
    bool pending_ = false;  // a change waits for the drawing switch
    LGaugeScale scale_;
    double barTop_ = 1;
    double barBottom_ = 0;
    double value_ = 0;
    bool limitMode_ = false;
    bool old_ = false;
    ResultPalette zonePalette_ = ResultPalette::Standard;
    QString noteTip_;
    int selected_ = 0;
    std::array<LimitMarker, kMarkerCount> markers_{};

    // Built on demand, dropped when the size, font or scale changes.
    mutable bool layoutValid_ = false;
    mutable LGaugeLayout layout_;
    mutable std::vector<QStaticText> labelTexts_;
    mutable QStaticText captionText_;
};

}  // namespace zelapp
