#include "zelmqtt_options.h"

#include <QFileInfo>
#include <QSettings>

#include "history/parts_location.h"
#include "zelmqtt_cause.h"

namespace zelmqtt {

namespace {

// The options that take a value, as the file and the command line name them.
const QStringList &valueOptions() {
    static const QStringList names = {QStringLiteral("broker"),     QStringLiteral("client-id"),
                                      QStringLiteral("user"),       QStringLiteral("password-file"),
                                      QStringLiteral("ca-file"),    QStringLiteral("cert-file"),
                                      QStringLiteral("key-file"),   QStringLiteral("prefix"),
                                      QStringLiteral("station"),    QStringLiteral("db"),
                                      QStringLiteral("state-file"), QStringLiteral("service"),
                                      QStringLiteral("config")};
    return names;
}

std::optional<bool> truth(const QString &text) {
    const QString t = text.trimmed().toLower();
    if (t == u"true" || t == u"1" || t == u"yes" || t == u"on") {
        return true;
    }
    if (t == u"false" || t == u"0" || t == u"no" || t == u"off" || t.isEmpty()) {
        return false;
    }
    return std::nullopt;
}

// The options that are on or off: on the command line by their name alone, in the file as
// "true" or "false".
const QStringList &flagOptions() {
    static const QStringList names = {QStringLiteral("live"), QStringLiteral("wait-for-db")};
    return names;
}

struct Parser {
    ParsedOptions parsed;
    std::map<QString, QString> values;
    std::map<QString, bool> flags;  // given on the command line, or else in the file

    bool fail(const QString &error) {
        parsed.error = error;
        return false;
    }

    bool readArgs(const QStringList &args) {
        for (qsizetype i = 0; i < args.size(); ++i) {
            QString arg = args[i];
            if (arg == u"--help" || arg == u"-h") {
                parsed.options.help = true;
                return true;
            }
            if (arg == u"--check") {
                parsed.options.check = true;
                continue;
            }
            if (arg.startsWith(QStringLiteral("--")) && flagOptions().contains(arg.mid(2))) {
                flags[arg.mid(2)] = true;
                continue;
            }
            if (!arg.startsWith(QStringLiteral("--"))) {
                return fail(QStringLiteral("unexpected argument \"%1\"").arg(arg));
            }
            QString value;
            bool hasValue = false;
            if (const qsizetype eq = arg.indexOf(QLatin1Char('=')); eq > 0) {
                value = arg.mid(eq + 1);
                arg = arg.left(eq);
                hasValue = true;
            }
            const QString name = arg.mid(2);
            if (!valueOptions().contains(name)) {
                return fail(QStringLiteral("unknown option %1").arg(arg));
            }
            if (!hasValue) {
                if (i + 1 >= args.size()) {
                    return fail(QStringLiteral("%1 wants a value").arg(arg));
                }
                value = args[++i];
            }
            if (value.isEmpty()) {
                return fail(QStringLiteral("%1 wants a value").arg(arg));
            }
            values[name] = value;
        }
        return true;
    }

    bool readFile(const QString &file, bool mustExist) {
        if (!QFileInfo::exists(file)) {
            return !mustExist || fail(QStringLiteral("no such configuration file: %1").arg(file));
        }
        QString error;
        const std::map<QString, QString> fromFile = readConfigFile(file, &error);
        if (!error.isEmpty()) {
            return fail(error);
        }
        for (const auto &[key, value] : fromFile) {
            if (flagOptions().contains(key)) {
                const std::optional<bool> on = truth(value);
                if (!on) {
                    return fail(QStringLiteral("%1: %2 wants true or false, not \"%3\"")
                                    .arg(file, key, value));
                }
                flags.try_emplace(key, *on);  // the command line wins
            } else if (!valueOptions().contains(key) || key == u"config") {
                return fail(QStringLiteral("%1: unknown key \"%2\"").arg(file, key));
            } else {
                values.try_emplace(key, value);  // the command line wins
            }
        }
        return true;
    }

    QString take(const QString &name, const QString &otherwise) const {
        const auto it = values.find(name);
        return it == values.end() || it->second.isEmpty() ? otherwise : it->second;
    }

