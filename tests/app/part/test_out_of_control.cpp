// What the result window says of a part out of control: the line with each channel's rules, the
// part the cause is asked for (the newest, or the one being typed for) and how many more wait.
#include <gtest/gtest.h>

#include <string>

#include "part/out_of_control.h"

using namespace Qt::StringLiterals;
using zelapp::AwaitedCause;
using zelapp::CausePanel;

namespace {

TEST(OutOfControlText, OneRuleSingularSeveralListedChannelsJoined) {
    EXPECT_EQ(zelapp::outOfControlText({}), QString());
    EXPECT_EQ(zelapp::outOfControlText({{3, {2}}}), u"Out of control: C3, rule 2"_s);
    EXPECT_EQ(zelapp::outOfControlText({{3, {2}}, {5, {1, 4}}}),
              u"Out of control: C3, rule 2; C5, rules 1, 4"_s);
    EXPECT_EQ(zelapp::storedRules({2, 5}), u"2,5"_s);
    EXPECT_EQ(zelapp::awaitedCountText(0), QString());
    EXPECT_EQ(zelapp::awaitedCountText(1), u"1 more part waits for a cause"_s);
    EXPECT_EQ(zelapp::awaitedCountText(3), u"3 more parts wait for a cause"_s);
}

TEST(CausePanelContent, TheNewestPartUnlessTheOneTypedForStillWaits) {
    EXPECT_EQ(zelapp::causePanel({}, 0), CausePanel{});
    EXPECT_EQ(zelapp::causePanel({}, 7), CausePanel{}) << "nothing awaited: hidden";
    const std::vector<AwaitedCause> awaited{
        {7, 3, u"2"_s, {}}, {7, 5, u"1,4"_s, {}}, {9, 1, u"1"_s, {}}, {12, 2, u"8"_s, {}}};
    EXPECT_EQ(zelapp::causePanel(awaited, 0), (CausePanel{12, u"Out of control: C2, rule 8"_s,
                                                          u"2 more parts wait for a cause"_s}));
    EXPECT_EQ(zelapp::causePanel(awaited, 7),
              (CausePanel{7, u"Out of control: C3, rule 2; C5, rules 1, 4"_s,
                          u"2 more parts wait for a cause"_s}));
    EXPECT_EQ(zelapp::causePanel(awaited, 8).partId, 12) << "8 no longer waits";
    EXPECT_EQ(zelapp::causePanel({awaited[2]}, 0).waiting, QString());
}

// The prompt names each characteristic by its description as the setup has it now, its number
// beside; a channel without one (or no longer in the setup) by its number alone.
struct NameCase {
    const char *name;
    const char16_t *description;
    const char16_t *text;
};

class CharacteristicNamed : public ::testing::TestWithParam<NameCase> {};

TEST_P(CharacteristicNamed, ByItsDescriptionWithItsNumber) {
    const NameCase &c = GetParam();
    const auto describe = [&c](int channel) {
        return channel == 10 ? QString::fromUtf16(c.description) : QString();
    };
    const std::vector<AwaitedCause> awaited{{4, 10, u"1"_s, {}}, {4, 2, u"2,5"_s, {}}};
    EXPECT_EQ(zelapp::causePanel(awaited, 0, describe).text, QString::fromUtf16(c.text));
}

const NameCase kNameCases[] = {
    {"Described", u"Runout", u"Out of control: Runout (C10), rule 1; C2, rules 2, 5"},
    {"SpacesTrimmed", u"  Runout ", u"Out of control: Runout (C10), rule 1; C2, rules 2, 5"},
    {"NoDescription", u"", u"Out of control: C10, rule 1; C2, rules 2, 5"},
    {"BlankDescription", u"   ", u"Out of control: C10, rule 1; C2, rules 2, 5"},
};
INSTANTIATE_TEST_SUITE_P(OutOfControlText, CharacteristicNamed, ::testing::ValuesIn(kNameCases),
                         [](const auto &info) { return std::string(info.param.name); });

}  // namespace
