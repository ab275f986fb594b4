#include "dialogs/view/dialog_table.h"

#include <array>

#include "core/session.h"
#include "dialogs/view/form_about.h"
#include "dialogs/view/form_calibrate.h"
#include "dialogs/view/form_mastering.h"
#include "dialogs/view/form_select_group.h"
#include "dialogs/view/form_setup_analog.h"
#include "dialogs/view/form_setup_chan.h"
#include "dialogs/view/form_setup_group.h"
#include "dialogs/view/form_setup_lvdt.h"
#include "dialogs/view/form_setup_system.h"

namespace zelapp {

namespace {

struct DialogForm {
    CommandDialog dialog;
    HostedDialog *(*make)(Session &session, QWidget &parent);
};

// A form whose constructor takes its tool, the program folder (for the icon) and the parent.
template <typename Form, auto Tool>
HostedDialog *formOver(Session &session, QWidget &parent) {
    return new Form(session.dialogs().*Tool, session.state().AppPath, &parent);
}

HostedDialog *aboutForm(Session &session, QWidget &parent) {
    return new FormAboutMoxSRV(session.state(), session.unit(), session.state().AppPath, &parent);
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

HostedDialog *makeDialogForm(CommandDialog dialog, Session &session, QWidget &parent) {
    for (const DialogForm &form : kDialogForms) {
        if (form.dialog == dialog) {
            return form.make(session, parent);
        }
    }
    return nullptr;
}

}  // namespace zelapp
