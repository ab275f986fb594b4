// The bar window's logic: rows and rectangles of N bars, tick step, caption fitting, tooltip
// and value number,
// the gauge settings each view gives, and the zone of a reading.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>

#include "display/bar_layout.h"
#include "group_list.h"
#include "setup_fixture.h"

using zelapp::BarRows;
using zelapp::BarZone;

namespace {

TEST(BarRowsTest, OneRowPerFifteenBarsStartedUpToSeven) {
    const std::pair<int, BarRows> cases[] = {
        {-1, {0, 0, 0}},   {0, {0, 0, 0}},   {1, {1, 1, 1}},    {15, {1, 15, 15}},
        {16, {2, 8, 8}},   {17, {2, 9, 8}},  {20, {2, 10, 10}}, {30, {2, 15, 15}},
        {31, {3, 11, 9}},  {46, {4, 13, 7}}, {90, {6, 15, 15}}, {91, {7, 13, 13}},
        {106, {7, 16, 10}}};
    for (const auto &[bars, rows] : cases) {
        EXPECT_EQ(zelapp::barRows(bars), rows) << bars << " bars";
    }
    for (int bars = 1; bars <= 400; ++bars) {
        const BarRows r = zelapp::barRows(bars);
        EXPECT_GT(r.lastRow, 0) << bars;
        EXPECT_EQ((r.rows - 1) * r.perRow + r.lastRow, bars) << bars;
    }
}

TEST(BarRowsTest, RectanglesFillRowByRowFromTheTopLeft) {
    const auto rects = zelapp::barRects(17, QSize(900, 200));
    ASSERT_EQ(rects.size(), 17u);
    EXPECT_EQ(rects[8], QRect(800, 0, 100, 100));
    EXPECT_EQ(rects[9], QRect(0, 100, 100, 100));
    EXPECT_EQ(rects[16], QRect(700, 100, 100, 100));
    EXPECT_EQ(zelapp::barRects(46, QSize(650, 400))[45], QRect(300, 300, 50, 100));
    EXPECT_EQ(zelapp::barRects(106, QSize(1600, 700))[105], QRect(900, 600, 100, 100));

    // Sizes round halves to even (20 bars: 2 rows of 10); odd sizes never go negative.
    EXPECT_EQ(zelapp::barRects(20, QSize(25, 5))[0].size(), QSize(2, 2));
    EXPECT_EQ(zelapp::barRects(20, QSize(35, 7))[0].size(), QSize(4, 4));
    EXPECT_EQ(zelapp::barRects(30, QSize(-10, -1))[29], QRect(0, 0, 0, 0));
    EXPECT_TRUE(zelapp::barRects(0, QSize(400, 300)).empty());
}

TEST(BarTextTest, TickStep) {
    EXPECT_NEAR(zelapp::barTickStep(0.05f, -0.05f), 0.01, 1e-9);
    EXPECT_DOUBLE_EQ(zelapp::barTickStep(0.2, 0.2), 0.0001);
    EXPECT_DOUBLE_EQ(zelapp::barTickStep(-1, 1), 0.0001);
    EXPECT_DOUBLE_EQ(zelapp::barTickStep(0.0001, 0), 0.00001);
    EXPECT_DOUBLE_EQ(zelapp::barTickStep(std::nan(""), 0), 0.0001);
}

TEST(BarTextTest, ACaptionIsWholeWhenItFitsElseCutWithAnEllipsisNeverAtTheFirstBlank) {
    // Ten pixels a character.
    const zelapp::TextAdvance advance = [](const QString &t) { return 10 * int(t.size()); };
    const QString bore = QStringLiteral("Bore diameter top");  // 17 characters
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 170, advance), bore);
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 169, advance), QStringLiteral("Bore diameter t…"));
    // A cut before a blank leaves no blank before the ellipsis.
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 150, advance), QStringLiteral("Bore diameter…"));
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 60, advance), QStringLiteral("Bore…"));
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 10, advance), QStringLiteral("…"));
    EXPECT_EQ(zelapp::fittedBarCaption(bore, 9, advance), QString());
    EXPECT_EQ(zelapp::fittedBarCaption(QString(), 0, advance), QString());
    // A character outside the basic plane is never halved.
    const QString clef =
        QStringLiteral("A") + QString::fromUcs4(U"\U0001D11E") + QStringLiteral("BC");
    EXPECT_EQ(zelapp::fittedBarCaption(clef, 30, advance), QStringLiteral("A…"));
}

TEST(BarTextTest, TheTooltipHoldsTheWholeCaptionAndTheNote) {
    EXPECT_EQ(zelapp::barToolTip(QStringLiteral("Bore diameter top"), QString()),
              QStringLiteral("Bore diameter top"));
    EXPECT_EQ(zelapp::barToolTip(QStringLiteral("Bore"), QStringLiteral("Old value")),
              QStringLiteral("Bore\nOld value"));
    EXPECT_EQ(zelapp::barToolTip(QString(), QStringLiteral("Old value")),
              QStringLiteral("Old value"));
}

