// The system setup dialog without its window: the boxes' texts filled from the settings at every
// opening, and OK, which checks every box, then what the unit takes (the probes and analog
// inputs it has, the averages and scan period sent to it), and only then applies them all at
// once: the counts through the setup's procedures (the groups repaired first when channels
// go) and the defaults. A box the unit refuses applies nothing. The dialog holds the scan while
// it is open; OK and every other way out release that hold. FormSetupSystem shows these fields.
#pragma once

#include <QLocale>
#include <QString>
#include <array>
#include <cstddef>
#include <optional>

#include "dialogs/dialog_context.h"

namespace zelapp {

class Setup;
struct SetupChange;

// The boxes that hold a setting, in the order of the dialog's tab chain.
enum class SystemBox {
    Channels,
    Lvdt,
    Analog,
    ScanPeriod,
    BurstAvg,
    RunningAvg,
    Decimals,
    LvdtFSV,
};
inline constexpr int kSystemBoxCount = 8;

struct SystemBoxInfo {
    const char *name;   // the text box's object name
    const char *label;  // its label's caption
    int tab;            // the tab of SSTab1 it is on
};
const SystemBoxInfo &systemBoxInfo(SystemBox box);

// The form as the tool sees it.
class SetupSystemView {
  public:
    virtual ~SetupSystemView() = default;
    // The fields changed; show them all again.
    virtual void refresh() = 0;
    // Shows the box's tab and puts the focus in the box.
    virtual void focusBox(SystemBox box) = 0;
};

class SetupSystemTool {
  public:
    explicit SetupSystemTool(const DialogContext &context);

    void setView(SetupSystemView *view) { view_ = view; }

    // ---- Fields the form shows ----
    const QString &text(SystemBox box) const { return boxes_[index(box)]; }
    const QString &TextMoxPortAdr() const { return port_; }
    const QString &TextMoxFirmware() const { return firmware_; }

    // ---- The dialog's procedures ----
    // Every opening: takes a scan hold and fills the boxes from the settings.
    void Form_Load();
    bool isOpen() const { return open_; }
    // A replaced setup: the open dialog shows its counts (typed edits are dropped).
    void setupChanged(const SetupChange &change);
    // Checks every box, then applies them; false keeps the dialog open (a refused box, or
    // Cancel to the question about the groups).
    bool ApplySystemSettings();

    // ---- Events ----
    // Applies; true when the dialog closes, after the main displays were rebuilt (which
    // releases the hold).
    bool CommandOK_Click();
    // The close box and Escape: nothing is applied and the hold is released.
    bool Form_QueryUnload();
    // The operator changed a box's text.
    void editBox(SystemBox box, const QString &text) { boxes_[index(box)] = text; }

  private:
    static constexpr std::size_t index(SystemBox box) { return static_cast<std::size_t>(box); }
    // The numbers of every box, each within its range.
    struct Values {
        int channels, lvdts, analogs, scanTime, adcAverage, runAverage, decimals;
        float lvdtFsv;
    };
    bool checkBoxes(Values &values);
    // Whether the unit has every probe and analog input of a larger count; a message naming
    // the highest it has when not.
    bool unitHasInputs(const Values &values);
    // The averages and the scan period, sent to the unit; at the first it refuses, those sent
    // before it are put back and a message names the box.
    bool sendScanSettings(const Values &values);
    // The box's number; a message naming the box and the focus in it when it holds none.
    std::optional<double> number(SystemBox box);
    // value x scale rounded to a whole number from low to high, or a message giving the range
    // of the box (low / scale to high / scale).
    std::optional<int> whole(SystemBox box, double value, int low, int high, int scale = 1);
    // The full-scale box: a Single of at least the smallest full scale a probe can have.
    bool fullScale(float &out);
    bool refuse(SystemBox box, const QString &message);
    void fillBoxes();
    void refresh();

    Setup &setup_;
    AppState &state_;
    UnitApi &unit_;
    Prompter &prompter_;
    QLocale locale_;
    SetupSystemView *view_ = nullptr;

    std::array<QString, kSystemBoxCount> boxes_;
    bool open_ = false;
    QString port_;
    QString firmware_;
};

}  // namespace zelapp
