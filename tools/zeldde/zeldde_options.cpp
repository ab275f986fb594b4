#include "zeldde_options.h"

#include <limits>

#include "exchange/link_protocol.h"

namespace zeldde {

namespace {

constexpr int kMaxWaitSeconds = 86400;

QString quoted(const QString &text) {
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// A whole number in plain decimal from `low` to `high`; false for anything else, signs and
// blanks included.
bool readNumber(const QString &text, int low, int high, int *value) {
    if (text.isEmpty() || text.size() > 10) {
        return false;
    }
    qint64 number = 0;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return false;
        }
        number = number * 10 + (c.unicode() - '0');
    }
    if (number < low || number > high) {
        return false;
    }
    *value = static_cast<int>(number);
    return true;
}

// The wire carries 8-bit text in TAB-separated lines: a name must fit in that.
QString wireProblem(const QString &what, const QString &text) {
    if (text.isEmpty()) {
        return QStringLiteral("the %1 is empty").arg(what);
    }
    for (const QChar c : text) {
        if (c == QLatin1Char('\t') || c == QLatin1Char('\n') || c == QLatin1Char('\r')) {
            return QStringLiteral("the %1 %2 holds a tab or a line break").arg(what, quoted(text));
        }
        if (c.unicode() > 0xff) {
            return QStringLiteral("the %1 %2 holds a character beyond Latin-1")
                .arg(what, quoted(text));
        }
    }
    return {};
}

QString serviceProblem(const QString &service) {
    const QString problem = wireProblem(QStringLiteral("service name"), service);
    if (!problem.isEmpty()) {
        return problem;
    }
    // The name is a file name in the socket folder.
    if (service.contains(QLatin1Char('/')) || service.contains(QChar(0)) ||
        service == QLatin1String(".") || service == QLatin1String("..")) {
        return QStringLiteral("the service name %1 is not a plain name").arg(quoted(service));
    }
    return {};
}

// A service or topic set by an option or by a link; every source must name the same one.
struct Named {
    QString value;
    QString source;

    QString set(const QString &what, const QString &text, const QString &from) {
        if (source.isEmpty()) {
            value = text;
            source = from;
            return {};
        }
        // The service matches names without regard to case.
        if (value.compare(text, Qt::CaseInsensitive) != 0) {
            return QStringLiteral("%1 names the %2 %3, but %4 names %5")
                .arg(from, what, quoted(text), source, quoted(value));
        }
        return {};
    }
};

ParsedOptions failure(const QString &error) {
    ParsedOptions parsed;
    parsed.error = error;
    return parsed;
}

}  // namespace

ParsedOptions parseZelddeOptions(const QStringList &args) {
    for (const QString &arg : args) {
        if (arg == QLatin1String("--")) {
            break;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            ParsedOptions parsed;
            parsed.options.help = true;
            return parsed;
        }
    }

    ParsedOptions parsed;
    Options &options = parsed.options;
    Named service, topic;
    QStringList words;  // the command, then the items
    bool countGiven = false;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &arg = args[i];
        if (optionsEnded || !arg.startsWith(QLatin1Char('-')) || arg == QLatin1String("-")) {
            words.append(arg);
            continue;
        }
        if (arg == QLatin1String("--")) {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = arg.indexOf(QLatin1Char('='));
        const QString name = equals < 0 ? arg : arg.left(equals);
        if (name != QLatin1String("--service") && name != QLatin1String("--topic") &&
            name != QLatin1String("--count") && name != QLatin1String("--wait")) {
            return failure(QStringLiteral("unknown option %1").arg(name));
        }
        QString value;
        if (equals >= 0) {
            value = arg.mid(equals + 1);
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            return failure(QStringLiteral("the option %1 needs a value").arg(name));
        }
        if (name == QLatin1String("--service")) {
            QString error = serviceProblem(value);
            if (error.isEmpty()) {
                error = service.set(QStringLiteral("service"), value, name);
            }
            if (!error.isEmpty()) {
                return failure(error);
            }
        } else if (name == QLatin1String("--topic")) {
            QString error = wireProblem(QStringLiteral("topic"), value);
            if (error.isEmpty()) {
                error = topic.set(QStringLiteral("topic"), value, name);
            }
            if (!error.isEmpty()) {
                return failure(error);
            }
        } else if (name == QLatin1String("--count")) {
            if (!readNumber(value, 1, std::numeric_limits<int>::max(), &options.count)) {
                return failure(
                    QStringLiteral("--count wants a whole number of lines from 1, not %1")
                        .arg(quoted(value)));
            }
            countGiven = true;
        } else {
            if (!readNumber(value, 0, kMaxWaitSeconds, &options.waitSeconds)) {
                return failure(
                    QStringLiteral("--wait wants a whole number of seconds from 0 to %1, not %2")
                        .arg(kMaxWaitSeconds)
                        .arg(quoted(value)));
            }
        }
    }

    if (words.isEmpty()) {
        return failure(QStringLiteral("no command given (request, advise or execute)"));
    }
    const QString verb = words.takeFirst();
    if (verb == QLatin1String("request")) {
        options.verb = Verb::Request;
    } else if (verb == QLatin1String("advise")) {
        options.verb = Verb::Advise;
    } else if (verb == QLatin1String("execute")) {
        options.verb = Verb::Execute;
    } else {
        return failure(
            QStringLiteral("unknown command %1 (request, advise or execute)").arg(quoted(verb)));
    }
    if (countGiven && options.verb != Verb::Advise) {
        return failure(QStringLiteral("--count goes with advise only"));
    }
    if (options.verb == Verb::Execute && words.size() != 1) {
        // One answer, one exit status.
        return failure(
            QStringLiteral("execute wants one command for the service, such as Measure"));
    }
    if (words.isEmpty()) {
        return failure(QStringLiteral("no item given"));
    }

    for (const QString &word : words) {
        QString item = word;
        // Only a link holds a bar: a plain item never does.
        if (word.contains(QLatin1Char('|'))) {
            zelapp::link::LinkName link;
            if (!zelapp::link::parseLinkName(word, &link)) {
                return failure(QStringLiteral("%1 is not a link of the form service|topic!item")
                                   .arg(quoted(word)));
            }
            const QString from = QStringLiteral("the link %1").arg(quoted(word));
            QString error = serviceProblem(link.service);
            if (error.isEmpty()) {
                error = service.set(QStringLiteral("service"), link.service, from);
            }
            if (error.isEmpty()) {
                error = wireProblem(QStringLiteral("topic"), link.topic);
            }
            if (error.isEmpty()) {
                error = topic.set(QStringLiteral("topic"), link.topic, from);
            }
            if (!error.isEmpty()) {
                return failure(error);
            }
            item = link.item;
        }
        const QString error = wireProblem(QStringLiteral("item"), item);
        if (!error.isEmpty()) {
            return failure(error);
        }
        if (options.verb == Verb::Advise && options.items.contains(item)) {
            continue;
        }
        options.items.append(item);
    }

    if (!service.source.isEmpty()) {
        options.service = service.value;
    }
    if (!topic.source.isEmpty()) {
        options.topic = topic.value;
    } else if (options.verb == Verb::Execute) {
        options.topic = QString::fromLatin1(zelapp::link::kPartTopic);
    }
    return parsed;
}

