#include "dialogs/view/form_setup_chan.h"

#include <QLineEdit>

#include "ui_form_setup_chan.h"
#include "view/check_boxes.h"
#include "view/mnemonic_preference.h"
#include "view/window_place.h"

namespace zelapp {

FormSetupChan::FormSetupChan(SetupChanTool &tool, const QString &programFolder, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormSetupChan>()), tool_(tool) {
    ui_->setupUi(this);
    applyProgramIcon(*this, programFolder);
    for (int i = 0; i < kChanBoxCount; ++i) {
        const auto which = static_cast<ChanBox>(i);
        // Only the operator's edits count: textEdited is not raised when refresh() fills in.
        connect(box(which), &QLineEdit::textEdited, this,
                [this, which](const QString &text) { tool_.editBox(which, text); });
    }
    SetupChanTool &t = tool_;
    connect(ui_->CommandNext, &QPushButton::clicked, this, [&t] { t.CommandNext_Click(); });
    connect(ui_->CommandPrev, &QPushButton::clicked, this, [&t] { t.CommandPrev_Click(); });
    connect(ui_->CommandProgram, &QPushButton::clicked, this, [&t] { t.CommandProgram_Click(); });
    connect(ui_->CommandResetMM, &QPushButton::clicked, this, [&t] { t.CommandResetMM_Click(); });
    connect(ui_->CommandDone, &QPushButton::clicked, this, &FormSetupChan::reject);
    connect(ui_->SpinButtonChannel, &SpinButton::spinUp, this,
            [&t] { t.SpinButtonChannel_SpinUp(); });
    connect(ui_->SpinButtonChannel, &SpinButton::spinDown, this,
            [&t] { t.SpinButtonChannel_SpinDown(); });
    connect(ui_->SpinButtonDecimals, &SpinButton::spinUp, this,
            [&t] { t.SpinButtonDecimals_SpinUp(); });
    connect(ui_->SpinButtonDecimals, &SpinButton::spinDown, this,
            [&t] { t.SpinButtonDecimals_SpinDown(); });
    onOperatorToggle(
        ui_->CheckShowCurrentValue, this, [&t] { return t.CheckShowCurrentValue(); },
        [&t](bool checked) { t.CheckShowCurrentValue_Click(checked); });
    onOperatorToggle(
        ui_->CheckAutoIncChannel, this, [&t] { return t.CheckAutoIncChannel(); },
        [&t](bool checked) { t.CheckAutoIncChannel_Click(checked); });
    onOperatorToggle(
        ui_->CheckUse2Masters, this, [&t] { return t.CheckUse2Masters(); },
        [&t](bool checked) { t.CheckUse2Masters_Click(checked); });
    // The captions keep their letters, but each shared letter acts at the first press: Alt+T
    // checks "Use Two Masters" (Bar Top is one click away), and Alt+R steps back with Prev,
    // which asks about edits, rather than clearing MAX/MIN with Reset, which asks nothing.
    new MnemonicPreference(QKeySequence(Qt::ALT | Qt::Key_T), ui_->CheckUse2Masters,
                           {ui_->LabelBarTopValue});
    new MnemonicPreference(QKeySequence(Qt::ALT | Qt::Key_R), ui_->CommandPrev,
                           {ui_->CommandResetMM});
    // The number box's label leads the keyboard there: Up and Down step from it too.
    ui_->SpinButtonChannel->takeArrowKeysOf(ui_->TextCurrentChannel);
    tool_.setView(this);
}

FormSetupChan::~FormSetupChan() {
    tool_.setView(nullptr);
}

QLineEdit *FormSetupChan::box(ChanBox which) const {
    return findChild<QLineEdit *>(QString::fromLatin1(chanBoxInfo(which).name));
}

void FormSetupChan::openDialog() {
    tool_.Form_Load();
    tool_.Form_Activate();
    ui_->TextFormula->setFocus();
}

bool FormSetupChan::queryUnload() {
    return tool_.Form_QueryUnload();
}

void FormSetupChan::refresh() {
    const bool enabled = tool_.boxesEnabled();
    for (int i = 0; i < kChanBoxCount; ++i) {
        const auto which = static_cast<ChanBox>(i);
        QLineEdit *edit = box(which);
        // setText would put the cursor at the end and forget what is selected; only a
        // changed text is set again.
        if (edit->text() != tool_.text(which)) {
            edit->setText(tool_.text(which));
        }
        edit->setEnabled(enabled);
    }
    ui_->TextMaster2Value->setEnabled(enabled && tool_.master2Enabled());
    ui_->TextCurrentChannel->setText(tool_.TextCurrentChannel());
    ui_->TextChannelValue->setText(tool_.TextChannelValue());
    ui_->LabelStatus->setText(tool_.statusText());
    ui_->CheckUse2Masters->setChecked(tool_.CheckUse2Masters());
    ui_->CheckShowCurrentValue->setChecked(tool_.CheckShowCurrentValue());
    ui_->CheckAutoIncChannel->setChecked(tool_.CheckAutoIncChannel());
    for (QWidget *control : std::initializer_list<QWidget *>{
             ui_->CheckUse2Masters, ui_->SpinButtonChannel, ui_->SpinButtonDecimals,
             ui_->CheckShowCurrentValue, ui_->CheckAutoIncChannel, ui_->CommandPrev,
             ui_->CommandNext, ui_->CommandProgram}) {
        control->setEnabled(enabled);
    }
    ui_->CommandResetMM->setEnabled(tool_.CommandResetMMEnabled());
}

void FormSetupChan::showLiveText(const QString &text) {
    ui_->TextChannelValue->setText(text);
}

void FormSetupChan::focusBox(ChanBox which) {
    QLineEdit *edit = box(which);
    edit->setFocus();
    edit->selectAll();
}

}  // namespace zelapp
