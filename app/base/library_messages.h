// The library's own message boxes (unit errors, demonstration mode) as the operator sees them:
// warning boxes with the library's caption. The scan tick may hit the same failure every
// 400 ms while a box is still open (the box's event loop keeps the timer running), so a message
// already on screen is not shown again on top of itself.
#pragma once

#include <QSet>
#include <QString>

#include "base/prompter.h"

namespace zelapp {

class LibraryMessagePrompter : public Prompter {
  public:
    explicit LibraryMessagePrompter(Prompter &screen) : screen_(screen) {}

    // A message already open answers Ok at once; a message without a caption is titled
    // "Error", as the system titles such boxes.
    PromptAnswer ask(const QString &text, const QString &title, PromptIcon icon,
                     PromptButtons buttons) override;

    int openMessages() const { return static_cast<int>(open_.size()); }

  private:
    Prompter &screen_;
    QSet<QString> open_;  // caption and text of the boxes on screen
};

}  // namespace zelapp
