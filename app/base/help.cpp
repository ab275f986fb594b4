#include "base/help.h"

#include <QDir>
#include <QFile>

namespace zelapp {

QString helpFileName() {
#ifdef Q_OS_WIN
    return QStringLiteral("zelapp.hlp");
#else
    return QStringLiteral("zelapp.html");
#endif
}

void findHelpFile(AppState &state) {
    state.HelpFilePath = QDir(state.AppPath).filePath(helpFileName());
    QFile file(state.HelpFilePath);
    if (file.open(QIODevice::ReadOnly)) {
        file.close();
        state.HelpFile = state.HelpFilePath;
    }
}

void Help::ShowHelpTopic(long contextId, const QString &caption) {
    if (state_.HelpFile.isEmpty()) {
        prompter_.message(QStringLiteral("Unable to display Help Contents. There is no Help "
                                         "associated with this project."),
                          caption, PromptIcon::Information);
        return;
    }
    QString error;
    if (!viewer_.showTopic(state_.HelpFile, contextId, &error)) {
        prompter_.message(error);
    }
}

void Help::CloseHelp() {
    if (state_.HelpFile.isEmpty()) {
        return;
    }
    QString error;
    if (!viewer_.close(state_.HelpFile, &error)) {
        prompter_.message(error);
    }
}

}  // namespace zelapp
