// The group setup and group selection dialogs without their windows: filling the lists, making,
// renaming and removing groups, putting channels in and out, the double entry refusal, entries
// naming channels the setup lacks, the chosen group, and the scan holds of View > Group.
#include <gtest/gtest.h>

#include <vector>

#include "dialogs/select_group.h"
#include "dialogs/setup_group.h"
#include "group_list.h"
#include "session_fixture.h"
#include "setup_fixture.h"

using namespace Qt::StringLiterals;

namespace {

struct GroupDialog {
    zeltest::SetupFixture f;
    zelapp::SetupGroupTool tool{f.dialogs};
};

std::vector<int> indexes(const zelapp::Setup &setup) {
    std::vector<int> list;
    for (int i = 1; i <= setup.groupCount(); ++i) {
        list.push_back(setup.groupAt(i)->Index);
    }
    return list;
}

TEST(SetupGroupTool, WithoutGroupsNothingIsSelectedAndNothingChanges) {
    GroupDialog d;
    d.f.setup.channel(3)->Description = u"Height"_s;
    d.tool.Form_Load();
    EXPECT_EQ(d.f.state.ScanHoldCount, 1);
    ASSERT_EQ(d.tool.ListAvailableChannels().size(), 8);
    EXPECT_EQ(d.tool.ListAvailableChannels()[2], u"3 Height"_s);
    EXPECT_EQ(d.tool.availableChannelData(), (QList<int>{1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_TRUE(d.tool.ListGroups().isEmpty());
    EXPECT_TRUE(d.tool.ListChansinGroup().isEmpty());
    EXPECT_EQ(d.tool.selectedGroup(), -1);

    d.tool.editName(u"X"_s);
    d.tool.CmdRenameGroup_Click();
    d.tool.CmdRemoveFromList_Click();
    d.tool.ListAvailableChannels_DblClick(0);
    d.tool.ListChansinGroup_DblClick(0);
    d.tool.ListGroups_Click(0);
    EXPECT_EQ(d.f.setup.groupCount(), 0);
    EXPECT_FALSE(d.f.state.SetupModified);
    EXPECT_TRUE(d.f.prompter.shown.empty());

    d.f.state.ScanHoldCount = 32767;
    d.tool.Form_Load();
    EXPECT_EQ(d.f.state.ScanHoldCount, 32767);
}

TEST(SetupGroupTool, OpeningWithThreeGroupsShowsTheThird) {
    GroupDialog d;
    zeltest::addGroup(d.f.setup, u"Front"_s, {1});
    zeltest::addGroup(d.f.setup, u"Middle"_s, {});
    zeltest::addGroup(d.f.setup, u"Back"_s, {4, 2});
    d.tool.Form_Load();
    EXPECT_EQ(d.tool.ListGroups(), (QStringList{u"Front"_s, u"Middle"_s, u"Back"_s}));
    EXPECT_EQ(d.tool.groupData(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(d.tool.selectedGroup(), 2);
    EXPECT_EQ(d.tool.TextGroupName(), u"Back"_s);
    EXPECT_EQ(d.tool.ListChansinGroup(), (QStringList{u"4 Channel 4"_s, u"2 Channel 2"_s}));
    EXPECT_EQ(d.tool.chansInGroupData(), (QList<int>{4, 2}));

    d.tool.ListGroups_Click(0);
    EXPECT_EQ(d.tool.TextGroupName(), u"Front"_s);
    EXPECT_EQ(d.tool.ListChansinGroup(), QStringList{u"1 Channel 1"_s});

    // The next opening starts from the setup again, not from the lists kept by the tool.
    d.f.setup.removeGroup(3);
    d.tool.Form_Load();
    EXPECT_EQ(d.tool.ListGroups(), (QStringList{u"Front"_s, u"Middle"_s}));
    EXPECT_EQ(d.tool.ListAvailableChannels().size(), 8);
    EXPECT_EQ(d.tool.TextGroupName(), u"Middle"_s);
}

TEST(SetupGroupTool, AChannelTwiceInAGroupIsRefusedWithMessageAndBeep) {
    GroupDialog d;
    d.f.setup.channel(3)->Description = u"Height"_s;
    zeltest::addGroup(d.f.setup, u"Diameters"_s, {3});
    zeltest::addGroup(d.f.setup, u"Other"_s, {});
    d.tool.Form_Load();
    d.tool.ListGroups_Click(0);

    d.tool.ListAvailableChannels_DblClick(2);
    ASSERT_EQ(d.f.prompter.shown.size(), 1u);
    const auto &shown = d.f.prompter.shown[0];
    EXPECT_EQ(
        shown.text,
        u"Double Entry is not allowed\rChannel [3 Height]\ris already in Group [1] Diameters"_s);
    EXPECT_TRUE(shown.title.isEmpty());  // the program's title
    EXPECT_EQ(shown.buttons, zelapp::PromptButtons::Ok);
    EXPECT_EQ(d.f.prompter.beeps, 1);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), std::vector<int>{3});
    EXPECT_EQ(d.tool.ListChansinGroup().size(), 1);
    EXPECT_FALSE(d.f.state.SetupModified);

    // Another channel goes to the end; the same channel in another group is allowed.
    d.tool.ListAvailableChannels_DblClick(7);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{3, 8}));
    EXPECT_EQ(d.tool.ListChansinGroup(), (QStringList{u"3 Height"_s, u"8 Channel 8"_s}));
    EXPECT_TRUE(d.f.state.SetupModified);
    d.tool.ListGroups_Click(1);
    d.tool.ListAvailableChannels_DblClick(2);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(2)), std::vector<int>{3});
    EXPECT_EQ(d.f.prompter.beeps, 1);

