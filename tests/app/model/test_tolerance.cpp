// The tolerance rule: a value as the operator reads it, against the channel's four limits.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <optional>

#include "fake_unit.h"
#include "model/channel.h"
#include "model/tolerance.h"
#include "scripted_prompter.h"

using zelapp::ToleranceLimits;
using Verdict = zelapp::ToleranceVerdict;

namespace {

// The channel defaults: LoTol, LoAppr, HiAppr, HiTol.
constexpr ToleranceLimits kDefault{-0.01f, -0.009f, 0.009f, 0.01f};

TEST(ToleranceRule, JudgesTheShownValueAgainstTheLimitsAsDecimals) {
    const float inf = std::numeric_limits<float>::infinity();
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        const char *why;
        std::optional<float> value;
        int decimals;
        ToleranceLimits limits;
        Verdict verdict;
    } cases[] = {
        {"middle", 0.0f, 5, kDefault, Verdict::Good},
        {"on the high approach limit", 0.009f, 5, kDefault, Verdict::Good},
        {"rounds onto it", 0.009004f, 5, kDefault, Verdict::Good},
        {"rounds beyond it", 0.009005f, 5, kDefault, Verdict::WarningPlus},
        {"on the high tolerance limit", 0.01f, 5, kDefault, Verdict::WarningPlus},
        {"reads 0.01000", 0.010004f, 5, kDefault, Verdict::WarningPlus},
        {"reads 0.01001", 0.010005f, 5, kDefault, Verdict::RejectPlus},
        {"above, unrounded", 0.0101f, 5, kDefault, Verdict::RejectPlus},
        {"low side, rounds beyond approach", -0.009005f, 5, kDefault, Verdict::WarningMinus},
        {"reads -0.01000", -0.010004f, 5, kDefault, Verdict::WarningMinus},
        {"reads -0.01001", -0.010005f, 5, kDefault, Verdict::RejectMinus},
        // "-0.00000" is zero, on a low tolerance of 0; "-0.00001" is below it.
        {"negative rounding to zero", -0.000004f, 5, {0, 0, 0.009f, 0.01f}, Verdict::Good},
        {"negative rounding away", -0.000005f, 5, {0, 0, 0.009f, 0.01f}, Verdict::RejectMinus},
        // Whole numbers: 0.5 reads 1, 1.5 reads 2.
        {"0 decimals, reads 0", 0.4f, 0, {-1, -0.5f, 0.5f, 1}, Verdict::Good},
        {"0 decimals, reads 1", 0.5f, 0, {-1, -0.5f, 0.5f, 1}, Verdict::WarningPlus},
        {"0 decimals, 1.4 reads 1", 1.4f, 0, {-1, -0.5f, 0.5f, 1}, Verdict::WarningPlus},
        {"0 decimals, reads 2", 1.5f, 0, {-1, -0.5f, 0.5f, 1}, Verdict::RejectPlus},
        {"0 decimals, reads -2", -1.5f, 0, {-1, -0.5f, 0.5f, 1}, Verdict::RejectMinus},
        // Limits from a file in any order: each pair low/high.
        {"reversed", 0.0095f, 5, {0.01f, 0.009f, -0.009f, -0.01f}, Verdict::WarningPlus},
        {"reversed, below", -0.02f, 5, {0.01f, 0.009f, -0.009f, -0.01f}, Verdict::RejectMinus},
        // Approach limits outside the tolerance band are held to it: no warning zone.
        {"wide approach", 0.01f, 5, {-0.01f, -0.02f, 0.02f, 0.01f}, Verdict::Good},
        {"wide approach, above", 0.015f, 5, {-0.01f, -0.02f, 0.02f, 0.01f}, Verdict::RejectPlus},
        {"all limits equal", 0.0f, 5, {0, 0, 0, 0}, Verdict::Good},
        {"no reading", std::nullopt, 5, kDefault, Verdict::NotValid},
        {"NaN", nan, 5, kDefault, Verdict::NotValid},
        {"infinity", inf, 5, kDefault, Verdict::NotValid},
        {"minus infinity", -inf, 5, kDefault, Verdict::NotValid},
        {"NaN limit", 0.0f, 5, {nan, -0.009f, 0.009f, 0.01f}, Verdict::NotValid},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(zelapp::judgeTolerance(c.value, c.decimals, c.limits), c.verdict) << c.why;
    }
}

TEST(ToleranceRule, AChannelIsJudgedAtItsDecimalsAndWithoutAFormulaIsNotValid) {
    zeltest::FakeUnit unit;
    zeltest::ScriptedPrompter prompter;
    zelapp::AppState state;
    zelapp::Channel channel({unit, prompter, state});
    channel.SetDefaults(1);
    EXPECT_EQ(zelapp::judgeChannel(channel, 0.0f), Verdict::NotValid);

    channel.setFormula(QStringLiteral("T1"));
    EXPECT_EQ(zelapp::judgeChannel(channel, 0.0102f), Verdict::RejectPlus);
    channel.Decimals = 2;  // reads 0.01
    EXPECT_EQ(zelapp::judgeChannel(channel, 0.0102f), Verdict::WarningPlus);
    EXPECT_EQ(zelapp::judgeChannel(channel, std::nullopt), Verdict::NotValid);
}

}  // namespace
