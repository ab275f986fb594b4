// The result tile's tolerance bar without drawing it: where its zones, its marker and its arrow
// fall for values within, near and beyond the limits, limits in any order, one-sided ones, and
// where there is no band or no room to draw one.
#include "part/tolerance_bar.h"

#include <gtest/gtest.h>

#include <limits>
#include <string>

using zelapp::BarSpan;
using zelapp::BarZone;
using zelapp::ToleranceLimits;
using zelapp::ToleranceVerdict;

namespace {

constexpr ToleranceLimits kBoth{-0.05f, -0.04f, 0.04f, 0.05f};
constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
// 110 x 10 pixels: 10 at each end for the arrow, the zones over the 90 between.
const std::vector<BarSpan> kBothSpans{
    {10, 19, BarZone::Approach}, {19, 91, BarZone::Good}, {91, 100, BarZone::Approach}};

struct BarCase {
    const char *name;
    ToleranceLimits limits;
    std::optional<float> value;
    ToleranceVerdict verdict;
    int width;
    std::vector<BarSpan> spans;
    std::optional<int> marker;
    int beyond;
};

class ToleranceBarTest : public ::testing::TestWithParam<BarCase> {};

TEST_P(ToleranceBarTest, ZonesMarkerAndArrowFallWhereTheValueStands) {
    const BarCase &c = GetParam();
    const zelapp::ToleranceBar bar =
        zelapp::toleranceBar(c.limits, c.value, c.verdict, c.width, 10);
    EXPECT_EQ(bar.spans, c.spans);
    EXPECT_EQ(bar.marker, c.marker);
    EXPECT_EQ(bar.beyond, c.beyond);
    // Marker and zones stay inside the bar, clear of the arrows' room.
    if (!bar.spans.empty()) {
        EXPECT_EQ(bar.spans.front().left, bar.arrowWidth);
        EXPECT_EQ(bar.spans.back().right, c.width - bar.arrowWidth);
    }
}

const BarCase kBarCases[] = {
    {"Middle", kBoth, 0.0f, ToleranceVerdict::Good, 110, kBothSpans, 55, 0},
    {"NearTheHighLimit", kBoth, 0.046f, ToleranceVerdict::WarningPlus, 110, kBothSpans, 96, 0},
    {"OnTheLowLimit", kBoth, -0.05f, ToleranceVerdict::WarningMinus, 110, kBothSpans, 10, 0},
    {"OnTheHighLimitHeldInside", kBoth, 0.05f, ToleranceVerdict::WarningPlus, 110, kBothSpans, 99,
     0},
    {"BeyondHigh", kBoth, 0.061f, ToleranceVerdict::RejectPlus, 110, kBothSpans, 99, 1},
    {"FarBeyondLow", kBoth, -7.0f, ToleranceVerdict::RejectMinus, 110, kBothSpans, 10, -1},
    // The verdict, judged at the shown digits, decides the side: the arrow agrees with the mark.
    {"RoundedInside", kBoth, 0.05004f, ToleranceVerdict::WarningPlus, 110, kBothSpans, 99, 0},
    {"NotValidHasNoMarker", kBoth, std::nullopt, ToleranceVerdict::NotValid, 110, kBothSpans,
     std::nullopt, 0},
    {"NoPartYet", kBoth, std::nullopt, ToleranceVerdict::NotValid, 110, kBothSpans, std::nullopt,
     0},
    {"LimitsOutOfOrder",
     {0.05f, 0.04f, -0.04f, -0.05f},
     0.0f,
     ToleranceVerdict::Good,
     110,
     kBothSpans,
     55,
     0},
    // Run-out: nothing below 0, so its low limits are 0 and there is no low approach zone.
    {"UpperOnly",
     {0, 0, 0.02f, 0.03f},
     0.01f,
     ToleranceVerdict::Good,
     110,
     {{10, 70, BarZone::Good}, {70, 100, BarZone::Approach}},
     40,
     0},
    {"NoBand", {0, 0, 0, 0}, 0.0f, ToleranceVerdict::Good, 110, {}, std::nullopt, 0},
    {"ALimitIsNoNumber",
     {-0.05f, kNaN, 0.04f, 0.05f},
     0.0f,
     ToleranceVerdict::NotValid,
     110,
     {},
     std::nullopt,
     0},
    {"TooNarrow",
     kBoth,
     0.0f,
     ToleranceVerdict::Good,
     zelapp::kLeastToleranceBarWidth - 1,
     {},
     std::nullopt,
     0},
};
INSTANTIATE_TEST_SUITE_P(ResultTile, ToleranceBarTest, ::testing::ValuesIn(kBarCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