QString zelddeUsage() {
    return QStringLiteral(
        "Usage: zeldde [OPTION]... request ITEM...\n"
        "       zeldde [OPTION]... advise [--count N] ITEM...\n"
        "       zeldde [OPTION]... execute COMMAND\n"
        "Try 'zeldde --help' for more information.\n");
}

QString zelddeHelp() {
    return QStringLiteral(
        "Usage: zeldde [OPTION]... request ITEM...\n"
        "       zeldde [OPTION]... advise [--count N] ITEM...\n"
        "       zeldde [OPTION]... execute COMMAND\n"
        "Reads live values from the service of a running program (zelapp by default), or has\n"
        "it run a command.\n"
        "\n"
        "Commands:\n"
        "  request ITEM...   print the present text of each item on a line of its own, in\n"
        "                    the order given\n"
        "  advise ITEM...    print \"ITEM<TAB>text\" for each item's present text, then a\n"
        "                    line every time the text of one of them changes; runs until\n"
        "                    --count lines were printed, the service goes away, or it is\n"
        "                    interrupted (Ctrl+C)\n"
        "  execute COMMAND   have the service run the command and print nothing when it\n"
        "                    did; on the topic Part, Measure starts a part cycle and\n"
        "                    Cancel cancels the running one\n"
        "\n"
        "An ITEM is a channel's value holder, such as labelChan(1), or a link pasted from\n"
        "the program, such as zelapp|Display!labelChan(1), which also names the service and\n"
        "the topic. On the topic Part the items are state, verdict, count, reason, id and\n"
        "result(n). Texts are printed exactly as the program shows them: a positive value\n"
        "keeps its leading blank, and a channel not read yet shows DDE.\n"
        "\n"
        "Options:\n"
        "  --service NAME    the program to ask (default zelapp; case does not matter)\n"
        "  --topic NAME      the topic of the conversation (default Display; Part for\n"
        "                    execute)\n"
        "  --count N         advise: stop after N printed lines in all\n"
        "  --wait SECONDS    keep trying to reach the service for up to SECONDS (default 0:\n"
        "                    try once); for scripts that start the program just before\n"
        "  -h, --help        show this help\n"
        "Links and options must name the same service and topic.\n"
        "\n"
        "The service listens in $ZEL_DDE_DIR, else $XDG_RUNTIME_DIR/zel-dde, else\n"
        "/tmp/zel-dde-<uid>.\n"
        "\n"
        "Exit status:\n"
        "  0  done (advise: also when interrupted)\n"
        "  1  usage error\n"
        "  2  the service is not running\n"
        "  3  the service refused the topic, an item or the command (the message gives\n"
        "     the service's reason, such as \"cycle running\")\n"
        "  4  the connection was lost, or the service answered something unexpected\n"
        "  128+N  request or execute ended by signal N before it was done\n");
}

}  // namespace zeldde
