// A characteristic read through MAX, MIN or TIR needs the program's Dynamic time: without it the
// unit's MAX/MIN are read at once after being cleared and every part would pass. Such a program
// judges nothing until it has the time, and names each such characteristic.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "setup/part_program.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;

namespace {

struct DynamicCase {
    const char *name;
    std::vector<const char16_t *> formulas;  // channels 1.. of a four-channel setup
    std::vector<int> characteristics;
    int dynamicTimeMs;
    std::vector<int> missing;  // dynamicWithoutTime
    std::vector<int> judged;   // effectiveCharacteristics
};

class DynamicCharacteristics : public ::testing::TestWithParam<DynamicCase> {};

TEST_P(DynamicCharacteristics, NeedTheDynamicTimeOrNothingIsJudged) {
    const DynamicCase &c = GetParam();
    zeltest::SetupFixture f(4, 4, 1);
    for (std::size_t i = 0; i < c.formulas.size(); ++i) {
        f.setup.channel(int(i) + 1)->setFormula(QString::fromUtf16(c.formulas[i]));
    }
    zelapp::PartProgram p;
    p.characteristics = c.characteristics;
    p.dynamicTimeMs = c.dynamicTimeMs;
    EXPECT_EQ(zelapp::dynamicWithoutTime(p, f.setup), c.missing);
    EXPECT_EQ(zelapp::effectiveCharacteristics(p, f.setup), c.judged);
}

const DynamicCase kDynamicCases[] = {
    {"StaticOnly", {u"T1", u"T2"}, {}, 0, {}, {1, 2}},
    {"TirWithoutTime", {u"T1", u"TIR(C1)"}, {}, 0, {2}, {}},
    {"TirWithTime", {u"T1", u"TIR(C1)"}, {}, 1, {}, {1, 2}},
    {"ThroughAnotherChannel", {u"max(c1)", u"T2", u"C1-C2"}, {3}, 0, {3}, {}},
    {"MinInAnyCase", {u"T1", u"min (C1)"}, {2, 1}, 0, {2}, {}},
    {"NotChosenIsNoMatter", {u"T1", u"TIR(C1)"}, {1}, 0, {}, {1}},
    {"WithoutFormulaIsPassedOver", {u"T1", u""}, {2, 1}, 0, {}, {1}},
    {"ARingOfChannelsEnds", {u"C2", u"C1+MAX(C3)", u"T1"}, {1}, 0, {1}, {}},
};

INSTANTIATE_TEST_SUITE_P(PartProgram, DynamicCharacteristics, ::testing::ValuesIn(kDynamicCases),
                         [](const ::testing::TestParamInfo<DynamicCase> &info) {
                             return std::string(info.param.name);
                         });

TEST(DynamicCharacteristics, AreNamedByDescriptionAndNumber) {
    zeltest::SetupFixture f(2, 2, 1);
    f.setup.channel(1)->Description = u" Runout "_s;
    f.setup.channel(2)->Description.clear();
    EXPECT_EQ(zelapp::needsDynamicTimeText(f.setup, 1),
              u"Runout (C1) is measured while the part turns: give it a Dynamic time"_s);
    EXPECT_EQ(zelapp::characteristicName(f.setup, 2), u"C2"_s);
}

}  // namespace
