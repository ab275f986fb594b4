// The main window's commands without the window: check marks, views and their scan holds,
// updating, the group view's conditions, picks from the displays, help and Reset.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "base/help.h"
#include "dialogs/main_commands.h"
#include "dialogs/mastering.h"
#include "dialogs/setup_analog.h"
#include "dialogs/setup_chan.h"
#include "dialogs/setup_lvdt.h"
#include "group_list.h"
#include "no_help_viewer.h"
#include "setup_fixture.h"

using zelapp::CommandDialog;

namespace {

class MainCommandsTest : public ::testing::Test {
  protected:
    zeltest::SetupFixture f;
    zeltest::RecordingWindows &windows = f.mainWindow;
    zeltest::NoHelpViewer viewer;
    zelapp::Help help{f.state, f.prompter, viewer};
    zelapp::SetupChanTool setupChan{f.dialogs};
    zelapp::SetupLvdtTool setupLvdt{f.dialogs};
    zelapp::SetupAnalogTool setupAnalog{f.dialogs};
    zelapp::MasteringTool mastering{f.dialogs};
    zelapp::MainCommands commands{f.state,   f.setup,   f.unit,      f.prompter, help,
                                  setupChan, setupLvdt, setupAnalog, mastering,  windows};
};

TEST_F(MainCommandsTest, NumbersTwiceShowsThenHidesTheGridAndTheMarkFollows) {
    commands.EnableGrid_Click();
    EXPECT_TRUE(commands.marks().grid);
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 1);  // rebuilt before it is shown
    commands.EnableGrid_Click();
    EXPECT_FALSE(commands.marks().grid);
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 1);  // hiding rebuilds nothing
    EXPECT_EQ(windows.shown, (std::vector<std::pair<char, bool>>{{'g', true}, {'g', false}}));
}

TEST_F(MainCommandsTest, BarsTwiceShowsThenHidesTheBarWindow) {
    commands.EnableBarGraphs_Click();
    commands.EnableBarGraphs_Click();
    EXPECT_FALSE(commands.marks().bars);
    EXPECT_FALSE(commands.marks().grid);
    EXPECT_EQ(windows.shown, (std::vector<std::pair<char, bool>>{{'b', true}, {'b', false}}));
}

TEST_F(MainCommandsTest, UpdateToggleStartsOffSoTheFirstCallSwitchesUpdatingOn) {
    commands.UpdateToggle_Click();
    EXPECT_TRUE(f.state.UpdateEnabled);
    EXPECT_TRUE(commands.marks().update);
    commands.UpdateToggle_Click();
    EXPECT_FALSE(f.state.UpdateEnabled);
    EXPECT_FALSE(commands.marks().update);
}

TEST_F(MainCommandsTest, TheToggleFollowsItsOwnStateNotUpdateEnabled) {
    commands.UpdateToggle_Click();  // on
    f.state.UpdateEnabled = false;  // a setup being rebuilt switched it off
    commands.UpdateToggle_Click();  // the toggle's own state goes off
    EXPECT_FALSE(f.state.UpdateEnabled);
    EXPECT_FALSE(commands.marks().update);
}

TEST_F(MainCommandsTest, ViewCommandsSetTheViewAndRebuild) {
    commands.ViewAnalogs_Click();
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPEANALOGS);
    commands.ViewChannels_Click();
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPECHANNELS);
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 2);
}

TEST_F(MainCommandsTest, ProbeViewTakesAHoldThatItsRebuildReleases) {
    int holdDuringRebuild = -1;
    f.mainWindow.onUpdateMainDisplay = [&] {
        holdDuringRebuild = f.state.ScanHoldCount;
        if (f.state.ScanHoldCount > 0) {
            --f.state.ScanHoldCount;
        }
    };
    f.state.ScanHoldCount = 2;
    commands.ViewLVDTs_Click();
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPELVDTS);
    EXPECT_EQ(holdDuringRebuild, 3);
    EXPECT_EQ(f.state.ScanHoldCount, 2);
}

