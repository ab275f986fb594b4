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

    // A stop the system asked for (base/stop_signals.h): the program closes as File > Exit does,
    // without its questions, and says on standard error what it could not keep. At the top of
    // the event loop the window closes and unloaded() ends the loop; inside a modal loop (a
    // message, a dialog, the start-up) nothing may return into the code that waits for it, so
    // the process ends with status 0 once everything is written. A second stop is not heard.
    void stop(int signal);

  private:
    void showMainWindow();

    Session session_;
    std::unique_ptr<FormMain> mainWindow_;
    bool stopping_ = false;
};

}  // namespace zelapp
