// The main window's commands without the window: the View menu (windows on and off, the four
// views, updating), Zero and Master, the Setup menu, help, the Reset button, and opening the
// setup of an item picked in a display window. FormMain's menus and buttons call these.
#pragma once

#include "base/app_state.h"
#include "base/help.h"
#include "base/main_window_port.h"
#include "base/prompter.h"
#include "unit/unit_api.h"

namespace zelapp {

class Setup;
class MasteringTool;
class SetupAnalogTool;
class SetupChanTool;
class SetupLvdtTool;

class MainCommands : public HelpTopics {
  public:
    MainCommands(AppState &state, Setup &setup, UnitApi &unit, Prompter &prompter, Help &help,
                 SetupChanTool &setupChan, SetupLvdtTool &setupLvdt, SetupAnalogTool &setupAnalog,
                 MasteringTool &mastering, MainWindowPort &windows);

    void EnableGrid_Click();
    void EnableBarGraphs_Click();
    void ViewGroups_Click();
    void ViewChannels_Click();
    void ViewLVDTs_Click();
    void ViewAnalogs_Click();
    void UpdateToggle_Click();
    void ZeroChannel_Click();
    void MasterChannel_Click();
    void SetupGeneral_Click();
    void SetupLVDTs_Click();
    void SetupChannels_Click();
    void SetupGroups_Click();
    void AboutMoxSRV_Click();
    void mnuHelpContents_Click();
    // F1 in a window: the manual at that window's topic.
    void showHelpTopic(long topic) override;
    // Refused while a part cycle runs (marks().resetMM).
    void CommandResetMM_Click();
    // A part cycle started or ended: the Reset button follows.
    void setCycleRunning(bool running);
    bool resetAllowed() const { return marks_.resetMM; }

    // Opens, modally, the setup of the item at a 1-based position of the current view.
    void GotoSetupFromView(int index);
    // Whether some group holds at least one channel.
    bool CheckForAnyGroups() const;
    void ClearGroups();

    // The menu's check marks. The update mark is the toggle's own state, apart from
    // UpdateEnabled, which loading a setup also sets.
    const MenuMarks &marks() const { return marks_; }
    // The view whose item carries the mark (the scan cycle's rebuild sets it).
    void setViewMark(int viewType, bool checked);

  private:
    void setView(int viewType);
    // A pick in group or channel view: the channel dialog on that channel.
    void pickChannel(int channel);
    // A pick in probe or analog view: that dialog on the input.
    void pickLvdt(int lvdt);
    void pickAnalog(int input);
    // Zero and Master: the mastering window in MasteringMode.
    void showMastering(bool zero);

    AppState &state_;
    Setup &setup_;
    UnitApi &unit_;
    Prompter &prompter_;
    Help &help_;
    SetupChanTool &setupChan_;
    SetupLvdtTool &setupLvdt_;
    SetupAnalogTool &setupAnalog_;
    MasteringTool &mastering_;
    MainWindowPort &windows_;
    MenuMarks marks_;
};

}  // namespace zelapp
