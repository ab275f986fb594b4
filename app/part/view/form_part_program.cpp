#include "part/view/form_part_program.h"

#include <QLineEdit>

#include "core/session.h"
#include "dialogs/help_topics.h"
#include "ui_form_part_program.h"

namespace zelapp {

FormPartProgram::FormPartProgram(PartProgramTool &tool, QWidget *parent)
    : HostedDialog(parent), ui_(std::make_unique<Ui::FormPartProgram>()), tool_(tool) {
    ui_->setupUi(this);
    for (const ProgramBox which : kProgramBoxes) {
        connect(box(which), &QLineEdit::textEdited, this,
                [this, which](const QString &text) { tool_.editBox(which, text); });
    }
    connect(ui_->cboStart, &QComboBox::activated, this,
            [this](int index) { tool_.setAutoStart(index == 1); });
    connect(ui_->chkAskId, &QCheckBox::toggled, this, [this](bool on) { tool_.setAskId(on); });
    connect(ui_->CommandOK, &QPushButton::clicked, this, &FormPartProgram::CommandOK_Click);
    connect(ui_->CommandCancel, &QPushButton::clicked, this, &FormPartProgram::reject);
    tool_.setView(this);
}

FormPartProgram::~FormPartProgram() {
    tool_.setView(nullptr);
    tool_.closed();
}

QLineEdit *FormPartProgram::box(ProgramBox which) const {
    return findChild<QLineEdit *>(QString::fromLatin1(programBoxInfo(which).name));
}

void FormPartProgram::openDialog() {
    tool_.Form_Load();
    ui_->txtNumber->setFocus();
}

void FormPartProgram::CommandOK_Click() {
    // accept() closes without the close question: what was saved needs none.
    if (tool_.CommandOK_Click()) {
        accept();
    }
}

void FormPartProgram::refresh() {
    for (const ProgramBox which : kProgramBoxes) {
        QLineEdit *edit = box(which);
        if (edit->text() != tool_.text(which)) {
            edit->setText(tool_.text(which));
        }
    }
    ui_->cboStart->setCurrentIndex(tool_.autoStart() ? 1 : 0);
    ui_->chkAskId->setChecked(tool_.askId());
    for (QWidget *present :
         {static_cast<QWidget *>(ui_->lblPresentChannel),
          static_cast<QWidget *>(ui_->txtPresentChannel),
          static_cast<QWidget *>(ui_->lblPresentChannelHint),
          static_cast<QWidget *>(ui_->lblPresentLow), static_cast<QWidget *>(ui_->txtPresentLow),
          static_cast<QWidget *>(ui_->lblPresentHigh),
          static_cast<QWidget *>(ui_->txtPresentHigh)}) {
        present->setEnabled(tool_.presentEnabled());
    }
    ui_->lblCharacteristicsHint->setText(tool_.characteristicsHint());
    ui_->lblSettleBandHint->setText(tool_.settleBandHint());
    ui_->lblPresentChannelHint->setText(tool_.presentChannelHint());
}

void FormPartProgram::focusBox(ProgramBox which) {
    QLineEdit *edit = box(which);
    edit->setFocus();
    edit->selectAll();
}

void showPartProgramDialog(Session &session, QWidget *parent) {
    auto *form = parent != nullptr
                     ? parent->findChild<FormPartProgram *>(QStringLiteral("FormPartProgram"),
                                                            Qt::FindDirectChildrenOnly)
                     : nullptr;
    if (form == nullptr) {
        form = new FormPartProgram(session.partProgramTool(), parent);
        form->setAttribute(Qt::WA_DeleteOnClose, parent == nullptr);
        QObject::connect(form, &HostedDialog::helpRequested, form,
                         [&session] { session.commands().showHelpTopic(kPartProgramHelpTopic); });
    }
    if (!form->isVisible()) {
        form->openDialog();
    }
    form->show();
    form->raise();
    form->activateWindow();
}

}  // namespace zelapp
