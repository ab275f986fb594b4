// Creates each dialog's form once, on its first opening, from the dialog table, and keeps it
// (its tool, in DialogTools, keeps its state between openings); runs its load steps at every
// opening and shows it modal or modeless.
#pragma once

#include <map>

#include "base/main_window_port.h"
#include "view/window_context.h"

class QWidget;

namespace zelapp {

class HostedDialog;

class DialogHost {
  public:
    DialogHost(const WindowContext &context, QWidget &mainWindow);
    ~DialogHost();

    // A dialog already open is brought forward and not loaded again.
    DialogResult showDialog(CommandDialog dialog, bool modal);
    // The amplifier calibration of a probe, modal, at the screen point (x, y) in twips.
    void ShowCalibrateAt(int probe, float x, float y);
    bool isDialogOpen(CommandDialog dialog) const;
    // Asks each open dialog its close question; false when one stays open.
    bool closeAll();
    // The dialog when it has been made; null before its first opening.
    HostedDialog *dialog(CommandDialog dialog) const;

  private:
    HostedDialog *make(CommandDialog dialog);

    const WindowContext context_;
    QWidget &mainWindow_;
    std::map<CommandDialog, HostedDialog *> dialogs_;  // children of the main window
};

}  // namespace zelapp
