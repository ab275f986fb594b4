// The start-up routine: refuse a second instance, find the help file, honour the diagnostic
// switches, read the settings, initialise the unit, build the default objects and hand over to
// the main window.
#pragma once

#include <QString>
#include <functional>

#include "base/app_state.h"
#include "base/prompter.h"
#include "unit/unit_api.h"

namespace zelapp {

class InstanceLock;
class Setup;

enum class StartupResult {
    Running,              // the main window is up; the program runs until it closes
    AlreadyRunning,       // another instance holds the lock; nothing was touched
    CommunicationFailed,  // ZelCommInit failed; no window was shown
};

// Exit status of the process for a start-up that did not reach the main window.
int exitStatus(StartupResult result);

struct StartupContext {
    AppState &state;
    UnitApi &unit;
    Prompter &prompter;
    Setup &setup;
    InstanceLock &instanceLock;
    QString programFolder;
    QString commandLine;                   // the arguments as one text
    std::function<void()> showMainWindow;  // creates and shows the main window
};

// Main, steps in order. On Running the lock stays held for the life of the process.
StartupResult Main(StartupContext &context);

}  // namespace zelapp
