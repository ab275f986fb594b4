// The application's message boxes on screen: every Prompter question becomes a modal
// QMessageBox over the active window; a notice is a box the program does not wait for.
#pragma once

#include "base/prompter.h"

namespace zelapp {

class MessageBoxPrompter : public Prompter {
  public:
    // `programTitle` titles boxes asked with an empty title.
    explicit MessageBoxPrompter(QString programTitle) : programTitle_(std::move(programTitle)) {}

    PromptAnswer ask(const QString &text, const QString &title, PromptIcon icon,
                     PromptButtons buttons) override;
    // A box without a modal loop, which closes itself when the operator dismisses it.
    void notify(const QString &text, const QString &title, PromptIcon icon) override;
    void beep() override;

  private:
    QString programTitle_;
};

}  // namespace zelapp
