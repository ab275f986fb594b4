#include "dialogs/setup_analog.h"

#include "dialogs/channel_stepping.h"

namespace zelapp {

SetupAnalogTool::SetupAnalogTool(const DialogContext &context)
    : InputSetupTool(context, Source::Analog) {}

bool SetupAnalogTool::ConfirmAnalogChanges() {
    if (!modified()) {
        return true;
    }
    prompter_.message(changedText());
    return false;
}

bool SetupAnalogTool::Form_QueryUnload() {
    if (!ConfirmAnalogChanges()) {
        return false;
    }
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
