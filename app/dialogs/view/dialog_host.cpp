#include "dialogs/view/dialog_host.h"

#include "core/session.h"
#include "dialogs/help_topics.h"
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

DialogHost::DialogHost(Session &session, QWidget &mainWindow)
    : session_(session), mainWindow_(mainWindow) {}

DialogHost::~DialogHost() {
    for (auto &[which, dialog] : dialogs_) {
        delete dialog;
    }
}

HostedDialog *DialogHost::dialog(CommandDialog which) const {
    const auto it = dialogs_.find(which);
    return it != dialogs_.end() ? it->second : nullptr;
}

HostedDialog *DialogHost::make(CommandDialog which) {
    if (HostedDialog *made = dialog(which)) {
        return made;
    }
    HostedDialog *made = nullptr;
    switch (which) {
        case CommandDialog::SetupChan:
            made = new FormSetupChan(session_.setupChan(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::SetupLvdt:
            made = new FormSetupLvdt(session_.setupLvdt(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::SetupAnalog:
            made =
                new FormSetupAnalog(session_.setupAnalog(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::SetupGroup:
            made =
                new FormSetupGroup(session_.setupGroup(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::SelectGroup:
            made =
                new FormSelectGroup(session_.selectGroup(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::Mastering:
            made = new FormMastering(session_.mastering(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::SetupSystem:
            made =
                new FormSetupSystem(session_.setupSystem(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::Calibrate:
            made = new FormCalibrate(session_.calibrate(), session_.state().AppPath, &mainWindow_);
            break;
        case CommandDialog::About:
            made = new FormAboutMoxSRV(session_.state(), session_.unit(), session_.state().AppPath,
                                       &mainWindow_);
            break;
        default:
            return nullptr;  // not part of the program yet
    }
    // F1 opens the dialog's own section of the manual; the calibration's is its Help button's.
    const long topic = helpTopic(which);
    QObject::connect(made, &HostedDialog::helpRequested, made,
                     [this, topic] { session_.commands().showHelpTopic(topic); });
    dialogs_[which] = made;
    return made;
}

DialogResult DialogHost::showDialog(CommandDialog which, bool modal) {
    HostedDialog *shown = make(which);
    if (shown == nullptr) {
        return DialogResult::Cancelled;
    }
    if (shown->isVisible()) {
        shown->raise();
        shown->activateWindow();
        return DialogResult::Shown;
    }
    shown->openDialog();
    if (modal) {
        return shown->exec() == QDialog::Accepted ? DialogResult::Ok : DialogResult::Cancelled;
    }
    shown->setModal(false);
    shown->show();
    shown->raise();
    shown->activateWindow();
    return DialogResult::Shown;
}

void DialogHost::ShowCalibrateAt(int probe, float x, float y) {
    static_cast<FormCalibrate *>(make(CommandDialog::Calibrate))->ShowCalibrateAt(probe, x, y);
}

bool DialogHost::isDialogOpen(CommandDialog which) const {
    const HostedDialog *open = dialog(which);
    return open != nullptr && open->isVisible();
}

bool DialogHost::closeAll() {
    for (auto &[which, open] : dialogs_) {
        if (open->isVisible()) {
            open->reject();
            if (open->isVisible()) {
                return false;
            }
        }
    }
    return true;
}

}  // namespace zelapp
