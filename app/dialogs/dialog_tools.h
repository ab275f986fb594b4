// Every dialog's tool, built once from one context, and what the program asks of all of them
// at once: the live values the scan feeds, following the setup as it changes, and the questions
// the open dialogs ask before their setup is replaced. A new dialog is its tool here, its form
// and one row of the dialog table (dialogs/view/dialog_table.cpp).
#pragma once

#include <QMetaObject>
#include <vector>

#include "dialogs/calibrate.h"
#include "dialogs/dialog_context.h"
#include "dialogs/mastering.h"
#include "dialogs/select_group.h"
#include "dialogs/setup_analog.h"
#include "dialogs/setup_chan.h"
#include "dialogs/setup_group.h"
#include "dialogs/setup_lvdt.h"
#include "dialogs/setup_system.h"

namespace zelapp {

struct SetupChange;

class DialogTools {
  public:
    DialogTools(const DialogContext &context, const CalibrateTool::Services &calibration);
    ~DialogTools();
    DialogTools(const DialogTools &) = delete;
    DialogTools &operator=(const DialogTools &) = delete;

    MasteringTool mastering;
    SetupChanTool setupChan;
    SetupLvdtTool setupLvdt;
    SetupAnalogTool setupAnalog;
    SetupGroupTool setupGroup;
    SetupSystemTool setupSystem;
    SelectGroupTool selectGroup;
    CalibrateTool calibrate;

    // The tools that show a live value, in the order the tick feeds them.
    std::vector<LiveValueSink *> liveSinks();
    // Before New or Open replaces the setup, each open dialog with unsaved edits asks its
    // question; false when the operator cancelled one (the setup then stays).
    bool confirmSetupReplace();
    // Before the program closes: the analog dialog, which refuses to close over an edit,
    // offers Program, Discard or Cancel instead (the others ask as they close).
    bool confirmProgramClose();
    // The unit stopped answering, or answers again.
    void setUnitLost(bool lost);
    // A part cycle started or ended: the dialogs' Reset MAX/MIN is off while it runs.
    void setCycleRunning(bool running);

  private:
    void setupChanged(const SetupChange &change);

    QMetaObject::Connection listening_;
};

}  // namespace zelapp
