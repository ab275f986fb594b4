// The windows as the headless parts see them: the main window's caption, the grid and bar
// windows the scan tick feeds, the View menu's marks and the dialogs the commands open. The
// session implements it over the widgets it is attached to; tests record the calls.
#pragma once

#include <QString>

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

// What a value's cell and bar say beside the value: that it is an old reading (not read in the
// last tick: grey), or why there is none (the unit's refusal). Shown as the cell's and the
// bar's tooltip.
struct ValueNote {
    bool old = false;
    QString tip;
    bool operator==(const ValueNote &) const = default;
};

// The View menu's check marks: the two windows, updating, and the view on show (0 none).
struct MenuMarks {
    bool grid = false;
    bool bars = false;
    bool update = false;
    int view = 0;
    // The Reset button (MAX/MIN) may be pressed: off while a part cycle runs, which clears
    // MAX/MIN itself.
    bool resetMM = true;
};

class MainWindowPort {
  public:
    virtual ~MainWindowPort() = default;

    // ---- The main window ----
    virtual void setCaption(const QString &caption) = 0;
    virtual QString caption() const = 0;
    // Rebuilds the view and the open display windows (the scan cycle's UpdateMainDisplay,
    // which also releases a scan hold).
    virtual void UpdateMainDisplay() = 0;
    // The same without releasing a scan hold (the scan cycle's RebuildDisplays).
    virtual void RebuildDisplays() = 0;

    // ---- The grid and bar windows, as the tick feeds them ----
    // The View/Numbers and View/Bar Graphs check marks, read on every use.
    virtual bool gridEnabled() const = 0;
    virtual bool barsEnabled() const = 0;
    // An empty text and a NaN value mean no reading (a channel without a formula): the cell
    // is blank and the bar shows no level. While the unit is lost the text is "NO UNIT".
    virtual void SetGridValue(int position, const QString &text) = 0;
    virtual void SetBarValue(int position, float value) = 0;
    // Follows SetGridValue and SetBarValue for the same position whenever either is told.
    virtual void SetValueNote(int position, const ValueNote &note) = 0;
    virtual void UpdateGridDisplay() = 0;
    virtual void UpdateBarDisplay() = 0;
    // Whether the tick leaves the grid and the bars alone because updating is off
    // (UpdateEnabled); told at every tick, so that frozen values never pass for live ones.
    virtual void setDisplaysPaused(bool paused) = 0;
    // A short confirmation under the main window's buttons ("Setup saved to shaft.zel"), never
    // a box; it stays until the next.
    virtual void showStatus(const QString &text) = 0;
    // A line under the main window's buttons about the unit's answers that the values alone do
    // not tell: items it refuses, a unit answering slowly. Empty: none; told when it changes.
    virtual void setUnitNotice(const QString &text) = 0;
    // Check mark of the view menu item for a ViewType (1..4).
    virtual void setViewChecked(int viewType, bool checked) = 0;

    // ---- What the commands open ----
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
