// What a formula reads, and what a channel reads through the channels it reads: the ranges end
// where the unit's references end, and a ring of channels is followed once.
#include <gtest/gtest.h>

#include <map>

#include "model/formula_inputs.h"

using namespace Qt::StringLiterals;
using zelapp::FormulaInputs;

TEST(FormulaInputs, ProbesAnalogInputsChannelsAndRangesOfEachKind) {
    EXPECT_EQ(zelapp::formulaInputs(u"(t 1 + T10)/2 - a2 + C3"_s),
              (FormulaInputs{{1, 10}, {2}, {3}, false}));
    EXPECT_EQ(zelapp::formulaInputs(u"GOR(T1:T4, T9) - LOR(A2:A3) + GOR(C5:C6)"_s),
              (FormulaInputs{{1, 2, 3, 4, 9}, {2, 3}, {5, 6}, false}));
    EXPECT_EQ(zelapp::formulaInputs(u"TIR(C2)"_s), (FormulaInputs{{}, {}, {2}, true}));
    EXPECT_TRUE(zelapp::formulaInputs(u"max(c1)"_s).maxMin);
    EXPECT_TRUE(zelapp::formulaInputs(u"M I N (C1)"_s).maxMin);  // blanks count for nothing
    EXPECT_FALSE(zelapp::formulaInputs(u"SQRT(ABS(T1))"_s).maxMin);
    // A range that runs backwards (the unit refuses it) names its two ends; numbers end at 255.
    EXPECT_EQ(zelapp::formulaInputs(u"GOR(T4:T1)"_s).probes, (std::set<int>{1, 4}));
    EXPECT_EQ(zelapp::formulaInputs(u"GOR(T254:T999999)"_s).probes, (std::set<int>{254, 255}));
    EXPECT_EQ(zelapp::formulaInputs(u"T1:A4"_s), (FormulaInputs{{1}, {4}, {}, false}));
    EXPECT_EQ(zelapp::formulaInputs(u""_s), FormulaInputs{});
}

TEST(FormulaInputs, AChannelReadsThroughItsChannelsAndARingIsFollowedOnce) {
    const std::map<int, QString> formulas{{1, u"T1+C2"_s},   {2, u"GOR(T3:T4)-A1"_s},
                                          {3, u"TIR(C1)"_s}, {4, u"C3*2"_s},
                                          {5, u"C6+T7"_s},   {6, u"C5"_s},
                                          {7, u"C7+C99"_s}};
    const auto formulaOf = [&formulas](int n) {
        const auto it = formulas.find(n);
        return it != formulas.end() ? it->second : QString();
    };
    EXPECT_EQ(zelapp::channelInputs(1, formulaOf), (FormulaInputs{{1, 3, 4}, {1}, {2}, false}));
    EXPECT_EQ(zelapp::channelInputs(4, formulaOf),
              (FormulaInputs{{1, 3, 4}, {1}, {1, 2, 3}, true}));  // dynamic through C3
    EXPECT_EQ(zelapp::channelInputs(5, formulaOf), (FormulaInputs{{7}, {}, {5, 6}, false}));
    EXPECT_EQ(zelapp::channelInputs(7, formulaOf), (FormulaInputs{{}, {}, {7, 99}, false}));
}