TEST(BarTextTest, TheValueNumberTakesTheDecimalsAndTheLocale) {
    const QLocale c = QLocale::c();
    EXPECT_EQ(zelapp::barValueText(0.0125, 3, c), QStringLiteral("0.013"));
    EXPECT_EQ(zelapp::barValueText(-1.5, 5, c), QStringLiteral("-1.50000"));
    EXPECT_EQ(zelapp::barValueText(2, 0, c), QStringLiteral("2"));
    EXPECT_EQ(zelapp::barValueText(0.5, 2, QLocale(QLocale::German)), QStringLiteral("0,50"));
    EXPECT_EQ(zelapp::barValueText(std::nan(""), 3, c), QString());
}

class GaugeSettingsTest : public ::testing::Test {
  protected:
    zeltest::SetupFixture f;
};

TEST_F(GaugeSettingsTest, ChannelViewUsesTheChannelsScaleLimitsAndDecimals) {
    zelapp::Channel &c = *f.setup.channel(2);
    c.Description = QStringLiteral("Bore diameter top");
    c.Decimals = 3;
    c.BarDisplayTop = 0.2f;
    c.BarDisplayBot = -0.1f;
    c.LoTol = -0.05f;
    c.LoAppr = -0.04f;
    c.HiAppr = 0.04f;
    c.HiTol = 0.05f;
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;

    const auto s = zelapp::gaugeSettings(f.setup, f.state, 2);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->caption, QStringLiteral("Bore diameter top"));  // whole: the gauge fits it
    EXPECT_EQ(s->decimals, 3);
    EXPECT_EQ(std::pair(s->bottom, s->top), (std::pair<double, double>(-0.1f, 0.2f)));
    EXPECT_NEAR(s->tickStep, 0.03, 1e-7);
    EXPECT_TRUE(s->limitMode);
    const float limits[] = {-0.05f, -0.04f, 0.04f, 0.05f};
    for (int m = 0; m < 4; ++m) {
        EXPECT_EQ(s->limits[m], (zelapp::LimitMarker{limits[m], 0.85, 0.01})) << m;
    }
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 9));
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 0));

    f.setup.channel(1)->BarDisplayTop = f.setup.channel(1)->BarDisplayBot = 0.5f;
    EXPECT_DOUBLE_EQ(zelapp::gaugeSettings(f.setup, f.state, 1)->tickStep, 0.0001);
}

TEST_F(GaugeSettingsTest, GroupViewShowsTheGroupsChannelAtThePosition) {
    zeltest::addGroup(f.setup, {3, 5, 12});
    f.setup.channel(5)->Description = QStringLiteral("Length");
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    EXPECT_EQ(zelapp::gaugeSettings(f.setup, f.state, 2)->caption, QStringLiteral("Length"));
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 3));  // channel 12 does not exist
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 4));
    f.state.CurrentGroup = 2;
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 1));
}

TEST_F(GaugeSettingsTest, ProbeViewUsesTheSetupDecimalsAndTheFullScaleReadOnce) {
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    f.state.Decimals = 3;
    f.setup.channel(2)->Decimals = 1;  // not used for probes
    f.unit.tfsv[2] = 0.025f;           // the unit holds a quarter
    const auto s = zelapp::gaugeSettings(f.setup, f.state, 2);
    ASSERT_TRUE(s);
    EXPECT_EQ(f.unit.calls, std::vector<std::string>{"ZelReadTfsv(2)"});
    EXPECT_EQ(s->caption, QStringLiteral("Lvdt 2"));
    EXPECT_EQ(s->decimals, 3);
    const double full = 0.025f * 4;  // as a Single
    EXPECT_EQ(std::pair(s->bottom, s->top), std::pair(-full, full));
    EXPECT_NEAR(s->tickStep, 0.02, 1e-9);
    EXPECT_FALSE(s->limitMode);
    const double markers[] = {-full, -full, full, full};
    for (int m = 0; m < 4; ++m) {
        EXPECT_EQ(s->limits[m], (zelapp::LimitMarker{markers[m], 1, 0})) << m;
    }
}

TEST_F(GaugeSettingsTest, AnalogViewScaleIsPlusMinusTheFullScale) {
    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    f.unit.afsv[1] = 10.0f;
    const auto s = zelapp::gaugeSettings(f.setup, f.state, 1);
    EXPECT_EQ(f.unit.count("ZelReadAfsv(1)"), 1);
    EXPECT_EQ(std::pair(s->bottom, s->top), std::pair(-10.0, 10.0));
    EXPECT_FALSE(zelapp::gaugeSettings(f.setup, f.state, 2));
}

