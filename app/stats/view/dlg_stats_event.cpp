#include "stats/view/dlg_stats_event.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace zelapp {

DlgStatsEvent::DlgStatsEvent(const QString &title, const QString &who,
                             const std::vector<std::pair<qint64, QString>> &parts, QWidget *parent)
    : QDialog(parent) {
    setObjectName(u"DlgStatsEvent"_s);
    setWindowTitle(title);
    auto *form = new QFormLayout(this);
    if (!parts.empty()) {
        part_ = new QComboBox(this);
        part_->setObjectName(u"ComboPart"_s);
        for (const auto &[id, text] : parts) {
            part_->addItem(text, id);
        }
        auto *label = new QLabel(u"&Part:"_s, this);
        label->setBuddy(part_);
        form->addRow(label, part_);
    }
    who_ = new QLineEdit(who, this);
    who_->setObjectName(u"TextWho"_s);
    auto *whoLabel = new QLabel(u"&Who:"_s, this);
    whoLabel->setBuddy(who_);
    form->addRow(whoLabel, who_);
    why_ = new QLineEdit(this);
    why_->setObjectName(u"TextWhy"_s);
    auto *whyLabel = new QLabel(u"W&hy:"_s, this);
    whyLabel->setBuddy(why_);
    form->addRow(whyLabel, why_);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    ok_ = buttons->button(QDialogButtonBox::Ok);
    ok_->setObjectName(u"CommandOK"_s);
    ok_->setEnabled(false);
    form->addRow(buttons);
    connect(why_, &QLineEdit::textChanged, this,
            [this](const QString &text) { ok_->setEnabled(!text.trimmed().isEmpty()); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    why_->setFocus();
}

QString DlgStatsEvent::who() const {
    return who_->text().trimmed();
}

QString DlgStatsEvent::why() const {
    return why_->text().trimmed();
}

qint64 DlgStatsEvent::partId() const {
    return part_ != nullptr ? part_->currentData().toLongLong() : 0;
}

}  // namespace zelapp
