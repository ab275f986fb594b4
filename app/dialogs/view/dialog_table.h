// The program's dialogs, each listed once: which form shows it, made over its tool.
#pragma once

#include "base/main_window_port.h"

class QWidget;

namespace zelapp {

struct WindowContext;

class HostedDialog;

// The form of a dialog, a child of `parent`; null for a dialog the program does not have.
HostedDialog *makeDialogForm(CommandDialog dialog, const WindowContext &context, QWidget &parent);

}  // namespace zelapp
