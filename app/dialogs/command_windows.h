// The main window as the commands see it: the check marks they own, the display windows and
// the dialogs they open.
#pragma once

namespace zelapp {

// The windows and dialogs the commands open.
enum class CommandDialog {
    SelectGroup,  // FormSelectGroup
    SetupChan,    // FormSetupChan
    SetupLvdt,    // FormSetupLvdt
    SetupAnalog,  // FormSetupAnalog
    SetupGroup,   // FormSetupGroup
    SetupSystem,  // FormSetupSystem
    Mastering,    // FormMastering
    Calibrate,    // FormCalibrate
    About,        // FormAboutMoxSRV
};

// How a modal dialog was left: by its OK (or the like), or by Cancel and the close box.
// A modeless dialog returns Shown.
enum class DialogResult { Shown, Ok, Cancelled };

// The View menu's check marks: the two windows, updating, and the view on show (0 none).
struct MenuMarks {
    bool grid = false;
    bool bars = false;
    bool update = false;
    int view = 0;
};

class CommandWindows {
  public:
    virtual ~CommandWindows() = default;
    // The marks changed; the menu shows them again.
    virtual void marksChanged() = 0;
    // Shows or hides the grid window (FormGridDisplay) or the bar window (FormLinGage); both
    // are created on first use and afterwards only shown and hidden.
    virtual void showGrid(bool visible) = 0;
    virtual void showBars(bool visible) = 0;
    // Shows a dialog, running its load steps; a modal one returns when it has closed. A
    // dialog already open is brought forward. A dialog the program does not have returns
    // Cancelled at once.
    virtual DialogResult showDialog(CommandDialog dialog, bool modal) = 0;
    virtual bool isDialogOpen(CommandDialog dialog) const = 0;
};

}  // namespace zelapp
