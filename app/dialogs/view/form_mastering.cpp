#include "dialogs/view/form_mastering.h"

#include <QLineEdit>
#include <QPalette>

#include "ui_form_mastering.h"
#include "view/window_place.h"

namespace zelapp {

FormMastering::FormMastering(MasteringTool &tool, const QString &programFolder, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormMastering>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    MasteringTool &t = tool_;
    connect(ui_->CommandMaster, &QPushButton::clicked, this, [&t] { t.CommandMaster_Click(); });
    connect(ui_->CommandUndo, &QPushButton::clicked, this, [&t] { t.CommandUndo_Click(); });
    connect(ui_->CommandResetMM, &QPushButton::clicked, this, [&t] { t.CommandResetMM_Click(); });
    connect(ui_->CommandDone, &QPushButton::clicked, this, &FormMastering::reject);
    connect(ui_->SpinButtonChannel, &SpinButton::spinUp, this,
            [&t] { t.SpinButtonChannel_SpinUp(); });
    connect(ui_->SpinButtonChannel, &SpinButton::spinDown, this,
            [&t] { t.SpinButtonChannel_SpinDown(); });
    // The number box's label leads the keyboard there: Up and Down step from it too.
    ui_->SpinButtonChannel->takeArrowKeysOf(ui_->TextMasterChannel);
    tool_.setView(this);
}

FormMastering::~FormMastering() {
    tool_.setView(nullptr);
}

void FormMastering::openDialog() {
    tool_.Form_Load();
    // On the spin button the arrow keys step and Enter reaches the default button.
    ui_->SpinButtonChannel->setFocus();
}

bool FormMastering::queryUnload() {
    tool_.Form_Unload();
    return true;
}

void FormMastering::refresh() {
    setWindowTitle(tool_.caption());
    ui_->TextMasterChannel->setText(tool_.TextMasterChannel());
    ui_->TextDescription->setText(tool_.TextDescription());
    ui_->TextMaster1Value->setText(tool_.TextMaster1Value());
    ui_->TextMaster2Value->setText(tool_.TextMaster2Value());
    ui_->TextChannelValue->setText(tool_.TextChannelValue());
    ui_->TxtM1->setText(tool_.TxtM1());
    ui_->TxtM2->setText(tool_.TxtM2());
    ui_->TxtSlope->setText(tool_.TxtSlope());
    ui_->TxtIntercept->setText(tool_.TxtIntercept());
    ui_->TxtSlopeBefore->setText(tool_.TxtSlopeBefore());
    ui_->TxtInterceptBefore->setText(tool_.TxtInterceptBefore());

    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, tool_.instructionRed()
                                               ? QColor(255, 0, 0)
                                               : palette().color(QPalette::ButtonText));
    ui_->LblInstruction->setPalette(colours);
    ui_->LblInstruction->setText(tool_.LblInstruction());

    ui_->LblLastMastered->setText(tool_.LblLastMastered());
    ui_->LblMasteringNote->setText(tool_.LblMasteringNote());

    const QString lost = tool_.unitLostText();
    ui_->LblUnitLost->setText(lost);
    ui_->LblUnitLost->setVisible(!lost.isEmpty());

    ui_->CommandMaster->setText(tool_.CommandMasterCaption());
    ui_->CommandMaster->setEnabled(tool_.CommandMasterEnabled());
    ui_->CommandUndo->setEnabled(tool_.CommandUndoEnabled());
    ui_->CommandResetMM->setEnabled(tool_.CommandResetMMEnabled());
}

void FormMastering::showLiveText(const QString &text) {
    ui_->TextChannelValue->setText(text);
}

}  // namespace zelapp