    // Rows the list does not have do nothing.
    for (int row : {-1, 8}) {
        d.tool.ListAvailableChannels_DblClick(row);
    }
    EXPECT_EQ(d.f.setup.groupAt(2)->Count, 1);
}

TEST(SetupGroupTool, AddRenameAndRemoveGroupsKeepTheirIndex) {
    GroupDialog d;
    for (const char16_t *name : {u"A", u"B", u"C"}) {
        zeltest::addGroup(d.f.setup, QString::fromUtf16(name), {});
    }
    d.tool.Form_Load();
    d.tool.ListGroups_Click(1);
    d.tool.CmdRemoveFromList_Click();
    EXPECT_EQ(indexes(d.f.setup), (std::vector<int>{1, 3}));
    EXPECT_EQ(d.tool.ListGroups(), (QStringList{u"A"_s, u"C"_s}));
    EXPECT_EQ(d.tool.selectedGroup(), 1);
    EXPECT_EQ(d.tool.TextGroupName(), u"C"_s);
    EXPECT_TRUE(d.f.state.SetupModified);

    d.f.state.SetupModified = false;
    d.tool.editName(u"Rear"_s);
    d.tool.CmdRenameGroup_Click();
    EXPECT_EQ(d.f.setup.groupAt(2)->Description, u"Rear"_s);
    EXPECT_EQ(d.f.setup.groupAt(2)->Index, 3);
    EXPECT_EQ(d.tool.ListGroups(), (QStringList{u"A"_s, u"Rear"_s}));
    EXPECT_TRUE(d.f.state.SetupModified);

    // A new group is numbered after the count, whatever the others' numbers, and any name goes.
    d.tool.editName({});
    d.tool.CmdAddtoList_Click();
    ASSERT_EQ(d.f.setup.groupCount(), 3);
    EXPECT_EQ(d.f.setup.groupAt(3)->Description, QString());
    EXPECT_EQ(d.f.setup.groupAt(3)->Count, 0);
    EXPECT_EQ(indexes(d.f.setup), (std::vector<int>{1, 3, 3}));
    EXPECT_EQ(d.tool.groupData().last(), 3);
    EXPECT_EQ(d.tool.selectedGroup(), 2);
    EXPECT_TRUE(d.tool.ListChansinGroup().isEmpty());

    // Removing every group leaves nothing selected and the buttons without effect.
    for (int i = 0; i < 3; ++i) {
        d.tool.CmdRemoveFromList_Click();
    }
    EXPECT_EQ(d.f.setup.groupCount(), 0);
    EXPECT_EQ(d.tool.selectedGroup(), -1);
    d.tool.CmdRemoveFromList_Click();
    EXPECT_TRUE(d.tool.ListGroups().isEmpty());
}

TEST(SetupGroupTool, RemovingChannelsTakesOnlyThatPositionAndLeavesAnEmptyGroup) {
    GroupDialog d;
    zeltest::addGroup(d.f.setup, u"G"_s, {2, 5, 7});
    d.tool.Form_Load();
    d.tool.ListChansinGroup_DblClick(1);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{2, 7}));
    EXPECT_EQ(d.tool.ListChansinGroup(), (QStringList{u"2 Channel 2"_s, u"7 Channel 7"_s}));
    EXPECT_TRUE(d.f.state.SetupModified);

    d.tool.ListChansinGroup_DblClick(2);  // no such row
    EXPECT_EQ(d.f.setup.groupAt(1)->Count, 2);
    d.tool.ListChansinGroup_DblClick(0);
    d.tool.ListChansinGroup_DblClick(0);
    EXPECT_EQ(d.f.setup.groupAt(1)->Count, 0);
    EXPECT_TRUE(d.tool.ListChansinGroup().isEmpty());

    d.tool.ListAvailableChannels_DblClick(4);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), std::vector<int>{5});
    EXPECT_EQ(d.tool.ListChansinGroup(), QStringList{u"5 Channel 5"_s});
}

TEST(SetupGroupTool, EntriesNamingNoChannelAreListedWithAQuestionMark) {
    GroupDialog d;
    zeltest::addGroup(d.f.setup, u"Stale"_s, {2, 9, 0, -3});  // from a file for more channels
    d.tool.Form_Load();
    EXPECT_EQ(d.tool.ListChansinGroup(),
              (QStringList{u"2 Channel 2"_s, u"9 ?"_s, u"0 ?"_s, u"-3 ?"_s}));
    d.tool.ListChansinGroup_DblClick(1);
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{2, 0, -3}));
    d.tool.ListAvailableChannels_DblClick(7);  // channel 8 is not among them
    EXPECT_EQ(zeltest::channelsOf(*d.f.setup.groupAt(1)), (std::vector<int>{2, 0, -3, 8}));
}