TEST(BarZoneTest, LimitsSplitTheScaleWhateverTheirOrder) {
    const std::array<double, 4> ordered{-0.01, -0.009, 0.009, 0.01};
    const std::array<double, 4> reversed{0.01, 0.009, -0.009, -0.01};
    const double inf = std::numeric_limits<double>::infinity();
    // At the channel default of 5 decimals.
    const std::pair<double, BarZone> cases[] = {{0, BarZone::Good},
                                                {0.009, BarZone::Good},  // on a limit is inside it
                                                {-0.009, BarZone::Good},
                                                {0.0095, BarZone::Approach},  //
                                                {-0.0095, BarZone::Approach},
                                                {0.01, BarZone::Approach},      //
                                                {0.010004, BarZone::Approach},  // reads 0.01000
                                                {0.0101, BarZone::Reject},
                                                {-0.02, BarZone::Reject},  //
                                                {inf, BarZone::Neutral},   // no measurement
                                                {-inf, BarZone::Neutral},  //
                                                {std::nan(""), BarZone::Neutral}};
    for (const auto &[value, zone] : cases) {
        EXPECT_EQ(zelapp::barZone(value, true, ordered, 5), zone) << value;
        EXPECT_EQ(zelapp::barZone(value, true, reversed, 5), zone) << value;
    }
    EXPECT_EQ(zelapp::barZone(0, false, ordered, 5), BarZone::Neutral);
    EXPECT_EQ(zelapp::barZone(0, true, {std::nan(""), -1, 1, 2}, 5), BarZone::Neutral);
    // The zone is that of the value shown: at 2 decimals 0.0049 reads 0.00, 0.0105 reads 0.01
    // and 0.015 reads 0.02.
    EXPECT_EQ(zelapp::barZone(0.0049, true, {-0.01, 0, 0, 0.01}, 2), BarZone::Good);
    EXPECT_EQ(zelapp::barZone(0.0105, true, ordered, 2), BarZone::Approach);
    EXPECT_EQ(zelapp::barZone(0.015, true, ordered, 2), BarZone::Reject);

    const std::array<double, 4> equal{0, 0, 0, 0};
    EXPECT_EQ(zelapp::barZone(0, true, equal, 5), BarZone::Good);
    EXPECT_EQ(zelapp::barZone(0.001, true, equal, 5), BarZone::Reject);
    // Approach limits outside the tolerance band: no approach zone at all.
    const std::array<double, 4> wide{-0.01, -0.02, 0.02, 0.01};
    EXPECT_EQ(zelapp::barZone(0.005, true, wide, 5), BarZone::Good);
    EXPECT_EQ(zelapp::barZone(0.015, true, wide, 5), BarZone::Reject);
}

TEST(BarZoneTest, EachVerdictHasItsZone) {
    using Verdict = zelapp::ToleranceVerdict;
    const std::pair<Verdict, BarZone> cases[] = {{Verdict::Good, BarZone::Good},
                                                 {Verdict::WarningPlus, BarZone::Approach},
                                                 {Verdict::WarningMinus, BarZone::Approach},
                                                 {Verdict::RejectPlus, BarZone::Reject},
                                                 {Verdict::RejectMinus, BarZone::Reject},
                                                 {Verdict::NotValid, BarZone::Neutral}};
    for (const auto &[verdict, zone] : cases) {
        EXPECT_EQ(zelapp::barZoneOf(verdict), zone);
    }
}

}  // namespace

TEST(BarLevelTest, FillsToTheReadingAndPointsBeyondTheScaleEnds) {
    using zelapp::OffScale;
    const QRect well(10, 20, 16, 100);  // rows 20..119
    const auto level = [&well](double v, double bottom = -1, double top = 1) {
        return zelapp::barLevel(well, v, bottom, top, bottom, top);
    };
    EXPECT_EQ(level(0).fill, QRect(10, 70, 16, 50));
    EXPECT_EQ(level(0).offScale, OffScale::None);
    EXPECT_EQ(level(1).offScale, OffScale::None);  // on the end is on the scale

    // Far above: full with an arrow up at the top; far below: empty with an arrow down at the
    // bottom, so a large undersize never looks like no reading.
    const double inf = std::numeric_limits<double>::infinity();
    for (double above : {1.01, 1e30, inf}) {
        EXPECT_EQ(level(above).fill, well);
        EXPECT_EQ(level(above).offScale, OffScale::Above);
    }
    EXPECT_EQ(level(2).arrow[0], QPoint(18, 21));
    EXPECT_LT(level(2).arrow[0].y(), level(2).arrow[1].y());
    for (double below : {-1.01, -inf}) {
        EXPECT_TRUE(level(below).fill.isEmpty());
        EXPECT_EQ(level(below).offScale, OffScale::Below);
    }
    EXPECT_EQ(level(-2).arrow[0], QPoint(18, 118));
    EXPECT_GT(level(-2).arrow[0].y(), level(-2).arrow[1].y());
    for (const QPoint &p : level(-2).arrow) {
        EXPECT_TRUE(well.contains(p));
    }

    // No reading: nothing at all. A scale running downwards or without height still knows
    // its top end.
    EXPECT_TRUE(level(std::nan("")).fill.isEmpty());
    EXPECT_EQ(level(std::nan("")).offScale, OffScale::None);
    EXPECT_EQ(level(-2, 1, -1).offScale, OffScale::Above);
    EXPECT_EQ(level(0.5, 0, 0).offScale, OffScale::Above);
    EXPECT_EQ(level(0, 0, 0).offScale, OffScale::None);
    EXPECT_EQ(zelapp::barLevel(QRect(0, 0, 2, 3), 5, 0, 1, 0, 1).arrow[0], QPoint(1, 1));
}
