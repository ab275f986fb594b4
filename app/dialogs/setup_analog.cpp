#include "dialogs/setup_analog.h"

#include "dialogs/channel_stepping.h"
#include "model/inputs.h"

namespace zelapp {

SetupAnalogTool::SetupAnalogTool(const DialogContext &context)
    : InputSetupTool(context, Source::Analog) {}

bool SetupAnalogTool::ConfirmAnalogChanges() {
    if (!modified()) {
        discarded_ = false;
        return true;
    }
    prompter_.message(changedText());
    return false;
}

bool SetupAnalogTool::confirmLeave() {
    if (!isOpen() || !modified()) {
        return true;
    }
    const analog *in = input();
    switch (prompter_.ask(changedText() + QStringLiteral("\rProgram it, or discard the changes?"),
                          in != nullptr ? in->Description : QString(), PromptIcon::Question,
                          PromptButtons::ProgramDiscardCancel)) {
        case PromptAnswer::Yes:
            return ProgramAnalog();  // a refused box keeps the dialog where it is
        case PromptAnswer::No:
            discarded_ = true;
            return true;
        default:
            return false;
    }
}

bool SetupAnalogTool::Form_QueryUnload() {
    if (!discarded_ && !ConfirmAnalogChanges()) {
        return false;
    }
    discarded_ = false;
    closed();
    return true;
}

void SetupAnalogTool::SpinButtonAnalog_SpinDown() {
    if (ConfirmAnalogChanges() && current_ > 1) {
        --current_;
        DisplayAnalog();
    }
}

void SetupAnalogTool::SpinButtonAnalog_SpinUp() {
    if (!ConfirmAnalogChanges()) {
        return;
    }
    if (current_ < count()) {
        ++current_;
    }
    DisplayAnalog();
}

void SetupAnalogTool::CommandProgram_Click() {
    if (ProgramAnalog() && CheckAutoIncAnalog()) {
        current_ = nextChannel(current_, count());
        DisplayAnalog();
    }
}

}  // namespace zelapp
