#include "view/mnemonic_preference.h"

#include <QAbstractButton>
#include <QShortcutEvent>

namespace zelapp {

MnemonicPreference::MnemonicPreference(const QKeySequence &key, QAbstractButton *target,
                                       std::initializer_list<QWidget *> others)
    : QObject(target), key_(key), target_(target) {
    target->installEventFilter(this);
    for (QWidget *other : others) {
        other->installEventFilter(this);
    }
}

bool MnemonicPreference::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() != QEvent::Shortcut || static_cast<QShortcutEvent *>(event)->key() != key_ ||
        !target_->isEnabled() || !target_->isVisible()) {
        return QObject::eventFilter(watched, event);
    }
    target_->setFocus(Qt::ShortcutFocusReason);
    target_->click();
    return true;
}

}  // namespace zelapp
