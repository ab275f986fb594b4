// The one table of verdict marks: each verdict's zone, its symbol with its side, and the zone's
// colour, as the grid, the bars, the history's table and the result window all show them.
#include "model/verdict_marks.h"

#include <gtest/gtest.h>

#include <QSet>
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
    EXPECT_EQ(zelapp::zoneColourOf(c.zone).has_value(), c.zone != BarZone::Neutral);
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
    const auto good = zelapp::zoneColourOf(BarZone::Good);
    const auto approach = zelapp::zoneColourOf(BarZone::Approach);
    const auto reject = zelapp::zoneColourOf(BarZone::Reject);
    EXPECT_NE(good, approach);
    EXPECT_NE(approach, reject);
    EXPECT_NE(good, reject);
}

}  // namespace
