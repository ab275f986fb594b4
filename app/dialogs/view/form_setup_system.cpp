#include "dialogs/view/form_setup_system.h"

#include <QLineEdit>

#include "ui_form_setup_system.h"
#include "view/window_place.h"

namespace zelapp {

FormSetupSystem::FormSetupSystem(SetupSystemTool &tool, const QString &programFolder,
                                 QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSetupSystem>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    for (int i = 0; i < kSystemBoxCount; ++i) {
        const auto which = static_cast<SystemBox>(i);
        connect(box(which), &QLineEdit::textEdited, this,
                [this, which](const QString &text) { tool_.editBox(which, text); });
    }
    connect(ui_->CommandOK, &QPushButton::clicked, this, &FormSetupSystem::CommandOK_Click);
    tool_.setView(this);
}

FormSetupSystem::~FormSetupSystem() {
    tool_.setView(nullptr);
}

QLineEdit *FormSetupSystem::box(SystemBox which) const {
    return findChild<QLineEdit *>(QString::fromLatin1(systemBoxInfo(which).name));
}

void FormSetupSystem::openDialog() {
    tool_.Form_Load();
    ui_->SSTab1->setCurrentIndex(0);
    ui_->txtChannels->setFocus();
}

void FormSetupSystem::CommandOK_Click() {
    // accept() closes without the close question, which would release the hold a second time.
    if (tool_.CommandOK_Click()) {
        accept();
    }
}

void FormSetupSystem::refresh() {
    for (int i = 0; i < kSystemBoxCount; ++i) {
        const auto which = static_cast<SystemBox>(i);
        QLineEdit *edit = box(which);
        if (edit->text() != tool_.text(which)) {
            edit->setText(tool_.text(which));
        }
    }
    ui_->TextMoxPortAdr->setText(tool_.TextMoxPortAdr());
    ui_->TextMoxFirmware->setText(tool_.TextMoxFirmware());
}

void FormSetupSystem::focusBox(SystemBox which) {
    ui_->SSTab1->setCurrentIndex(systemBoxInfo(which).tab);
    QLineEdit *edit = box(which);
    edit->setFocus();
    edit->selectAll();
}

}  // namespace zelapp
