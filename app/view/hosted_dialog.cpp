#include "view/hosted_dialog.h"

#include <QShortcut>

namespace zelapp {

HostedDialog::HostedDialog(QWidget *parent) : QDialog(parent) {
    auto *help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &HostedDialog::helpRequested);
}

}  // namespace zelapp
