// The program's command line as one text, the way the operator's shortcut passes it: the
// diagnostic switches that start-up looks for anywhere, and the words the main window reads.
#pragma once

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace zelapp {

// True when `switchText` occurs anywhere in the command line, letter case ignored
// ("/DEBUGINIT", "/EPPERR").
bool containsSwitch(const QString &commandLine, const QString &switchText);

// Words separated by blanks and tabs; quotes are ordinary characters. At most 10 words.
QStringList commandLineWords(const QString &commandLine);

struct MainWindowArguments {
    bool openBars = false;        // "/BARS"
    bool openGrid = false;        // "/NUMS"
    bool offline = false;         // "/OFFLINE": start without the unit, without asking
    std::optional<int> viewType;  // "/LVDT" or "/CHAN", the last one given
    QString setupFile;            // the last word not starting with "/"
};

// Whether a path names an existing file; always false on Windows.
bool isExistingFile(const QString &path);

// The view switches (exact case) and the setup file of the command line. Other words starting
// with "/" are ignored, except paths: on Linux an absolute path starts with "/" too, and a
// word holding a further "/", or one that `isFile` accepts, is the setup file.
MainWindowArguments mainWindowArguments(
    const QString &commandLine,
    const std::function<bool(const QString &)> &isFile = isExistingFile);

// Takes "--name VALUE" or "--name=VALUE" out of the program's arguments, so that the words the
// main window reads never see it, and returns the last value given; none when absent. A name
// at the end with no value is taken out and gives an empty value.
std::optional<QString> takeOption(QStringList &arguments, const QString &name);

// Joins program arguments back into one command line (the first argument, the program, left out).
QString joinArguments(const QStringList &arguments);

}  // namespace zelapp
