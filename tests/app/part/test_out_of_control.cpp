// What the result window says of a part out of control: the line with each channel's rules, the
// part the cause is asked for (the newest, or the one being typed for) and how many more wait.
#include <gtest/gtest.h>

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

}  // namespace