struct SelectDialog {
    zeltest::SetupFixture f;
    zelapp::SelectGroupTool tool{f.dialogs};
    SelectDialog() {
        zeltest::addGroup(f.setup, u"Front"_s, {1});
        zeltest::addGroup(f.setup, u"Middle"_s, {});
        zeltest::addGroup(f.setup, u"Back"_s, {2});
        f.state.CurrentGroup = 1;
    }
};

TEST(SelectGroupTool, OpensOnTheLastGroupAndOkMakesTheSelectedOneCurrent) {
    SelectDialog d;
    d.tool.Form_Load();
    EXPECT_EQ(d.f.state.ScanHoldCount, 1);
    EXPECT_EQ(d.tool.ListGroups(), (QStringList{u"Front"_s, u"Middle"_s, u"Back"_s}));
    EXPECT_EQ(d.tool.groupData(), (QList<int>{1, 2, 3}));
    EXPECT_EQ(d.tool.selectedGroup(), 2);
    d.tool.CmdOk_Click();
    EXPECT_EQ(d.f.state.CurrentGroup, 3);

    // Every opening starts on the last group again; the empty group can be chosen.
    d.tool.ListGroups_Click(1);
    d.tool.Form_Load();
    EXPECT_EQ(d.tool.selectedGroup(), 2);
    EXPECT_TRUE(d.tool.ListGroups_DblClick(1));
    EXPECT_EQ(d.f.state.CurrentGroup, 2);
    EXPECT_FALSE(d.tool.ListGroups_DblClick(3));
    d.tool.ListGroups_Click(-1);
    EXPECT_EQ(d.tool.selectedGroup(), 1);
    EXPECT_EQ(d.f.state.CurrentGroup, 2);
}

TEST(SelectGroupTool, WithoutGroupsOkLeavesTheCurrentGroup) {
    zeltest::SetupFixture f;
    zelapp::SelectGroupTool tool{f.dialogs};
    f.state.CurrentGroup = 4;
    tool.Form_Load();
    EXPECT_EQ(tool.selectedGroup(), -1);
    tool.CmdOk_Click();
    EXPECT_EQ(f.state.CurrentGroup, 4);
}

// View > Group through the session: the dialog's hold is released by the view's refresh, on
// OK and on Cancel alike.
TEST(ViewGroups, AChangeInTheGroupDialogRebuildsAGroupViewAtOnce) {
    zeltest::SessionFixture s;
    ASSERT_EQ(s.start(), zelapp::StartupResult::Running);
    zeltest::addGroup(s.setup(), u"Front"_s, {1, 2});
    zeltest::addGroup(s.setup(), u"Back"_s, {3});
    s.state().ViewType = zelapp::VIEWTYPEGROUPS;
    s.session->commands().EnableGrid_Click();
    zelapp::SetupGroupTool &dialog = s.session->dialogs().setupGroup;
    s.session->commands().SetupGroups_Click();
    dialog.Form_Load();  // what the window's opening does
    const int rebuilds = s.view.gridRebuilds;
    // Group 1 goes: the shown CurrentGroup 1 is now Back, laid out anew before the next tick.
    dialog.ListGroups_Click(0);
    dialog.CmdRemoveFromList_Click();
    EXPECT_EQ(s.view.gridRebuilds, rebuilds + 1);
    s.state().ViewType = zelapp::VIEWTYPECHANNELS;
    dialog.CmdAddtoList_Click();
    EXPECT_EQ(s.view.gridRebuilds, rebuilds + 1);
}

TEST(ViewGroups, TheSelectionDialogsHoldIsReleasedAndCancelKeepsTheGroup) {
    zeltest::SessionFixture s;
    ASSERT_EQ(s.start(), zelapp::StartupResult::Running);
    zeltest::addGroup(s.setup(), u"Front"_s, {1, 2});
    zeltest::addGroup(s.setup(), u"Back"_s, {3});
    zelapp::SelectGroupTool &select = s.session->dialogs().selectGroup;

    bool ok = true;
    int heldWhileOpen = 0;
    s.view.whileModal = [&] {
        select.Form_Load();
        heldWhileOpen = s.state().ScanHoldCount;
        if (ok) {
            select.CmdOk_Click();
        }
    };
    s.session->commands().ViewGroups_Click();
    EXPECT_EQ(heldWhileOpen, 1);
    EXPECT_EQ(s.state().ScanHoldCount, 0);
    EXPECT_EQ(s.state().ViewType, zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(s.state().CurrentGroup, 2);

    ok = false;
    s.state().CurrentGroup = 1;
    s.session->commands().ViewGroups_Click();
    EXPECT_EQ(s.state().ScanHoldCount, 0);
    EXPECT_EQ(s.state().CurrentGroup, 1);
}

}  // namespace
