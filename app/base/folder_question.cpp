#include "base/folder_question.h"

#include <QDir>
#include <QFileInfo>

#include "base/prompter.h"

namespace zelapp {

bool confirmFolder(Prompter &prompter, const QString &folder, const QString &what) {
    if (folder.trimmed().isEmpty() || QFileInfo(folder).isDir()) {
        return true;
    }
    const QString shown = QDir::toNativeSeparators(folder);
    switch (prompter.ask(QStringLiteral("The %1 %2 does not exist.").arg(what, shown) +
                             QLatin1Char('\r') + QStringLiteral("Create it?"),
                         {}, PromptIcon::Question, PromptButtons::YesNoCancel)) {
        case PromptAnswer::Yes:
            // Made as any folder the user makes: the quality system's collector, often another
            // user, reads what is exported there.
            if (QDir().mkpath(folder)) {
                return true;
            }
            prompter.message(QStringLiteral("The %1 %2 cannot be made.").arg(what, shown), {},
                             PromptIcon::Warning);
            return false;
        case PromptAnswer::No:
            return true;
        default:
            return false;
    }
}

}  // namespace zelapp
