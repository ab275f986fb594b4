// The program as main() runs it: the session with the platform's services, and the main
// window that attaches to it once start-up asks for it. Tests build the same object with
// stand-ins for the services.
#pragma once

#include <QString>
#include <memory>

#include "core/session.h"

namespace zelapp {

class FormMain;

class Application {
  public:
    // An empty service name becomes the program's file name, as other programs know it.
    explicit Application(SessionServices services);
    ~Application();

    // Runs the start-up routine; on Running the main window has loaded and is shown.
    StartupResult start();

    Session &session() { return session_; }
    AppState &state() { return session_.state(); }
    Setup &setup() { return session_.setup(); }
    SetupCommands &setupCommands() { return session_.setupCommands(); }
    ChannelLabels &labels() { return session_.labels(); }
    FormMain *mainWindow() const { return mainWindow_.get(); }

  private:
    void showMainWindow();

    Session session_;
    std::unique_ptr<FormMain> mainWindow_;
};

}  // namespace zelapp
