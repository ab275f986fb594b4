#include "base/library_messages.h"

namespace zelapp {

PromptAnswer LibraryMessagePrompter::ask(const QString &text, const QString &title, PromptIcon,
                                         PromptButtons buttons) {
    const QString caption = title.isEmpty() ? QStringLiteral("Error") : title;
    const QString key = caption + QChar(u'\n') + text;
    if (open_.contains(key)) {
        return buttons == PromptButtons::YesNo || buttons == PromptButtons::YesNoCancel
                   ? PromptAnswer::No
                   : PromptAnswer::Ok;
    }
    open_.insert(key);
    const PromptAnswer answer = screen_.ask(text, caption, PromptIcon::Warning, buttons);
    open_.remove(key);
    return answer;
}

}  // namespace zelapp
