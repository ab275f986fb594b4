// The main window's close sequence without the window: the questions, what is written, and
// what cancels the close. The live-value service owns the count of conversations; the close
// only asks it.
#pragma once

#include <QString>
#include <functional>

#include "base/app_state.h"
#include "base/help.h"
#include "base/main_window_port.h"
#include "base/prompter.h"
#include "base/settings_store.h"

namespace zelapp {

class SetupCommands;

class MainLifecycle {
  public:
    MainLifecycle(AppState &state, Prompter &prompter, SetupCommands &commands, Help &help,
                  SettingsStore &store, MainWindowPort &mainWindow, QString programFolder,
                  std::function<int()> conversationCount);

    // Asks what has to be asked; false when the operator cancelled the close. When it goes on,
    // zelapp.ini has been written and help closed.
    bool Form_QueryUnload();
    // What every close does once nothing stops it, questions or none: writes zelapp.ini and
    // closes help. False with the reason in `error` when zelapp.ini could not be written.
    bool writeClosingSettings(QString *error);
    // Stores the window's place unless it is minimised (the other windows are the caller's).
    void Form_Unload(bool minimised, MainPosition position);

  private:
    AppState &state_;
    Prompter &prompter_;
    SetupCommands &commands_;
    Help &help_;
    SettingsStore &store_;
    MainWindowPort &mainWindow_;
    QString programFolder_;
    std::function<int()> conversationCount_;  // conversations other programs hold open
};

}  // namespace zelapp