TEST_F(MainCommandsTest, GroupViewWithoutAnyChannelInAnyGroupSaysSoAndChangesNothing) {
    zeltest::addGroup(f.setup, QStringLiteral("Empty"), {});
    commands.ViewGroups_Click();
    ASSERT_EQ(f.prompter.texts(), std::vector<QString>{QStringLiteral("No groups exist")});
    EXPECT_EQ(f.prompter.shown[0].buttons, zelapp::PromptButtons::Ok);
    EXPECT_TRUE(f.prompter.shown[0].title.isEmpty());  // the program's own title
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPECHANNELS);
    EXPECT_TRUE(windows.dialogs.empty());
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 0);
}

TEST_F(MainCommandsTest, GroupViewAsksForTheGroupThenShowsIt) {
    zeltest::addGroup(f.setup, QStringLiteral("Empty"), {});
    zeltest::addGroup(f.setup, QStringLiteral("Dia"), {1, 2});
    windows.onDialog = [&](CommandDialog) { f.state.CurrentGroup = 2; };  // OK on group 2
    commands.ViewGroups_Click();
    ASSERT_EQ(windows.dialogs.size(), 1u);
    EXPECT_EQ(windows.dialogs[0], std::make_pair(CommandDialog::SelectGroup, true));
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(f.state.CurrentGroup, 2);
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 1);
}

TEST_F(MainCommandsTest, GroupViewCancelledStillShowsThePreviousGroup) {
    zeltest::addGroup(f.setup, QStringLiteral("Dia"), {1});
    f.state.CurrentGroup = 1;
    commands.ViewGroups_Click();  // the dialog returns without choosing
    EXPECT_EQ(f.state.ViewType, zelapp::VIEWTYPEGROUPS);
    EXPECT_EQ(f.state.CurrentGroup, 1);
}

TEST_F(MainCommandsTest, CheckForAnyGroupsNeedsOneGroupWithAChannel) {
    EXPECT_FALSE(commands.CheckForAnyGroups());
    zeltest::addGroup(f.setup, QStringLiteral("A"), {});
    EXPECT_FALSE(commands.CheckForAnyGroups());
    zeltest::addGroup(f.setup, QStringLiteral("B"), {4});
    EXPECT_TRUE(commands.CheckForAnyGroups());
    commands.ClearGroups();
    EXPECT_EQ(f.setup.groupCount(), 0);
    EXPECT_FALSE(commands.CheckForAnyGroups());
}

TEST_F(MainCommandsTest, APickInGroupViewOpensTheChannelAtThatPositionOfTheGroup) {
    zeltest::addGroup(f.setup, QStringLiteral("Form"), {7, 5, 3});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    commands.GotoSetupFromView(3);
    EXPECT_EQ(setupChan.GetCurrentChannel(), 3);
    commands.GotoSetupFromView(1);
    EXPECT_EQ(setupChan.GetCurrentChannel(), 7);
    ASSERT_EQ(windows.dialogs.size(), 2u);
    EXPECT_EQ(windows.dialogs[1], std::make_pair(CommandDialog::SetupChan, true));
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 2);  // after each modal dialog
}

TEST_F(MainCommandsTest, APickWhileTheChannelDialogIsOpenAsksThenBringsItForward) {
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    windows.open = {CommandDialog::SetupChan};
    setupChan.SetCurrentChannel(2);
    setupChan.editBox(zelapp::ChanBox::Description, QStringLiteral("edited"));

    f.prompter.answers = {zelapp::PromptAnswer::Cancel};
    commands.GotoSetupFromView(5);
    EXPECT_EQ(setupChan.GetCurrentChannel(), 2);  // Cancel keeps its channel and the edit
    EXPECT_TRUE(setupChan.modified());
    EXPECT_TRUE(windows.dialogs.empty());
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 0);

    f.prompter.answers = {zelapp::PromptAnswer::No};
    commands.GotoSetupFromView(5);
    EXPECT_EQ(setupChan.GetCurrentChannel(), 5);
    EXPECT_EQ(windows.dialogs,
              (std::vector<std::pair<CommandDialog, bool>>{{CommandDialog::SetupChan, false}}));
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 1);
}

