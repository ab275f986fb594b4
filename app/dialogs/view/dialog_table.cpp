#include "dialogs/view/dialog_table.h"

#include <array>

#include "base/app_state.h"
#include "dialogs/dialog_tools.h"
#include "dialogs/view/form_about.h"
#include "dialogs/view/form_calibrate.h"
#include "dialogs/view/form_mastering.h"
#include "dialogs/view/form_select_group.h"
#include "dialogs/view/form_setup_analog.h"
#include "dialogs/view/form_setup_chan.h"
#include "dialogs/view/form_setup_group.h"
#include "dialogs/view/form_setup_lvdt.h"
#include "dialogs/view/form_setup_system.h"
#include "view/window_context.h"

namespace zelapp {

namespace {

struct DialogForm {
    CommandDialog dialog;
    HostedDialog *(*make)(const WindowContext &context, QWidget &parent);
};

// A form whose constructor takes its tool, the program folder (for the icon) and the parent.
template <typename Form, auto Tool>
HostedDialog *formOver(const WindowContext &context, QWidget &parent) {
    return new Form(context.dialogs.*Tool, context.state.AppPath, &parent);
}

HostedDialog *aboutForm(const WindowContext &context, QWidget &parent) {
    return new FormAboutMoxSRV(context.state, context.unit, context.state.AppPath, &parent);
}

const std::array kDialogForms{
    DialogForm{CommandDialog::SelectGroup, formOver<FormSelectGroup, &DialogTools::selectGroup>},
    DialogForm{CommandDialog::SetupChan, formOver<FormSetupChan, &DialogTools::setupChan>},
    DialogForm{CommandDialog::SetupLvdt, formOver<FormSetupLvdt, &DialogTools::setupLvdt>},
    DialogForm{CommandDialog::SetupAnalog, formOver<FormSetupAnalog, &DialogTools::setupAnalog>},
    DialogForm{CommandDialog::SetupGroup, formOver<FormSetupGroup, &DialogTools::setupGroup>},
    DialogForm{CommandDialog::SetupSystem, formOver<FormSetupSystem, &DialogTools::setupSystem>},
    DialogForm{CommandDialog::Mastering, formOver<FormMastering, &DialogTools::mastering>},
    DialogForm{CommandDialog::Calibrate, formOver<FormCalibrate, &DialogTools::calibrate>},
    DialogForm{CommandDialog::About, aboutForm},
};

}  // namespace

HostedDialog *makeDialogForm(CommandDialog dialog, const WindowContext &context, QWidget &parent) {
    for (const DialogForm &form : kDialogForms) {
        if (form.dialog == dialog) {
            return form.make(context, parent);
        }
    }
    return nullptr;
}

}  // namespace zelapp
