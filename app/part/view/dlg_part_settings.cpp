#include "part/view/dlg_part_settings.h"

#include <QPushButton>

#include "ui_dlg_part_settings.h"

namespace zelapp {

DlgPartSettings::DlgPartSettings(const PartSettings &settings, QWidget *parent)
    : QDialog(parent), ui_(std::make_unique<Ui::DlgPartSettings>()) {
    ui_->setupUi(this);
    ui_->ComboPalette->setCurrentIndex(settings.palette == ResultPalette::OkabeIto ? 1 : 0);
    ui_->CheckBeep->setChecked(settings.beep);
    // Enter is OK from every control; Escape is Cancel (QDialog's own).
    ui_->ButtonBox->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(ui_->ButtonBox, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(ui_->ButtonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

DlgPartSettings::~DlgPartSettings() = default;

PartSettings DlgPartSettings::settings() const {
    return {
        ui_->ComboPalette->currentIndex() == 1 ? ResultPalette::OkabeIto : ResultPalette::Standard,
        ui_->CheckBeep->isChecked()};
}

}  // namespace zelapp
