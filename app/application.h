// The program's objects and who owns them: the settings and shared state, the setup with its
// value holders, the file commands, help and the main window. main() supplies the platform's
// services (the library, message boxes, file dialogs, the settings store, the instance lock);
// tests supply their own.
#pragma once

#include <QString>
#include <memory>

#include "base/app_state.h"
#include "base/help.h"
#include "base/main_window_port.h"
#include "core/startup.h"
#include "model/model_context.h"
#include "setup/channel_labels.h"
#include "setup/current_items.h"

namespace zelapp {

class FileChooser;
class FormMain;
class InstanceLock;
class Setup;
class SetupCommands;
class SettingsStore;

struct ApplicationServices {
    UnitApi &unit;
    Prompter &prompter;
    FileChooser &chooser;
    HelpViewer &helpViewer;
    SettingsStore &store;
    InstanceLock &instanceLock;
};

class Application {
  public:
    Application(const ApplicationServices &services, QString programFolder, QString commandLine);
    ~Application();

    // Runs the start-up routine; on Running the main window has loaded and is shown.
    StartupResult start();

    AppState &state() { return state_; }
    Setup &setup() { return *setup_; }
    SetupCommands &setupCommands() { return *setupCommands_; }
    ChannelLabels &labels() { return labels_; }
    FormMain *mainWindow() const { return mainWindow_.get(); }

  private:
    // The setup is made before the main window; it reaches the window through this relay.
    class MainWindowRelay : public MainWindowPort {
      public:
        void setCaption(const QString &caption) override;
        QString caption() const override;
        void UpdateMainDisplay() override;
        void RebuildDisplays() override;
        MainWindowPort *window = nullptr;

      private:
        QString caption_;
    };

    void showMainWindow();

    ApplicationServices services_;
    QString programFolder_;
    QString commandLine_;
    AppState state_;
    ChannelLabels labels_;
    CurrentItemHolder currentItems_;
    MainWindowRelay relay_;
    ModelContext context_;
    std::unique_ptr<Setup> setup_;
    std::unique_ptr<SetupCommands> setupCommands_;
    Help help_;
    std::unique_ptr<FormMain> mainWindow_;
};

}  // namespace zelapp
