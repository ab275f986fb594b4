// Help: which file is the program's help, and the two procedures the windows call. The viewer
// itself is behind an interface; the window layer supplies it.
#pragma once

#include <QString>

#include "base/app_state.h"
#include "base/prompter.h"

namespace zelapp {

// The help file next to the program: zelapp.html on Linux, zelapp.hlp on Windows.
QString helpFileName();

class HelpViewer {
  public:
    virtual ~HelpViewer() = default;
    // Shows a topic (0 = the contents); false with a description when it cannot.
    virtual bool showTopic(const QString &helpFile, long contextId, QString *error) = 0;
    virtual bool close(const QString &helpFile, QString *error) = 0;
};

// The manual at a window's own section, titled as the main window: what F1 and a window's Help
// button ask for (0: the contents).
class HelpTopics {
  public:
    virtual ~HelpTopics() = default;
    virtual void showHelpTopic(long topic) = 0;
};

// Start-up step: HelpFilePath is AppPath's help file; it becomes the help file in use when it
// can be opened for reading. Never fails.
void findHelpFile(AppState &state);

class Help {
  public:
    Help(const AppState &state, Prompter &prompter, HelpViewer &viewer)
        : state_(state), prompter_(prompter), viewer_(viewer) {}

    // `caption` is the main window's caption, the title of the "no help" message.
    void ShowHelpTopic(long contextId, const QString &caption);
    void CloseHelp();

  private:
    const AppState &state_;
    Prompter &prompter_;
    HelpViewer &viewer_;
};

}  // namespace zelapp