    bool finish() {
        Options &o = parsed.options;
        o.broker = take(QStringLiteral("broker"), o.broker);
        o.clientId = take(QStringLiteral("client-id"), o.clientId);
        o.user = take(QStringLiteral("user"), o.user);
        o.passwordFile = take(QStringLiteral("password-file"), o.passwordFile);
        o.caFile = take(QStringLiteral("ca-file"), o.caFile);
        o.certFile = take(QStringLiteral("cert-file"), o.certFile);
        o.keyFile = take(QStringLiteral("key-file"), o.keyFile);
        o.prefix = take(QStringLiteral("prefix"), o.prefix);
        o.station = take(QStringLiteral("station"), o.station);
        o.db = take(QStringLiteral("db"), o.db);
        o.stateFile = take(QStringLiteral("state-file"), o.stateFile);
        o.service = take(QStringLiteral("service"), o.service);
        o.live = flags[QStringLiteral("live")];
        o.waitForDb = flags[QStringLiteral("wait-for-db")];
        if (QString error; !parseBrokerUri(o.broker, &error)) {
            return fail(error);
        }
        if (const QString problem = topicLevelProblem(o.prefix); !problem.isEmpty()) {
            return fail(QStringLiteral("the prefix \"%1\" %2").arg(o.prefix, problem));
        }
        if (!o.station.isEmpty()) {
            if (const QString problem = topicLevelProblem(o.station); !problem.isEmpty()) {
                return fail(QStringLiteral("the station \"%1\" %2").arg(o.station, problem));
            }
        }
        if (o.keyFile.isEmpty() != o.certFile.isEmpty()) {
            return fail(QStringLiteral("--cert-file and --key-file go together"));
        }
        return true;
    }
};

}  // namespace

std::map<QString, QString> readConfigFile(const QString &file, QString *error) {
    std::map<QString, QString> values;
    QSettings settings(file, QSettings::IniFormat);
    if (settings.status() != QSettings::NoError) {
        *error = QStringLiteral("cannot read the configuration file %1").arg(file);
        return values;
    }
    for (const QString &key : settings.allKeys()) {
        // Keys outside any section come back under "General".
        const QString name = key.startsWith(QStringLiteral("General/")) ? key.mid(8) : key;
        values[name] = settings.value(key).toString();
    }
    return values;
}

ParsedOptions parseZelmqttOptions(const QStringList &args, const QString &defaultConfig) {
    Parser parser;
    if (!parser.readArgs(args) || parser.parsed.options.help) {
        return parser.parsed;
    }
    const auto config = parser.values.find(QStringLiteral("config"));
    const bool given = config != parser.values.end();
    if (!parser.readFile(given ? config->second : defaultConfig, given)) {
        return parser.parsed;
    }
    parser.finish();
    return parser.parsed;
}

QString topicLevelProblem(const QString &level) {
    if (level.isEmpty()) {
        return QStringLiteral("is empty");
    }
    for (const QChar c : level) {
        if (c == u'+' || c == u'#' || c == u'/') {
            return QStringLiteral("holds \"%1\", which MQTT topics reserve").arg(c);
        }
        if (c.category() == QChar::Other_Control) {
            return QStringLiteral("holds a control character");
        }
    }
    return {};
}

QString defaultConfigFile() {
    return QFileInfo(zelapp::defaultSettingsFile()).absolutePath() +
           QStringLiteral("/zelmqtt.conf");
}

QString zelmqttUsage() {
    return QStringLiteral(
        "usage: zelmqtt [--config FILE] [--broker URI] [--station NAME] [--live] [--check] ...\n"
        "       zelmqtt --help\n");
}

QString zelmqttHelp() {
    return QStringLiteral(
        "zelmqtt: publishes this station's parts and state to an MQTT broker.\n"
        "\n"
        "usage: zelmqtt [options]\n"
        "\n"
        "  --config FILE         settings (INI, the keys named as the options without \"--\");\n"
        "                        default ~/.config/zelapp/zelmqtt.conf; options win over it\n"
        "  --broker URI          tcp://HOST:PORT or ssl://HOST:PORT (default "
        "tcp://localhost:1883)\n"
        "  --client-id ID        default zel8-<station>\n"
        "  --user NAME           user name at the broker\n"
        "  --password-file FILE  the password, the file's first line\n"
        "  --ca-file FILE        the certificate authority the broker's certificate must have\n"
        "  --cert-file FILE      this station's certificate, with --key-file its private key\n"
        "  --key-file FILE\n"
        "  --prefix TEXT         the topics' first level (default zel8)\n"
        "  --station NAME        default: Results/Station of zelapp's settings, else the host\n"
        "  --db FILE             the parts' history (default: the one zelapp writes); it must\n"
        "                        be there unless --wait-for-db\n"
        "  --wait-for-db         wait for a --db file that is not there yet\n"
        "  --state-file FILE     where the last acknowledged part is kept (default: beside the\n"
        "                        history, named after the client id)\n"
        "  --live                also publish the live values and the part cycle of the running\n"
        "                        zelapp (--service NAME, default zelapp)\n"
        "  --check               connect as <client-id>-check, publish the status, show what\n"
        "                        would be sent, and stop\n"
        "\n"
        "Topics: <prefix>/<station>/part, .../status, .../live/<n>, .../cycle.\n"
        "Exit status: 0 stopped, 1 bad option or configuration, 2 no history at the --db file,\n"
        "3 (--check) the broker refused or cannot be reached.\n");
}

}  // namespace zelmqtt
