#include "unit/library_messages.h"

#include <QMetaObject>
#include <QThread>

namespace zelapp {

namespace {
PromptAnswer safestAnswer(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo || buttons == PromptButtons::YesNoCancel
               ? PromptAnswer::No
               : PromptAnswer::Ok;
}
}  // namespace

QString LibraryMessagePrompter::demoModeText() {
    return QStringLiteral("ZEL-8 not communicating -- Entering DEMO mode");
}

PromptAnswer LibraryMessagePrompter::ask(const QString &text, const QString &title, PromptIcon,
                                         PromptButtons buttons) {
    if (text == demoModeText()) {
        return PromptAnswer::Ok;
    }
    const QString caption = title.isEmpty() ? QStringLiteral("Error") : title;
    if (QThread::currentThread() != owner_.thread()) {
        QMetaObject::invokeMethod(
            &owner_, [this, text, caption, buttons] { show(text, caption, buttons); },
            Qt::QueuedConnection);
        return safestAnswer(buttons);
    }
    return show(text, caption, buttons);
}

PromptAnswer LibraryMessagePrompter::show(const QString &text, const QString &caption,
                                          PromptButtons buttons) {
    const QString key = caption + QChar(u'\n') + text;
    if (quiet_ && quiet_()) {
        if (!noticed_.contains(key)) {
            noticed_.insert(key);
            screen_.notify(text, caption, PromptIcon::Warning);
        }
        return safestAnswer(buttons);
    }
    if (open_.contains(key)) {
        return safestAnswer(buttons);
    }
    open_.insert(key);
    const PromptAnswer answer = screen_.ask(text, caption, PromptIcon::Warning, buttons);
    open_.remove(key);
    return answer;
}

}  // namespace zelapp
