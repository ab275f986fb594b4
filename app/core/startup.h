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
    CommunicationFailed,  // ZelCommInit failed and the operator chose Exit; no window was shown
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
    // Puts the link to the unit into the lost state before anything is sent: the program then
    // starts on its copy and looks for the unit by itself.
    std::function<void()> startWithoutUnit;
};

// What start-up says when ZelCommInit fails; the operator chooses Retry, "Start without the
// unit" or Exit.
QString communicationFailedText();

// Main, steps in order. On Running the lock stays held for the life of the process. When
// ZelCommInit fails the operator may try again, start without the unit, or end the program.
StartupResult Main(StartupContext &context);

}  // namespace zelapp
