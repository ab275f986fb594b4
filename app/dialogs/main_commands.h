// The main window's commands without the window: the View menu (windows on and off, the four
// views, updating), Zero and Master, the Setup menu, help, the Reset button, and opening the
// setup of an item picked in a display window. FormMain's menus and buttons call these.
#pragma once

#include "base/app_state.h"
#include "base/help.h"
#include "base/main_window_port.h"
#include "base/prompter.h"
#include "base/unit_api.h"
#include "setup/current_items.h"

namespace zelapp {

class Setup;

// The View menu items with a check mark of their own.
enum class MenuCheck { EnableGrid, EnableBarGraphs, UpdateToggle };

// The windows and dialogs the commands open.
enum class CommandDialog {
    SelectGroup,  // FormSelectGroup
    SetupChan,    // FormSetupChan
    SetupLvdt,    // FormSetupLvdt
    SetupAnalog,  // FormSetupAnalog
    SetupGroup,   // FormSetupGroup
    SetupSystem,  // FormSetupSystem
    Mastering,    // FormMastering
    About,        // FormAboutMoxSRV
};

// The main window as the commands see it.
class CommandWindows {
  public:
    virtual ~CommandWindows() = default;
    virtual bool isChecked(MenuCheck item) const = 0;
    virtual void setChecked(MenuCheck item, bool checked) = 0;
    // Shows or hides the grid window (FormGridDisplay) or the bar window (FormLinGage); both
    // are created on first use and afterwards only shown and hidden.
    virtual void showGrid(bool visible) = 0;
    virtual void showBars(bool visible) = 0;
    // Shows a dialog; a modal one returns when it has closed. A dialog the program does not
    // have yet returns at once, as if cancelled.
    virtual void showDialog(CommandDialog dialog, bool modal) = 0;
};

class MainCommands {
  public:
    MainCommands(AppState &state, Setup &setup, UnitApi &unit, Prompter &prompter, Help &help,
                 CurrentItems &currentItems, CommandWindows &windows, MainWindowPort &mainWindow);

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
    void CommandResetMM_Click();

    // Opens, modally, the setup of the item at a 1-based position of the current view.
    void GotoSetupFromView(int index);
    // Whether some group holds at least one channel.
    bool CheckForAnyGroups() const;
    void ClearGroups();

    // The update toggle's own state (not UpdateEnabled, which loading a setup also sets).
    bool updateToggleState() const { return updateToggle_; }

  private:
    void setView(int viewType);

    AppState &state_;
    Setup &setup_;
    UnitApi &unit_;
    Prompter &prompter_;
    Help &help_;
    CurrentItems &currentItems_;
    CommandWindows &windows_;
    MainWindowPort &mainWindow_;
    bool updateToggle_ = false;
};

}  // namespace zelapp
