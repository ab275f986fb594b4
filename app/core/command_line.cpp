#include "core/command_line.h"

#include <QFileInfo>

#include "core/app_state.h"

namespace zelapp {

bool containsSwitch(const QString &commandLine, const QString &switchText) {
    return commandLine.contains(switchText, Qt::CaseInsensitive);
}

QStringList commandLineWords(const QString &commandLine) {
    constexpr int kMaxWords = 10;
    QStringList words;
    QString word;
    for (QChar c : commandLine) {
        if (c == u' ' || c == u'\t') {
            if (!word.isEmpty()) {
                words.append(word);
                word.clear();
            }
            continue;
        }
        if (word.isEmpty() && words.size() == kMaxWords) {
            break;  // an eleventh word starts: the rest is not read
        }
        word.append(c);
    }
    if (!word.isEmpty()) {
        words.append(word);
    }
    return words;
}

bool isExistingFile(const QString &path) {
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return false;  // paths never start with "/" there: every "/" word is a switch
#else
    return QFileInfo(path).isFile();
#endif
}

MainWindowArguments mainWindowArguments(const QString &commandLine,
                                        const std::function<bool(const QString &)> &isFile) {
    MainWindowArguments args;
    for (const QString &word : commandLineWords(commandLine)) {
        if (!word.startsWith(u'/')) {
            args.setupFile = word;
        } else if (word == u"/BARS") {
            args.openBars = true;
        } else if (word == u"/NUMS") {
            args.openGrid = true;
        } else if (word == u"/LVDT") {
            args.viewType = VIEWTYPELVDTS;
        } else if (word == u"/CHAN") {
            args.viewType = VIEWTYPECHANNELS;
        } else if (isFile && isFile(word)) {
            args.setupFile = word;  // an absolute path, not an unknown switch
        }
    }
    return args;
}

QString joinArguments(const QStringList &arguments) {
    return arguments.mid(1).join(u' ');
}

}  // namespace zelapp
