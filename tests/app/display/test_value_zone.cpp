// The grid's zone of a channel's value: the same tolerance rule as the bars, read from the text
// the grid shows, with a mark for each zone and side, and none for probes, analogs and texts
// that are no reading.
#include "display/value_zone.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "display/grid_font.h"
#include "model/channel.h"
#include "setup_fixture.h"

using zelapp::BarZone;
using zelapp::ToleranceVerdict;
using zelapp::ValueZone;

namespace {

void limit(zelapp::Channel &c) {
    c.setFormula(QStringLiteral("T1"));
    c.Decimals = 3;
    c.LoTol = -0.05f;
    c.LoAppr = -0.04f;
    c.HiAppr = 0.04f;
    c.HiTol = 0.05f;
}

TEST(ValueZoneTest, TheShownTextIsJudgedByTheToleranceRuleOnTheLimits) {
    zeltest::SetupFixture f;
    zelapp::Channel &c = *f.setup.channel(1);
    limit(c);
    const struct {
        const char *text;
        ValueZone zone;
    } cases[] = {
        {"0.000", {BarZone::Good, QStringLiteral("✔")}},
        {"0.040", {BarZone::Good, QStringLiteral("✔")}},  // on the approach limit: inside
        {"0.041", {BarZone::Approach, QStringLiteral("⚠ ▲")}},
        {"0.050", {BarZone::Approach, QStringLiteral("⚠ ▲")}},  // on the tolerance limit
        {"0.051", {BarZone::Reject, QStringLiteral("✖ ▲")}},
        {"-0.040", {BarZone::Good, QStringLiteral("✔")}},
        {"-0.041", {BarZone::Approach, QStringLiteral("⚠ ▼")}},
        {"-0.051", {BarZone::Reject, QStringLiteral("✖ ▼")}},
        {"-0,051", {BarZone::Reject, QStringLiteral("✖ ▼")}},  // a comma separator
        {" 0.051 ", {BarZone::Reject, QStringLiteral("✖ ▲")}},
        {"", {}},
        {"NO UNIT", {}},
        {"inf", {}},
        {"nan", {}},
    };
    for (const auto &k : cases) {
        EXPECT_EQ(zelapp::valueZone(QString::fromUtf8(k.text), &c), k.zone) << k.text;
    }
    // Probes and analog inputs have no channel and no zone.
    EXPECT_EQ(zelapp::valueZone(QStringLiteral("9.000"), nullptr), ValueZone{});
    EXPECT_EQ(zelapp::valueZoneOf(ToleranceVerdict::NotValid), ValueZone{});
    // A channel without a formula measures nothing.
    zelapp::Channel &none = *f.setup.channel(2);
    limit(none);
    none.setFormula(QString());
    EXPECT_EQ(zelapp::valueZone(QStringLiteral("0.000"), &none), ValueZone{});
}

TEST(GridFontTest, TheValuesGrowWithTheRowsHeightBetweenTheBaseAndTheCap) {
    EXPECT_EQ(zelapp::gridValuePixelSize(300, 10, 13), 18);    // 30-pixel rows
    EXPECT_EQ(zelapp::gridValuePixelSize(200, 10, 13), 13);    // 20-pixel rows: the base
    EXPECT_EQ(zelapp::gridValuePixelSize(1000, 4, 13), 96);    // the cap
    EXPECT_EQ(zelapp::gridValuePixelSize(1000, 4, 120), 120);  // a base above the cap stays
    EXPECT_EQ(zelapp::gridValuePixelSize(0, 4, 13), 13);
    EXPECT_EQ(zelapp::gridValuePixelSize(300, 0, 13), 13);
    EXPECT_EQ(zelapp::gridValuePixelSize(-5, -1, 13), 13);
    // The rows then fit the height they were sized from.
    for (const int height : {300, 451, 1000}) {
        const int pixels = zelapp::gridValuePixelSize(height, 10, 13);
        EXPECT_LE(10 * zelapp::gridRowHeight(pixels, 20), std::max(height, 200)) << height;
    }
    EXPECT_EQ(zelapp::gridRowHeight(13, 20), 21);
    EXPECT_EQ(zelapp::gridRowHeight(6, 20), 20);
}

// The widest value 84 and the widest mark 24 pixels with a margin of 6 at a 12-pixel font,
// columns of at least 67 each beside a description of 93.
struct FittingCase {
    const char *name;
    int byHeight;
    int width;
    int pixels;
};

class GridFontFitting : public ::testing::TestWithParam<FittingCase> {};

TEST_P(GridFontFitting, TheValuesGrowOnlyAsFarAsTheMarksStillFit) {
    const FittingCase &c = GetParam();
    const zelapp::GridAdvance advance{12, 84, 24, 6};
    const zelapp::GridColumns least{67, 67};
    const int pixels = zelapp::gridValuePixelsFitting(c.byHeight, 12, c.width, 93, advance, least);
    EXPECT_EQ(pixels, c.pixels);
    const zelapp::GridColumns columns = zelapp::gridColumns(pixels, advance, least);
    if (pixels > 12) {
        EXPECT_LE(93 + columns.value + columns.mark, c.width);
        const zelapp::GridColumns larger = zelapp::gridColumns(pixels + 1, advance, least);
        EXPECT_TRUE(pixels == c.byHeight || 93 + larger.value + larger.mark > c.width);
    }
}

const FittingCase kFittingCases[] = {
    {"TheBaseAlwaysStays", 12, 100, 12},          {"NarrowKeepsTheBase", 31, 242, 12},
    {"WideEnoughForTheHeightsSize", 20, 400, 20}, {"AsLargeAsTheWidthHolds", 48, 400, 30},
    {"OnePixelShortIsOneSizeLess", 25, 347, 24},
};

INSTANTIATE_TEST_SUITE_P(GridFont, GridFontFitting, ::testing::ValuesIn(kFittingCases),
                         [](const ::testing::TestParamInfo<FittingCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(GridFontTest, ColumnsHoldTheirWidestTextScaledAndRoundedUp) {
    const zelapp::GridAdvance advance{12, 84, 24, 6};
    EXPECT_EQ(zelapp::gridColumns(12, advance, {67, 67}), (zelapp::GridColumns{90, 67}));
    // 84 * 25 / 12 = 175 and 6 * 25 / 12 = 12.5 rounded up; the mark's 63 below its least.
    EXPECT_EQ(zelapp::gridColumns(25, advance, {67, 67}), (zelapp::GridColumns{188, 67}));
    EXPECT_EQ(zelapp::gridColumns(36, advance, {67, 67}), (zelapp::GridColumns{270, 90}));
}

}  // namespace

TEST(ValueZoneTest, AnOffScaleRejectFillsTheWholeWellOnEitherSide) {
    using zelapp::fillsWholeWell;
    using zelapp::OffScale;
    EXPECT_TRUE(fillsWholeWell(BarZone::Reject, OffScale::Below));
    EXPECT_TRUE(fillsWholeWell(BarZone::Reject, OffScale::Above));
    // On the scale the fill shows where the reading stands.
    EXPECT_FALSE(fillsWholeWell(BarZone::Reject, OffScale::None));
    // Only a reject: a probe or a channel in its limits beyond a narrow scale keeps its bar.
    for (BarZone zone : {BarZone::Neutral, BarZone::Good, BarZone::Approach}) {
        EXPECT_FALSE(fillsWholeWell(zone, OffScale::Below));
        EXPECT_FALSE(fillsWholeWell(zone, OffScale::Above));
    }
}
