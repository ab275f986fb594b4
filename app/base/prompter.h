// Every message box of the application goes through a Prompter, so that the windows show real
// boxes and the tests answer questions and read messages without a display.
#pragma once

#include <QString>

namespace zelapp {

enum class PromptIcon { None, Information, Warning, Critical, Question };
// ProgramDiscardCancel is Yes/No/Cancel with the buttons "Program" (Yes) and "Discard" (No).
// RetryStartExit offers "Retry" (Retry), "Start without the unit" (Continue) and "Exit" (Cancel).
enum class PromptButtons { Ok, OkCancel, YesNo, YesNoCancel, ProgramDiscardCancel, RetryStartExit };
enum class PromptAnswer { Ok, Cancel, Yes, No, Retry, Continue };

class Prompter {
  public:
    virtual ~Prompter() = default;

    // Shows one message box and returns the button the operator chose. The lines of a
    // message are joined by "\r"; an empty title means the program's own name.
    virtual PromptAnswer ask(const QString &text, const QString &title, PromptIcon icon,
                             PromptButtons buttons) = 0;

    // A message that does not wait for the operator: the program goes on while it is shown.
    virtual void notify(const QString &text, const QString &title, PromptIcon icon) = 0;

    // The system's warning sound, after a refusal the operator should hear.
    virtual void beep() = 0;

    // A plain message with an OK button only.
    void message(const QString &text, const QString &title = {},
                 PromptIcon icon = PromptIcon::None) {
        ask(text, title, icon, PromptButtons::Ok);
    }
};

}  // namespace zelapp
