#include "core/command_line.h"

#include <QFileInfo>
#include <algorithm>

#include "base/app_state.h"

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

namespace {

// On Linux every absolute path begins with "/" too. A path to a file in a folder holds a
// further "/" and is taken as the setup file even when it is missing, so that the reader can
// say so; a file straight in the root folder is recognised by being there.
bool isPathWord(const QString &word, const std::function<bool(const QString &)> &isFile) {
#ifdef Q_OS_WIN
    Q_UNUSED(word);
    Q_UNUSED(isFile);
    return false;
#else
    return word.indexOf(u'/', 1) > 0 || (isFile && isFile(word));
#endif
}

}  // namespace

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
        } else if (word == u"/OFFLINE") {
            args.offline = true;
        } else if (word == u"/LVDT") {
            args.viewType = VIEWTYPELVDTS;
        } else if (word == u"/CHAN") {
            args.viewType = VIEWTYPECHANNELS;
        } else if (isPathWord(word, isFile)) {
            args.setupFile = word;  // an absolute path, not an unknown switch
        }
    }
    return args;
}

std::optional<QString> takeOption(QStringList &arguments, const QString &name) {
    std::optional<QString> value;
    const QString prefix = name + QLatin1Char('=');
    for (qsizetype i = 1; i < arguments.size();) {
        if (arguments[i] == name) {
            value = i + 1 < arguments.size() ? arguments[i + 1] : QString();
            arguments.remove(i, std::min<qsizetype>(2, arguments.size() - i));
        } else if (arguments[i].startsWith(prefix)) {
            value = arguments[i].mid(prefix.size());
            arguments.remove(i);
        } else {
            ++i;
        }
    }
    return value;
}

QString joinArguments(const QStringList &arguments) {
    return arguments.mid(1).join(u' ');
}

}  // namespace zelapp
