#include "dialogs/view/dialog_host.h"

#include "base/help.h"
#include "base/help_topics.h"
#include "dialogs/view/dialog_table.h"
#include "dialogs/view/form_calibrate.h"
#include "view/window_context.h"

namespace zelapp {

DialogHost::DialogHost(const WindowContext &context, QWidget &mainWindow)
    : context_(context), mainWindow_(mainWindow) {}

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
    HostedDialog *made = makeDialogForm(which, context_, mainWindow_);
    if (made == nullptr) {
        return nullptr;
    }
    // F1 opens the dialog's own section of the manual; the calibration's is its Help button's.
    const long topic = helpTopic(which);
    QObject::connect(made, &HostedDialog::helpRequested, made,
                     [this, topic] { context_.help.showHelpTopic(topic); });
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
