#include "view/message_box_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>

namespace zelapp {

namespace {

QMessageBox::Icon boxIcon(PromptIcon icon) {
    switch (icon) {
        case PromptIcon::Information:
            return QMessageBox::Information;
        case PromptIcon::Warning:
            return QMessageBox::Warning;
        case PromptIcon::Critical:
            return QMessageBox::Critical;
        case PromptIcon::Question:
            return QMessageBox::Question;
        case PromptIcon::None:
            break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons boxButtons(PromptButtons buttons) {
    switch (buttons) {
        case PromptButtons::OkCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case PromptButtons::YesNo:
            return QMessageBox::Yes | QMessageBox::No;
        case PromptButtons::YesNoCancel:
        case PromptButtons::ProgramDiscardCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case PromptButtons::RetryStartExit:
            return QMessageBox::Retry | QMessageBox::Ignore | QMessageBox::Close;
        case PromptButtons::Ok:
            break;
    }
    return QMessageBox::Ok;
}

PromptAnswer answerFor(int button) {
    switch (button) {
        case QMessageBox::Yes:
            return PromptAnswer::Yes;
        case QMessageBox::No:
            return PromptAnswer::No;
        case QMessageBox::Cancel:
        case QMessageBox::Close:
            return PromptAnswer::Cancel;
        case QMessageBox::Retry:
            return PromptAnswer::Retry;
        case QMessageBox::Ignore:
            return PromptAnswer::Continue;
        default:
            return PromptAnswer::Ok;
    }
}

}  // namespace

PromptAnswer MessageBoxPrompter::ask(const QString &text, const QString &title, PromptIcon icon,
                                     PromptButtons buttons) {
    QString shown = text;
    shown.replace(QChar(u'\r'), QChar(u'\n'));
    QMessageBox box(boxIcon(icon), title.isEmpty() ? programTitle_ : title, shown,
                    boxButtons(buttons), QApplication::activeWindow());
    // Escape and the close box give Cancel where there is one, else the last safe answer.
    if (buttons == PromptButtons::YesNo) {
        box.setEscapeButton(QMessageBox::No);
    }
    if (buttons == PromptButtons::ProgramDiscardCancel) {
        box.button(QMessageBox::Yes)->setText(QStringLiteral("&Program"));
        box.button(QMessageBox::No)->setText(QStringLiteral("&Discard"));
    }
    if (buttons == PromptButtons::RetryStartExit) {
        // Escape and the close box end the program, as the box without a choice did.
        box.button(QMessageBox::Retry)->setText(QStringLiteral("Retry"));
        box.button(QMessageBox::Ignore)->setText(QStringLiteral("Start without the unit"));
        box.button(QMessageBox::Close)->setText(QStringLiteral("Exit"));
        box.setEscapeButton(QMessageBox::Close);
        box.setDefaultButton(QMessageBox::Retry);
    }
    return answerFor(box.exec());
}

void MessageBoxPrompter::notify(const QString &text, const QString &title, PromptIcon icon) {
    QString shown = text;
    shown.replace(QChar(u'\r'), QChar(u'\n'));
    auto *box = new QMessageBox(boxIcon(icon), title.isEmpty() ? programTitle_ : title, shown,
                                QMessageBox::Ok, QApplication::activeWindow());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(false);
    box->show();
}

void MessageBoxPrompter::beep() {
    QApplication::beep();
}

}  // namespace zelapp
