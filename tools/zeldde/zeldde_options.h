// The command line of zeldde, read without touching the service: what to do, with which
// service, topic and items.
#pragma once

#include <QString>
#include <QStringList>

namespace zeldde {

enum class Verb { Request, Advise, Execute };

struct Options {
    Verb verb = Verb::Request;
    QString service = QStringLiteral("zelapp");
    // Display, or Part for execute, unless an option or a link names another.
    QString topic = QStringLiteral("Display");
    // As they go on the wire: a pasted link gives the item it names. Exact repeats are kept
    // for request (each prints a line) and dropped for advise (one hot link per item).
    // execute: the one command.
    QStringList items;
    // advise: stop after this many printed lines in all; 0 for no bound.
    int count = 0;
    // How long to keep trying to reach the service, in seconds; 0 tries once.
    int waitSeconds = 0;
    // --help was given: show the help and do nothing else.
    bool help = false;
};

struct ParsedOptions {
    Options options;
    // Why the arguments cannot be used; empty when they can.
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Reads the arguments that follow the program name.
ParsedOptions parseZelddeOptions(const QStringList &args);

// The few lines shown after a usage error.
QString zelddeUsage();
// The whole help text of --help.
QString zelddeHelp();

}  // namespace zeldde
