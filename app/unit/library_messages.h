// The library's own message boxes (unit errors, diagnostics) as the operator sees them: warning
// boxes with the library's caption.
// - The scan tick may hit the same failure every 400 ms while a box is still open (the box's
//   event loop keeps the timer running), so a message already on screen is not shown again on
//   top of itself.
// - The library's "entering demonstration mode" message is never a box: the program sees the
//   lost unit itself and says so in the main window, and a modal box would stop the displays.
// - While the program has the library's boxes off (the scan's reads, a setup sent whole), what
//   the library still raises (its diagnostics) must not stop the program either: each text is
//   shown once as a notice that does not wait.
// - The library calls its hook on the thread that made the call. A message raised on another
//   thread (a reconnection attempt) is handed to the thread that made this prompter and shown
//   there; the call that raised it goes on at once.
#pragma once

#include <QObject>
#include <QSet>
#include <QString>
#include <functional>

#include "base/prompter.h"

namespace zelapp {

class LibraryMessagePrompter : public Prompter {
  public:
    explicit LibraryMessagePrompter(Prompter &screen) : screen_(screen) {}

    // The text the library shows when a request finds the unit gone.
    static QString demoModeText();

    // A message already open answers Ok at once; a message without a caption is titled
    // "Error", as the system titles such boxes. A message handed to the owner's thread is
    // answered at once as the box's safest button (Ok, or No).
    PromptAnswer ask(const QString &text, const QString &title, PromptIcon icon,
                     PromptButtons buttons) override;
    void notify(const QString &text, const QString &title, PromptIcon icon) override {
        screen_.notify(text, title, icon);
    }
    void beep() override { screen_.beep(); }

    int openMessages() const { return static_cast<int>(open_.size()); }

    // Whether the program has the library's boxes off just now.
    void setQuiet(std::function<bool()> quiet) { quiet_ = std::move(quiet); }

  private:
    PromptAnswer show(const QString &text, const QString &caption, PromptButtons buttons);

    Prompter &screen_;
    QObject owner_;       // lives on the thread that shows the boxes
    QSet<QString> open_;  // caption and text of the boxes on screen
    std::function<bool()> quiet_;
    QSet<QString> noticed_;  // caption and text of what was shown as a notice
};

}  // namespace zelapp
