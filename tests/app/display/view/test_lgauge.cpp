// The bar gauge: its geometry, the drawing switch and repaint requests, the zone look, and
// readings or scales that make no sense.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLocale>
#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <limits>

#include "display/view/lgauge.h"

using zelapp::LGauge;
using zelapp::LGaugeLayout;
using zelapp::LGaugeScale;

namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

LGaugeLayout layoutFor(const LGaugeScale &scale, QSize size) {
    return zelapp::lgaugeLayout(scale, size, QFontMetrics(QFont()), QLocale::c());
}

TEST(LGaugeLayoutTest, TicksRunBottomToTopAndNumbersOnlyWhereTheyFit) {
    const LGaugeLayout l = layoutFor({10, 0, 1, 1, QStringLiteral("Bore")}, QSize(80, 400));
    ASSERT_EQ(l.ticks.size(), 11u);
    EXPECT_EQ(l.ticks.front().y, l.bar.bottom());
    EXPECT_EQ(l.ticks.back().y, l.bar.top());
    EXPECT_EQ(l.ticks.front().label, QStringLiteral("0.0"));
    EXPECT_EQ(l.ticks.back().label, QStringLiteral("10.0"));
    EXPECT_GT(l.captionAt.y(), l.bar.bottom());

    const LGaugeLayout narrow = layoutFor({0.05, -0.05, 0.01, 5, {}}, QSize(30, 60));
    EXPECT_TRUE(QRect(0, 0, 30, 60).contains(narrow.bar));
    for (const auto &t : narrow.ticks) {
        EXPECT_FALSE(t.labelled);
    }
}

TEST(LGaugeLayoutTest, DegenerateScalesGiveABoundedSetOfTicks) {
    const LGaugeScale cases[] = {{0.2, 0.2, 0.0001, 3, {}},   {-1, 1, 0.0001, 3, {}},
                                 {1, 0, 1e-12, 3, {}},        {kInf, -kInf, kInf, 3, {}},
                                 {std::nan(""), 0, 0, 3, {}}, {1e300, -1e300, 1e-300, 3, {}}};
    for (const LGaugeScale &s : cases) {
        const LGaugeLayout l = layoutFor(s, QSize(60, 120));
        EXPECT_LE(l.ticks.size(), static_cast<size_t>(l.bar.height())) << s.top;
        EXPECT_TRUE(QRect(0, 0, 60, 120).contains(l.pointer)) << s.top;
    }
    EXPECT_EQ(layoutFor(cases[0], QSize(60, 120)).ticks.size(), 1u);
}

// Counts the paint events a shown gauge gets from the event loop.
class LGaugeRepaintTest : public ::testing::Test, public QObject {
  protected:
    LGauge gauge;
    int paints = 0;

    void SetUp() override {
        gauge.resize(40, 120);
        gauge.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&gauge));
        QCoreApplication::processEvents();
        gauge.installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
    int paintsAfterEvents() {
        paints = 0;
        QCoreApplication::processEvents();
        return paints;
    }
};

TEST_F(LGaugeRepaintTest, DrawingSwitchAndUnchangedSettingsHoldRepaints) {
    gauge.setDrawingEnabled(false);
    gauge.setCaption(QStringLiteral("Length"));
    gauge.setScaleTop(2);
    gauge.setValue(1);
    EXPECT_EQ(paintsAfterEvents(), 0);
    gauge.setDrawingEnabled(true);
    EXPECT_EQ(paintsAfterEvents(), 1);

    gauge.setDrawingEnabled(false);
    gauge.setValue(1);
    gauge.setDrawingEnabled(true);
    gauge.setValue(1);
    EXPECT_EQ(paintsAfterEvents(), 0);
    gauge.setValue(std::nan(""));
    EXPECT_EQ(paintsAfterEvents(), 1);
    gauge.setValue(std::nan(""));
    EXPECT_EQ(paintsAfterEvents(), 0);
}

// A ±0.05 gauge with the channel default limits and decimals, drawn at `value`.
QImage drawAt(LGauge &gauge, double value) {
    gauge.setDecimals(5);  // the zone is that of the value as shown
    gauge.setScaleTop(0.05);
    gauge.setScaleBottom(-0.05);
    gauge.setBarTop(0.05);
    gauge.setBarBottom(-0.05);
    gauge.setLimitMode(true);
    const double limits[] = {-0.01, -0.009, 0.009, 0.01};
    for (int m = 1; m <= 4; ++m) {
        gauge.setMarker(m);
        gauge.setMarkerPosition(limits[m - 1]);
        gauge.setMarkerWidth(0.01);
    }
    gauge.setValue(value);
    return gauge.grab().toImage();
}

// Distinct colours in the lowest quarter of the bar, below the limit lines.
int coloursLowInBar(const QImage &image, const QRect &bar) {
    QList<QRgb> seen;
    for (int y = bar.bottom() - 2; y > bar.bottom() - bar.height() / 4; --y) {
        for (int x = bar.left() + 2; x < bar.right() - 1; ++x) {
            if (!seen.contains(image.pixel(x, y))) {
                seen.append(image.pixel(x, y));
            }
        }
    }
    return static_cast<int>(seen.size());
}