TEST_F(MainCommandsTest, APickOpensTheSetupDialogOfItsView) {
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    commands.GotoSetupFromView(4);
    EXPECT_EQ(setupChan.GetCurrentChannel(), 4);
    f.state.ViewType = zelapp::VIEWTYPELVDTS;
    commands.GotoSetupFromView(6);
    EXPECT_EQ(setupLvdt.GetCurrentLvdt(), 6);
    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    commands.GotoSetupFromView(1);
    EXPECT_EQ(setupAnalog.GetCurrentAnalog(), 1);
    EXPECT_EQ(windows.dialogs,
              (std::vector<std::pair<CommandDialog, bool>>{{CommandDialog::SetupChan, true},
                                                           {CommandDialog::SetupLvdt, true},
                                                           {CommandDialog::SetupAnalog, true}}));
}

TEST_F(MainCommandsTest, APickOutsideTheViewOpensNothing) {
    zeltest::addGroup(f.setup, QStringLiteral("Form"), {2});
    f.state.ViewType = zelapp::VIEWTYPEGROUPS;
    f.state.CurrentGroup = 1;
    commands.GotoSetupFromView(2);  // the group has one position
    f.state.CurrentGroup = 5;       // no such group
    commands.GotoSetupFromView(1);
    f.state.ViewType = zelapp::VIEWTYPECHANNELS;
    commands.GotoSetupFromView(9);  // 8 channels
    commands.GotoSetupFromView(0);
    f.state.ViewType = zelapp::VIEWTYPEANALOGS;
    commands.GotoSetupFromView(2);  // 1 analog input
    f.state.ViewType = 7;
    commands.GotoSetupFromView(1);
    EXPECT_TRUE(windows.dialogs.empty());
    EXPECT_EQ(setupChan.GetCurrentChannel(), 0);  // never opened, never moved
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 0);
}

TEST_F(MainCommandsTest, ZeroIsModalInZeroModeAndMasterModelessInMasterMode) {
    commands.ZeroChannel_Click();
    EXPECT_TRUE(f.state.MasteringMode);
    commands.MasterChannel_Click();
    EXPECT_FALSE(f.state.MasteringMode);
    EXPECT_EQ(windows.dialogs,
              (std::vector<std::pair<CommandDialog, bool>>{{CommandDialog::Mastering, true},
                                                           {CommandDialog::Mastering, false}}));
}

TEST_F(MainCommandsTest, SetupMenuDialogsAreModelessAndAllButSystemRebuildAtOnce) {
    commands.SetupChannels_Click();
    commands.SetupLVDTs_Click();
    commands.SetupGroups_Click();
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 3);
    commands.SetupGeneral_Click();
    commands.AboutMoxSRV_Click();
    EXPECT_EQ(f.mainWindow.updateMainDisplayCalls, 3);
    EXPECT_EQ(windows.dialogs,
              (std::vector<std::pair<CommandDialog, bool>>{{CommandDialog::SetupChan, false},
                                                           {CommandDialog::SetupLvdt, false},
                                                           {CommandDialog::SetupGroup, false},
                                                           {CommandDialog::SetupSystem, false},
                                                           {CommandDialog::About, true}}));
}

TEST_F(MainCommandsTest, HelpWithoutAHelpFileSaysSoUnderTheMainWindowsCaption) {
    f.mainWindow.captionText = QStringLiteral("Quillon Corporation   ZEL-32");
    commands.mnuHelpContents_Click();
    ASSERT_EQ(f.prompter.shown.size(), 1u);
    EXPECT_EQ(f.prompter.shown[0].text,
              QStringLiteral("Unable to display Help Contents. There is no Help associated "
                             "with this project."));
    EXPECT_EQ(f.prompter.shown[0].title, f.mainWindow.captionText);
    EXPECT_EQ(f.prompter.shown[0].icon, zelapp::PromptIcon::Information);
    EXPECT_EQ(viewer.shows, 0);
}

TEST_F(MainCommandsTest, HelpWithAHelpFileOpensTheContents) {
    f.state.HelpFile = QStringLiteral("/opt/zel/zelapp.html");
    commands.mnuHelpContents_Click();
    EXPECT_EQ(viewer.shows, 1);
    EXPECT_TRUE(f.prompter.shown.empty());
}

TEST_F(MainCommandsTest, ResetClearsTheUnitsMinimumAndMaximum) {
    commands.CommandResetMM_Click();
    EXPECT_EQ(f.unit.count("ZelResetMM("), 1);
}

}  // namespace
