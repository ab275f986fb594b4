// Channel formulas: what they compute, what they read and which status each kind of bad text
// gets.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "formula.h"

namespace zeltest {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;
using zelunit::CompiledFormula;
using zelunit::compileFormula;
using zelunit::EvalInputs;
using zelunit::FormulaLimits;
using zelunit::Op;

// T1..T8 out of order so that ranges have an inner maximum and minimum; C2 stands out of C1..C3.
struct Readings {
    double probes[9] = {0, 3, -1, 7, 2, 5, 0, 1, 4};
    double analogs[2] = {0, 0.5};
    double channels[256] = {};
    double channelMin[256] = {};
    double channelMax[256] = {};

    Readings() {
        for (int n = 1; n < 256; ++n) {
            channels[n] = n;
            channelMin[n] = -n;
            channelMax[n] = 2 * n;
        }
        channels[2] = 50;
    }
    EvalInputs inputs() const { return {probes, analogs, channels, channelMin, channelMax}; }
};

std::uint8_t statusOf(const std::string &text, const FormulaLimits &limits = {}) {
    return compileFormula(text, limits).status;
}

std::string repeat(const std::string &part, int times) {
    std::string text;
    for (int i = 0; i < times; ++i) {
        text += part;
    }
    return text;
}

struct ValueCase {
    const char *text;
    double expected;
};

class FormulaValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(FormulaValue, Computes) {
    auto result = compileFormula(GetParam().text, {});
    ASSERT_EQ(result.status, 0);
    EXPECT_DOUBLE_EQ(zelunit::evaluate(result.formula, Readings().inputs()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Operators, FormulaValue,
    ::testing::Values(ValueCase{"2+3", 5}, ValueCase{"2-3-4", -5}, ValueCase{"8/4/2", 1},
                      ValueCase{"2+3*4", 14}, ValueCase{"(2+3)*4", 20}, ValueCase{"10-2*3+4", 8},
                      ValueCase{"2*3-4/2", 4}, ValueCase{"-T1+T2", -4}, ValueCase{"2*-3", -6},
                      ValueCase{"2--3", 5}, ValueCase{"-+-2", 2}, ValueCase{"+T1", 3},
                      ValueCase{"T1/0", 0}, ValueCase{"0/0", 0}, ValueCase{"T3/(T2+1)", 0}));

INSTANTIATE_TEST_SUITE_P(
    Numbers, FormulaValue,
    ::testing::Values(ValueCase{"12", 12}, ValueCase{"1.5", 1.5}, ValueCase{".5", 0.5},
                      ValueCase{"5.", 5}, ValueCase{"1E-3", double(1e-3f)},
                      ValueCase{"2.5e+2", 250}, ValueCase{"1.E2", 100}, ValueCase{"4e0", 4},
                      ValueCase{"0.1", double(0.1f)}, ValueCase{"007", 7},
                      ValueCase{"3.4E38", double(3.4e38f)}, ValueCase{"-3.4E38", double(-3.4e38f)},
                      ValueCase{"1E-50", 0}, ValueCase{"0E99999", 0}));

INSTANTIATE_TEST_SUITE_P(CaseAndBlanks, FormulaValue,
                         ::testing::Values(ValueCase{"t1 + a1", 3.5}, ValueCase{"sQrT ( 16 )", 4},
                                           ValueCase{"\tC 1 0 ", 10}, ValueCase{"1 2", 12},
                                           ValueCase{"1 . 5 e 1", 15}, ValueCase{"T01", 3},
                                           ValueCase{"g o r ( t 1 : t 8 )", 7}));

INSTANTIATE_TEST_SUITE_P(Functions, FormulaValue,
                         ::testing::Values(ValueCase{"T3", 7}, ValueCase{"A1", 0.5},
                                           ValueCase{"C2", 50}, ValueCase{"C255", 255},
                                           ValueCase{"ABS(-2.5)", 2.5}, ValueCase{"ABS(T1-T3)", 4},
                                           ValueCase{"ABS(ABS(-1)-3)", 2},
                                           ValueCase{"SQRT(T1*3)", 3}, ValueCase{"SQRT(-4)", 0},
                                           ValueCase{"MAX(C5)", 10}, ValueCase{"MIN(C5)", -5},
                                           ValueCase{"TIR(C5)", 15},
                                           ValueCase{"C5-MIN(C5)*2", 15}));

INSTANTIATE_TEST_SUITE_P(
    Sets, FormulaValue,
    ::testing::Values(ValueCase{"GOR(T1:T8)", 7}, ValueCase{"LOR(T1:T8)", -1},
                      ValueCase{"GOR(T1,T2)", 3}, ValueCase{"LOR(T1,T4)", 2},
                      ValueCase{"GOR(T4)", 2}, ValueCase{"GOR(T2:T2)", -1},
                      ValueCase{"GOR(T1:T2,T8)", 4}, ValueCase{"LOR(T3:T5,T8)", 2},
                      ValueCase{"GOR(T8,T7,T4:T6)", 5}, ValueCase{"GOR(C1:C3)", 50},
                      ValueCase{"LOR(C1:C3)", 1}, ValueCase{"GOR(A1)", 0.5},
                      ValueCase{"GOR(T1:T4)-LOR(T1:T4)", 8}, ValueCase{"ABS(LOR(T1:T3))", 1}));

struct ErrorCase {
    const char *text;
    int status;
};

class FormulaError : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(FormulaError, IsRejected) {
    auto result = compileFormula(GetParam().text, {});
    EXPECT_EQ(result.status, GetParam().status);
    EXPECT_THAT(result.formula.code, IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(NoSuchChannel, FormulaError,
                         ::testing::Values(ErrorCase{"C0", 10}, ErrorCase{"C256", 10},
                                           ErrorCase{"MAX(C0)", 10}, ErrorCase{"TIR(C300)", 10},
                                           ErrorCase{"GOR(C250:C256)", 10},
                                           ErrorCase{"LOR(C0:C3)", 10}));

INSTANTIATE_TEST_SUITE_P(
    Misplaced, FormulaError,
    ::testing::Values(ErrorCase{"T1T2", 12}, ErrorCase{"T1 T2", 12}, ErrorCase{"2T1", 12},
                      ErrorCase{"*T1", 12}, ErrorCase{"T1+*T2", 12}, ErrorCase{"T1+)", 12},
                      ErrorCase{")", 12}, ErrorCase{"()", 12}, ErrorCase{"(T1,T2)", 12},
                      ErrorCase{"T1:T2", 12}, ErrorCase{"2(T1)", 12}, ErrorCase{"ABS(,T1)", 12},
                      ErrorCase{"$", 12}, ErrorCase{"T1#2", 12}, ErrorCase{"T1;", 12},
                      ErrorCase{"T1+$", 12}, ErrorCase{"T1FOO", 12}, ErrorCase{"1E3E4", 12}));

INSTANTIATE_TEST_SUITE_P(Unbalanced, FormulaError,
                         ::testing::Values(ErrorCase{"(T1", 13}, ErrorCase{"T1)", 13},
                                           ErrorCase{"(T1))", 13}, ErrorCase{"((T1)", 13},
                                           ErrorCase{"T1)+(", 13}, ErrorCase{"ABS(T1", 13},
                                           ErrorCase{"MAX(C1", 13}, ErrorCase{"GOR(T1,T2", 13},
                                           ErrorCase{"GOR(T1:T3", 13}));

INSTANTIATE_TEST_SUITE_P(NoSuchInput, FormulaError,
                         ::testing::Values(ErrorCase{"T0", 15}, ErrorCase{"T9", 15},
                                           ErrorCase{"A0", 15}, ErrorCase{"A2", 15},
                                           ErrorCase{"GOR(T1:T9)", 15}, ErrorCase{"LOR(A1,A2)", 15},
                                           ErrorCase{"T99999999999999", 15}));

INSTANTIATE_TEST_SUITE_P(
    BadArguments, FormulaError,
    ::testing::Values(ErrorCase{"ABS T1", 16}, ErrorCase{"ABS", 16}, ErrorCase{"SQRT", 16},
                      ErrorCase{"GOR T1", 16}, ErrorCase{"ABS()", 16}, ErrorCase{"ABS(T1,T2)", 16},
                      ErrorCase{"SQRT(T1,", 16}, ErrorCase{"MAX(T1)", 16}, ErrorCase{"MAX(T9)", 16},
                      ErrorCase{"MAX(C1+1)", 16}, ErrorCase{"TIR(2)", 16}, ErrorCase{"MIN()", 16},
                      ErrorCase{"TIR(C1,C2)", 16}, ErrorCase{"MAX(-C1)", 16},
                      ErrorCase{"MAX((C1))", 16}, ErrorCase{"ABSOLUTE(T1)", 16}));

INSTANTIATE_TEST_SUITE_P(BadNumber, FormulaError,
                         ::testing::Values(ErrorCase{"1.2.3", 17}, ErrorCase{"1E", 17},
                                           ErrorCase{"1E+", 17}, ErrorCase{".", 17},
                                           ErrorCase{"1..2", 17}, ErrorCase{".E1", 17},
                                           ErrorCase{"1E3.5", 17}, ErrorCase{"3.5E38", 17},
                                           ErrorCase{"-1E39", 17}, ErrorCase{"T1+1e", 17},
                                           ErrorCase{"MAX(1.2.3)", 17}));

INSTANTIATE_TEST_SUITE_P(UnknownSymbol, FormulaError,
                         ::testing::Values(ErrorCase{"FOO", 18}, ErrorCase{"X1", 18},
                                           ErrorCase{"SIN(T1)", 18}, ErrorCase{"T", 18},
                                           ErrorCase{"A+1", 18}, ErrorCase{"C", 18},
                                           ErrorCase{"TI", 18}, ErrorCase{"T1+Q", 18},
                                           ErrorCase{"E5", 18}, ErrorCase{"MAX(FOO)", 18},
                                           ErrorCase{"GOR(X1)", 18}));

INSTANTIATE_TEST_SUITE_P(OperandMissing, FormulaError,
                         ::testing::Values(ErrorCase{"", 22}, ErrorCase{" \t ", 22},
                                           ErrorCase{"T1+", 22}, ErrorCase{"-", 22},
                                           ErrorCase{"2*", 22}, ErrorCase{"T1--", 22},
                                           ErrorCase{"(", 22}, ErrorCase{"(T1+", 22},
                                           ErrorCase{"ABS(", 22}, ErrorCase{"MAX(", 22},
                                           ErrorCase{"GOR(", 22}, ErrorCase{"GOR(T1,", 22},
                                           ErrorCase{"GOR(T1:", 22}));

INSTANTIATE_TEST_SUITE_P(BadSet, FormulaError,
                         ::testing::Values(ErrorCase{"GOR()", 23}, ErrorCase{"LOR(T1,A1)", 23},
                                           ErrorCase{"LOR(C1,T1)", 23}, ErrorCase{"GOR(T1:A1)", 23},
                                           ErrorCase{"GOR(T3:T1)", 23}, ErrorCase{"GOR(T1+T2)", 23},
                                           ErrorCase{"GOR(2)", 23}, ErrorCase{"GOR(-T1)", 23},
                                           ErrorCase{"GOR((T1))", 23},
                                           ErrorCase{"GOR(ABS(T1))", 23},
                                           ErrorCase{"GOR(T1,,T2)", 23}, ErrorCase{"GOR(,T1)", 23},
                                           ErrorCase{"GOR(T1:T2:T3)", 23}));

struct LimitsCase {
    FormulaLimits limits;
    const char *text;
    int status;
};

class FormulaUnitLimits : public ::testing::TestWithParam<LimitsCase> {};

TEST_P(FormulaUnitLimits, RefusesWhatTheUnitLacks) {
    EXPECT_EQ(statusOf(GetParam().text, GetParam().limits), GetParam().status);
}

INSTANTIATE_TEST_SUITE_P(
    Bounds, FormulaUnitLimits,
    ::testing::Values(LimitsCase{{4, 1, 255}, "T4", 0}, LimitsCase{{4, 1, 255}, "T5", 15},
                      LimitsCase{{4, 1, 255}, "GOR(T1:T5)", 15}, LimitsCase{{-1, 1, 255}, "T1", 15},
                      LimitsCase{{8, 0, 255}, "A1", 15}, LimitsCase{{8, 4, 255}, "LOR(A1:A4)", 0},
                      LimitsCase{{8, 1, 10}, "C10", 0}, LimitsCase{{8, 1, 10}, "C11", 10},
                      LimitsCase{{8, 1, 10}, "MAX(C11)", 10},
                      LimitsCase{{8, 1, 10}, "GOR(C1:C11)", 10},
                      LimitsCase{{8, 1, 1000}, "C255", 0}, LimitsCase{{8, 1, 1000}, "C256", 10},
                      LimitsCase{{300, 1, 255}, "T256", 15}));

TEST(FormulaCode, SetItemsBecomeRangesJoinedPairwise) {
    auto result = compileFormula("LOR(C3, C1:C2, C9)", {});
    ASSERT_EQ(result.status, 0);
    const auto &code = result.formula.code;
    ASSERT_EQ(code.size(), 5u);
    EXPECT_EQ(code[0].op, Op::RangeMin);
    EXPECT_EQ(code[0].a, 2);
    EXPECT_EQ(code[0].b, 3);
    EXPECT_EQ(code[0].c, 3);
    EXPECT_EQ(code[1].op, Op::RangeMin);
    EXPECT_EQ(code[1].b, 1);
    EXPECT_EQ(code[1].c, 2);
    EXPECT_EQ(code[2].op, Op::Min2);
    EXPECT_EQ(code[3].op, Op::RangeMin);
    EXPECT_EQ(code[4].op, Op::Min2);
    EXPECT_EQ(result.formula.codeBytes(), 20u);
}

std::vector<Op> opsOf(const char *text) {
    std::vector<Op> ops;
    for (const auto &instruction : compileFormula(text, {}).formula.code) {
        ops.push_back(instruction.op);
    }
    return ops;
}

TEST(FormulaCode, UnaryMinusBindsTighterThanProduct) {
    EXPECT_THAT(opsOf("-T1*T2"), ElementsAre(Op::Probe, Op::Negate, Op::Probe, Op::Multiply));
}

TEST(FormulaCode, RunOfSignsCostsAtMostOneNegate) {
    EXPECT_THAT(opsOf("---T1"), ElementsAre(Op::Probe, Op::Negate));
    EXPECT_THAT(opsOf("-+-T1"), ElementsAre(Op::Probe));
}

TEST(FormulaChannelRefs, ListsEveryChannelReadOnceInOrder) {
    auto result = compileFormula("C5+MAX(C3)+TIR(C5)+GOR(C7:C9)+LOR(C1)-MIN(C200)+GOR(C8)", {});
    ASSERT_EQ(result.status, 0);
    EXPECT_THAT(result.formula.channelRefs, ElementsAre(1, 3, 5, 7, 8, 9, 200));
}

TEST(FormulaChannelRefs, IsEmptyWithoutChannels) {
    auto result = compileFormula("T1+A1+GOR(T1:T8)+3", {});
    ASSERT_EQ(result.status, 0);
    EXPECT_THAT(result.formula.channelRefs, IsEmpty());
}

std::string nested(const std::string &open, const std::string &inner, int levels) {
    return repeat(open, levels) + inner + repeat(")", levels);
}

TEST(FormulaBounds, NestingUpToTheLimit) {
    EXPECT_EQ(statusOf(nested("(", "T1", zelunit::kMaxNesting)), 0);
    EXPECT_EQ(statusOf(nested("(", "T1", zelunit::kMaxNesting + 1)), 19);
    EXPECT_EQ(statusOf(nested("ABS(", "T1", zelunit::kMaxNesting)), 0);
    EXPECT_EQ(statusOf(nested("ABS(", "T1", zelunit::kMaxNesting + 1)), 19);
    // Calls that take no expression still open a level.
    EXPECT_EQ(statusOf(nested("(", "MAX(C1)", zelunit::kMaxNesting - 1)), 0);
    EXPECT_EQ(statusOf(nested("(", "GOR(T1)", zelunit::kMaxNesting)), 19);
    // The level that goes too deep is reported before the missing rest.
    EXPECT_EQ(statusOf(repeat("(", zelunit::kMaxNesting + 1)), 19);
}

TEST(FormulaBounds, InstructionsUpToTheLimit) {
    // "-T1" is two instructions, each "+T1" two more.
    std::string longest = "-T1" + repeat("+T1", (zelunit::kMaxInstructions - 2) / 2);
    auto result = compileFormula(longest, {});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(result.formula.code.size(), std::size_t(zelunit::kMaxInstructions));
    EXPECT_DOUBLE_EQ(zelunit::evaluate(result.formula, Readings().inputs()), 186);
    EXPECT_EQ(statusOf("ABS(" + longest + ")"), 19);
}

TEST(FormulaBounds, StackDepthUpToTheLimit) {
    // Each "1+1*(" level leaves two values waiting; the innermost sum adds two more.
    int levels = (zelunit::kMaxStackDepth - 2) / 2;
    auto result = compileFormula(nested("1+1*(", "1+1", levels), {});
    ASSERT_EQ(result.status, 0);
    EXPECT_DOUBLE_EQ(zelunit::evaluate(result.formula, {}), 2 + levels);
    EXPECT_EQ(statusOf(nested("1+1*(", "1+1*1", levels)), 19);
    EXPECT_EQ(statusOf(nested("1+1*(", "GOR(T1,T2)", levels)), 0);
    EXPECT_EQ(statusOf(nested("1+1*(", "1+GOR(T1,T2)", levels)), 19);
}

TEST(FormulaBounds, HugeTextsAreRefusedWithoutHarm) {
    const int size = 100000;
    EXPECT_EQ(statusOf(repeat("(", size)), 19);
    EXPECT_EQ(statusOf(repeat("ABS(", size / 4)), 19);
    EXPECT_EQ(statusOf(repeat("T1+", size / 3) + "T1"), 19);
    EXPECT_EQ(statusOf(repeat("9", size)), 17);
    EXPECT_EQ(statusOf("T" + repeat("1", size)), 15);
    EXPECT_EQ(statusOf("1E" + repeat("9", size)), 17);
    EXPECT_EQ(statusOf(repeat("$", size)), 12);
}

TEST(FormulaBounds, HugeTextsThatStayWithinTheLimitsCompile) {
    const int size = 100000;
    const std::pair<std::string, double> cases[] = {
        {repeat("-", size) + "T1", 3},
        {"0." + repeat("0", size) + "1", 0},
        {"T1" + repeat(" ", size), 3},
        {repeat("0", size) + "7", 7},
    };
    for (const auto &[text, expected] : cases) {
        auto result = compileFormula(text, {});
        ASSERT_EQ(result.status, 0);
        EXPECT_EQ(zelunit::evaluate(result.formula, Readings().inputs()), expected);
    }
}

TEST(FormulaEvaluate, EmptyCodeAndMissingInputsReadZero) {
    EXPECT_EQ(zelunit::evaluate(CompiledFormula(), Readings().inputs()), 0);
    auto result = compileFormula("T1+A1+C1+TIR(C1)+GOR(C1:C3)", {});
    ASSERT_EQ(result.status, 0);
    EXPECT_EQ(zelunit::evaluate(result.formula, EvalInputs()), 0);
}

// Arbitrary sequences of the language's own pieces: each compiles or gets a status, and
// whatever compiles stays within the evaluator's bounds (the sanitizers watch the rest).
TEST(FormulaRobustness, ArbitraryTextsNeverBreakTheCompiler) {
    const std::vector<std::string> pieces = {
        "T1", "T8", "A1", "C1", "C3", "(",    ")",     ",",    ":",    "+",    "-",    "*", "/",
        "2",  ".5", "1E", "X",  " ",  "ABS(", "SQRT(", "GOR(", "LOR(", "MAX(", "TIR(", "$"};
    const std::vector<int> statuses = {0, 10, 12, 13, 15, 16, 17, 18, 19, 22, 23};
    std::mt19937 random(8);
    Readings readings;
    int compiled = 0;
    for (int i = 0; i < 20000; ++i) {
        std::string text;
        for (auto n = random() % 24; n > 0; --n) {
            text += pieces[random() % pieces.size()];
        }
        auto result = compileFormula(text, {});
        ASSERT_THAT(statuses, ::testing::Contains(int(result.status))) << text;
        if (result.status == 0) {
            ++compiled;
            ASSERT_LE(result.formula.code.size(), std::size_t(zelunit::kMaxInstructions));
            zelunit::evaluate(result.formula, readings.inputs());
        }
    }
    EXPECT_GT(compiled, 100);
}

}  // namespace
}  // namespace zeltest
