#include "dialogs/view/form_setup_lvdt.h"

#include "dialogs/view/input_boxes.h"
#include "ui_form_setup_lvdt.h"
#include "view/check_boxes.h"
#include "view/window_place.h"

namespace zelapp {

FormSetupLvdt::FormSetupLvdt(SetupLvdtTool &tool, const QString &programFolder, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSetupLvdt>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    connectInputBoxes(*this, tool_);
    SetupLvdtTool &t = tool_;
    connect(ui_->SpinButtonLvdt, &SpinButton::spinUp, this, [&t] { t.SpinButtonLvdt_SpinUp(); });
    connect(ui_->SpinButtonLvdt, &SpinButton::spinDown, this,
            [&t] { t.SpinButtonLvdt_SpinDown(); });
    connect(ui_->CommandProgram, &QPushButton::clicked, this, [&t] { t.CommandProgram_Click(); });
    connect(ui_->CommandDone, &QPushButton::clicked, this, &FormSetupLvdt::reject);
    onOperatorToggle(
        ui_->CheckShowCurrentValue, this, [&t] { return t.CheckShowCurrentValue(); },
        [&t](bool checked) { t.CheckShowCurrentValue_Click(checked); });
    onOperatorToggle(
        ui_->CheckAutoIncLvdt, this, [&t] { return t.CheckAutoIncLvdt(); },
        [&t](bool checked) { t.CheckAutoIncLvdt_Click(checked); });
    // The number box's label leads the keyboard there: Up and Down step from it too.
    ui_->SpinButtonLvdt->takeArrowKeysOf(ui_->TextCurrentLvdt);
    tool_.setView(this);
}

FormSetupLvdt::~FormSetupLvdt() {
    tool_.setView(nullptr);
}

void FormSetupLvdt::openDialog() {
    tool_.Form_Load();
    tool_.Form_Activate();
    ui_->TextDescription->setFocus();
}

bool FormSetupLvdt::queryUnload() {
    return tool_.Form_QueryUnload();
}

void FormSetupLvdt::refresh() {
    showInputBoxes(*this, tool_);
    ui_->TextCurrentLvdt->setText(tool_.TextCurrentLvdt());
    ui_->TextCLvdtValue->setText(tool_.TextCLvdtValue());
    ui_->LabelStatus->setText(tool_.statusText());
    ui_->CheckShowCurrentValue->setChecked(tool_.CheckShowCurrentValue());
    ui_->CheckAutoIncLvdt->setChecked(tool_.CheckAutoIncLvdt());
    const bool enabled = tool_.boxesEnabled();
    for (QWidget *control :
         std::initializer_list<QWidget *>{ui_->SpinButtonLvdt, ui_->CheckShowCurrentValue,
                                          ui_->CheckAutoIncLvdt, ui_->CommandProgram}) {
        control->setEnabled(enabled);
    }
}

void FormSetupLvdt::showLiveText(const QString &text) {
    ui_->TextCLvdtValue->setText(text);
}

void FormSetupLvdt::focusBox(InputBox box) {
    focusInputBox(*this, box);
}

}  // namespace zelapp