TEST(LGaugeLookTest, ZonesDifferInPatternNotOnlyInColour) {
    LGauge gauge;
    gauge.resize(60, 200);
    const QImage good = drawAt(gauge, 0);
    EXPECT_EQ(gauge.zone(), zelapp::BarZone::Good);
    const QImage approach = drawAt(gauge, 0.0095);
    EXPECT_EQ(gauge.zone(), zelapp::BarZone::Approach);
    const QImage reject = drawAt(gauge, 0.04);
    EXPECT_EQ(gauge.zone(), zelapp::BarZone::Reject);
    const QRect bar = gauge.layout().bar;
    EXPECT_EQ(coloursLowInBar(good, bar), 1);  // solid
    EXPECT_GE(coloursLowInBar(approach, bar), 2);
    EXPECT_GE(coloursLowInBar(reject, bar), 2);
    EXPECT_NE(approach.copy(bar), reject.copy(bar));
    gauge.setLimitMode(false);
    EXPECT_EQ(gauge.zone(), zelapp::BarZone::Neutral);
}

// The middle of the well, away from the limit lines, the pointer and any arrow.
QRgb wellMiddle(const QImage &image, const QRect &bar) {
    return image.pixel(bar.center().x(), bar.top() + bar.height() / 2);
}

TEST(LGaugeLookTest, TheZoneShowsInTheWholeWellEvenWhenTheBarIsEmpty) {
    LGauge gauge;
    gauge.resize(60, 200);
    const QImage farUnder = drawAt(gauge, -0.2);  // below the bar's bottom: nothing filled
    ASSERT_EQ(gauge.zone(), zelapp::BarZone::Reject);
    const QRect bar = gauge.layout().bar;
    const QImage noReading = drawAt(gauge, std::nan(""));
    ASSERT_EQ(gauge.zone(), zelapp::BarZone::Neutral);
    const QImage good = drawAt(gauge, -0.005);  // filled to below the middle
    ASSERT_EQ(gauge.zone(), zelapp::BarZone::Good);
    drawAt(gauge, -0.2);
    gauge.setLimitMode(false);  // a probe has no limits: neutral whatever it reads
    const QImage probe = gauge.grab().toImage();

    const QRgb plain = wellMiddle(noReading, bar);
    EXPECT_NE(wellMiddle(farUnder, bar), plain);
    EXPECT_NE(wellMiddle(good, bar), plain);
    EXPECT_NE(wellMiddle(good, bar), wellMiddle(farUnder, bar));
    EXPECT_EQ(wellMiddle(probe, bar), plain);
}

// A band across the middle of the well, away from the arrows at its ends.
QImage wellBand(const QImage &image, const QRect &bar) {
    return image.copy(bar.left(), bar.top() + bar.height() * 2 / 5, bar.width(), bar.height() / 5);
}

TEST(LGaugeLookTest, AnOffScaleRejectFillsTheWellAsStronglyBelowAsAbove) {
    LGauge gauge;
    gauge.resize(60, 200);
    const QImage farUnder = drawAt(gauge, -0.2);
    ASSERT_EQ(gauge.zone(), zelapp::BarZone::Reject);
    const QImage farOver = drawAt(gauge, 0.2);
    const QImage filledReject = drawAt(gauge, 0.04);  // on the scale, filled past the middle
    const QRect bar = gauge.layout().bar;
    EXPECT_EQ(wellBand(farUnder, bar), wellBand(farOver, bar));
    EXPECT_EQ(wellBand(farUnder, bar), wellBand(filledReject, bar));
    // Low in the well too, where an oversize was already filled.
    const QRect low(bar.left(), bar.bottom() - bar.height() / 5, bar.width(), bar.height() / 10);
    EXPECT_EQ(farUnder.copy(low), farOver.copy(low));
}

TEST(LGaugeLookTest, NonsenseReadingsAndScalesPaintWithoutCrashing) {
    LGauge gauge;
    gauge.resize(30, 60);
    for (double v : {std::nan(""), kInf, -kInf, 1e300}) {
        gauge.setValue(v);
        gauge.setMarkerPosition(v);
        EXPECT_FALSE(gauge.grab().isNull());
    }
    gauge.setScaleTop(0);  // top == bottom
    gauge.setTickStep(0.0001);
    EXPECT_FALSE(gauge.grab().isNull());
    gauge.setScaleTop(kInf);
    gauge.setTickStep(std::nan(""));
    gauge.setDecimals(99);
    EXPECT_FALSE(gauge.grab().isNull());
    gauge.setMarker(9);  // no such marker: the selection stays
    EXPECT_EQ(gauge.marker(), 0);
}

TEST(LGaugeMouseTest, DoubleClickPicksAndRightButtonReportsThePosition) {
    LGauge gauge;
    gauge.setIndex(7);
    gauge.resize(40, 100);
    QSignalSpy picked(&gauge, &LGauge::picked);
    QSignalSpy right(&gauge, &LGauge::rightClicked);
    QTest::mouseClick(&gauge, Qt::LeftButton, {}, QPoint(10, 10));
    EXPECT_EQ(picked.count(), 0);  // a single click opens nothing
    QTest::mouseDClick(&gauge, Qt::LeftButton, {}, QPoint(10, 10));
    ASSERT_EQ(picked.count(), 1);
    EXPECT_EQ(picked.at(0).at(0).toInt(), 7);
    QTest::mousePress(&gauge, Qt::RightButton, {}, QPoint(12, 34));
    ASSERT_EQ(right.count(), 1);
    EXPECT_EQ(right.at(0).at(1).toPoint(), QPoint(12, 34));
}

}  // namespace
