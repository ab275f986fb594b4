#include "dialogs/setup_lvdt.h"

#include "dialogs/channel_stepping.h"
#include "model/inputs.h"
#include "setup/setup.h"

namespace zelapp {

SetupLvdtTool::SetupLvdtTool(const DialogContext &context)
    : InputSetupTool(context, Source::Lvdt) {}

bool SetupLvdtTool::ConfirmLvdtChanges() {
    if (!modified()) {
        return true;
    }
    const Lvdt *probe = input();
    const PromptAnswer answer =
        prompter_.ask(QStringLiteral("Lvdt %1 has been modified\rSave changes").arg(current_),
                      probe != nullptr ? probe->Description : QString(), PromptIcon::Question,
                      PromptButtons::YesNoCancel);
    switch (answer) {
        case PromptAnswer::Yes:
            // A refused box keeps the dialog where it is.
            return ProgramLvdt();
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

void SetupLvdtTool::NextLvdt() {
    current_ = nextChannel(current_, count());
}

void SetupLvdtTool::PreviousLvdt() {
    current_ = previousChannel(current_, count());
}

void SetupLvdtTool::Form_Activate() {
    // The boxes start unchecked at every opening; restoring a checked state runs its handler,
    // so a remembered live value resumes for the probe shown.
    if ((showMemory_ != 0) != CheckShowCurrentValue()) {
        CheckShowCurrentValue_Click(showMemory_ != 0);
    }
    if ((autoIncMemory_ != 0) != CheckAutoIncLvdt()) {
        CheckAutoIncLvdt_Click(autoIncMemory_ != 0);
    }
    refresh();
}

bool SetupLvdtTool::Form_QueryUnload() {
    if (!ConfirmLvdtChanges()) {
        return false;
    }
    closed();
    return true;
}

void SetupLvdtTool::SpinButtonLvdt_SpinDown() {
    if (ConfirmLvdtChanges()) {
        PreviousLvdt();
        DisplayLvdt();
    }
}

void SetupLvdtTool::SpinButtonLvdt_SpinUp() {
    if (ConfirmLvdtChanges()) {
        NextLvdt();
        DisplayLvdt();
    }
}

void SetupLvdtTool::CommandProgram_Click() {
    if (ProgramLvdt() && CheckAutoIncLvdt()) {
        NextLvdt();
        DisplayLvdt();
    }
}

void SetupLvdtTool::CheckShowCurrentValue_Click(bool checked) {
    showMemory_ = checked ? 1 : 0;
    setShowCurrentValue(checked);
}

void SetupLvdtTool::CheckAutoIncLvdt_Click(bool checked) {
    autoIncMemory_ = checked ? 1 : 0;
    setAutoInc(checked);
}

}  // namespace zelapp
