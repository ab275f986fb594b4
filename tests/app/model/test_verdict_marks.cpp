// The one table of verdict marks: each verdict's zone, its symbol with its side, and the zone's
// colour, as the grid, the bars, the history's table and the result window all show them.
#include "model/verdict_marks.h"

#include <gtest/gtest.h>

#include <QSet>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "model/part_result.h"

using zelapp::BarZone;
using zelapp::ToleranceVerdict;

namespace {

struct MarkCase {
    const char *name;
    ToleranceVerdict verdict;
    BarZone zone;
    const char16_t *symbol;
    const char16_t *side;
};

class VerdictMarksTest : public ::testing::TestWithParam<MarkCase> {};

TEST_P(VerdictMarksTest, EachVerdictHasItsZoneItsKindsSymbolAndItsSidesTriangle) {
    const MarkCase &c = GetParam();
    EXPECT_EQ(zelapp::barZoneOf(c.verdict), c.zone);
    EXPECT_EQ(zelapp::sideTriangle(c.verdict), QString::fromUtf16(c.side));
    const QString side = QString::fromUtf16(c.side);
    EXPECT_EQ(zelapp::verdictSymbol(c.verdict), side.isEmpty()
                                                    ? QString::fromUtf16(c.symbol)
                                                    : QString::fromUtf16(c.symbol) + u' ' + side);
    // The triangle follows the verdict's side; a neutral zone has no colour.
    const int sign = zelapp::verdictSide(c.verdict);
    EXPECT_EQ(side, sign > 0 ? u"▲" : sign < 0 ? u"▼" : u"");
    for (const auto palette : {zelapp::ResultPalette::Standard, zelapp::ResultPalette::OkabeIto}) {
        EXPECT_EQ(zelapp::zoneColourOf(c.zone, palette).has_value(), c.zone != BarZone::Neutral);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Verdicts, VerdictMarksTest,
    ::testing::Values(
        MarkCase{"Good", ToleranceVerdict::Good, BarZone::Good, u"✔", u""},
        MarkCase{"WarningPlus", ToleranceVerdict::WarningPlus, BarZone::Approach, u"⚠", u"▲"},
        MarkCase{"WarningMinus", ToleranceVerdict::WarningMinus, BarZone::Approach, u"⚠", u"▼"},
        MarkCase{"RejectPlus", ToleranceVerdict::RejectPlus, BarZone::Reject, u"✖", u"▲"},
        MarkCase{"RejectMinus", ToleranceVerdict::RejectMinus, BarZone::Reject, u"✖", u"▼"},
        MarkCase{"NotValid", ToleranceVerdict::NotValid, BarZone::Neutral, u"∅", u""}),
    [](const ::testing::TestParamInfo<MarkCase> &info) { return std::string(info.param.name); });

TEST(VerdictMarksTest, EveryVerdictReadsApartWithoutColour) {
    const QStringList symbols = zelapp::verdictSymbols();
    EXPECT_EQ(symbols.size(), 6);
    EXPECT_EQ(QSet<QString>(symbols.begin(), symbols.end()).size(), symbols.size());
}

// ---- The zones' colours as a reader with deuteranopia sees them ----
// Machado, Oliveira and Fernandes (2009), "A physiologically-based model for simulation of
// color vision deficiency", deuteranopia at severity 1.0, applied to linear sRGB; the result is
// compared in CIELAB (D65) and by WCAG's contrast ratio.
struct Lab {
    double l, a, b;
};

double linear(int c) {
    const double v = c / 255.0;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

std::array<double, 3> deuteranope(const zelapp::Rgb &c) {
    constexpr double m[3][3] = {{0.367322, 0.860646, -0.227968},
                                {0.280085, 0.672501, 0.047413},
                                {-0.011820, 0.042940, 0.968881}};
    const double in[3] = {linear(c.red), linear(c.green), linear(c.blue)};
    std::array<double, 3> out{};
    for (int i = 0; i < 3; ++i) {
        out[i] = std::clamp(m[i][0] * in[0] + m[i][1] * in[1] + m[i][2] * in[2], 0.0, 1.0);
    }
    return out;
}

double luminanceOf(const std::array<double, 3> &rgb) {
    return 0.2126 * rgb[0] + 0.7152 * rgb[1] + 0.0722 * rgb[2];
}

Lab labOf(const std::array<double, 3> &rgb) {
    const double x = (0.4124 * rgb[0] + 0.3576 * rgb[1] + 0.1805 * rgb[2]) / 0.95047;
    const double y = luminanceOf(rgb);
    const double z = (0.0193 * rgb[0] + 0.1192 * rgb[1] + 0.9505 * rgb[2]) / 1.08883;
    const auto f = [](double t) { return t > 0.008856 ? std::cbrt(t) : 7.787 * t + 16.0 / 116; };
    return {116 * f(y) - 16, 500 * (f(x) - f(y)), 200 * (f(y) - f(z))};
}

// Told apart when the simulated colours differ in lightness by a WCAG contrast of 1.5 or more
// (what a bar's or cell's edge needs at a glance) and by a CIELAB distance (lightness and hue)
// of 30 or more; GOOD against REJECT, the pair the parts are sorted by, besides by a hue distance
// (the a*b* plane alone) of 40 or more, so that not lightness alone carries it. The standard
// palette's green and red measure 1.22, 17 and 16: both look olive.
struct ZonePair {
    const char *name;
    zelapp::ResultPalette palette;
    BarZone first;
    BarZone second;
    double hueAtLeast;  // 0: lightness may carry it
    bool toldApart;
};

class DeuteranopiaTest : public ::testing::TestWithParam<ZonePair> {};

TEST_P(DeuteranopiaTest, ZonesStayApartForARedGreenBlindReader) {
    const ZonePair &c = GetParam();
    const auto first = deuteranope(*zelapp::zoneColourOf(c.first, c.palette));
    const auto second = deuteranope(*zelapp::zoneColourOf(c.second, c.palette));
    const double l1 = luminanceOf(first);
    const double l2 = luminanceOf(second);
    const double contrast = (std::max(l1, l2) + 0.05) / (std::min(l1, l2) + 0.05);
    const Lab a = labOf(first);
    const Lab b = labOf(second);
    const double hue = std::hypot(a.a - b.a, a.b - b.b);
    const double distance = std::hypot(a.l - b.l, hue);
    const bool apart = contrast >= 1.5 && distance >= 30 && hue >= c.hueAtLeast;
    EXPECT_EQ(apart, c.toldApart) << "contrast " << contrast << ", distance " << distance
                                  << ", hue distance " << hue;
}

using zelapp::ResultPalette;
INSTANTIATE_TEST_SUITE_P(
    Zones, DeuteranopiaTest,
    ::testing::Values(
        ZonePair{"SafeGoodReject", ResultPalette::OkabeIto, BarZone::Good, BarZone::Reject, 40,
                 true},
        ZonePair{"SafeGoodApproach", ResultPalette::OkabeIto, BarZone::Good, BarZone::Approach, 40,
                 true},
        ZonePair{"SafeApproachReject", ResultPalette::OkabeIto, BarZone::Approach, BarZone::Reject,
                 0, true},
        // Why the safe palette is offered: the standard green and red look the same olive.
        ZonePair{"StandardGoodReject", ResultPalette::Standard, BarZone::Good, BarZone::Reject, 40,
                 false},
        ZonePair{"StandardApproachReject", ResultPalette::Standard, BarZone::Approach,
                 BarZone::Reject, 0, true}),
    [](const ::testing::TestParamInfo<ZonePair> &info) { return std::string(info.param.name); });

}  // namespace
