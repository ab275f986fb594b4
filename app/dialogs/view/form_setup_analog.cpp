#include "dialogs/view/form_setup_analog.h"

#include "dialogs/view/input_boxes.h"
#include "ui_form_setup_analog.h"
#include "view/check_boxes.h"
#include "view/window_place.h"

namespace zelapp {

FormSetupAnalog::FormSetupAnalog(SetupAnalogTool &tool, const QString &programFolder,
                                 QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSetupAnalog>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    connectInputBoxes(*this, tool_);
    SetupAnalogTool &t = tool_;
    connect(ui_->SpinButtonAnalog, &SpinButton::spinUp, this,
            [&t] { t.SpinButtonAnalog_SpinUp(); });
    connect(ui_->SpinButtonAnalog, &SpinButton::spinDown, this,
            [&t] { t.SpinButtonAnalog_SpinDown(); });
    connect(ui_->CommandProgram, &QPushButton::clicked, this, [&t] { t.CommandProgram_Click(); });
    connect(ui_->CommandDone, &QPushButton::clicked, this, &FormSetupAnalog::reject);
    onOperatorToggle(
        ui_->CheckShowCurrentValue, this, [&t] { return t.CheckShowCurrentValue(); },
        [&t](bool checked) { t.CheckShowCurrentValue_Click(checked); });
    onOperatorToggle(
        ui_->CheckAutoIncAnalog, this, [&t] { return t.CheckAutoIncAnalog(); },
        [&t](bool checked) { t.setCheckAutoIncAnalog(checked); });
    // The number box's label leads the keyboard there: Up and Down step from it too.
    ui_->SpinButtonAnalog->takeArrowKeysOf(ui_->TextCurrentAnalog);
    tool_.setView(this);
}

FormSetupAnalog::~FormSetupAnalog() {
    tool_.setView(nullptr);
}

void FormSetupAnalog::openDialog() {
    // The analog dialog has no activation step: its check boxes start unchecked.
    tool_.Form_Load();
    ui_->TextDescription->setFocus();
}

bool FormSetupAnalog::queryUnload() {
    return tool_.Form_QueryUnload();
}

void FormSetupAnalog::refresh() {
    showInputBoxes(*this, tool_);
    ui_->TextCurrentAnalog->setText(tool_.TextCurrentAnalog());
    ui_->TextCAnalogValue->setText(tool_.TextCAnalogValue());
    ui_->LabelStatus->setText(tool_.statusText());
    ui_->CheckShowCurrentValue->setChecked(tool_.CheckShowCurrentValue());
    ui_->CheckAutoIncAnalog->setChecked(tool_.CheckAutoIncAnalog());
    const bool enabled = tool_.boxesEnabled();
    for (QWidget *control :
         std::initializer_list<QWidget *>{ui_->SpinButtonAnalog, ui_->CheckShowCurrentValue,
                                          ui_->CheckAutoIncAnalog, ui_->CommandProgram}) {
        control->setEnabled(enabled);
    }
}

void FormSetupAnalog::showLiveText(const QString &text) {
    ui_->TextCAnalogValue->setText(text);
}

void FormSetupAnalog::focusBox(InputBox box) {
    focusInputBox(*this, box);
}

}  // namespace zelapp
