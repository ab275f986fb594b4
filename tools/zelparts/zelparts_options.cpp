#include "zelparts_options.h"

#include <QRegularExpression>

#include "model/part_result.h"
#include "stats/process_stats.h"

namespace zelparts {

namespace {

// The options of the commands that select parts.
bool isFilterOption(const QString &name) {
    return name == u"--since" || name == u"--until" || name == u"--part" || name == u"--verdict";
}

// The options only `dfq` takes.
bool isDfqOption(const QString &name) {
    return name == u"--out" || name == u"--encoding";
}

// The options only `stats` takes.
bool isStatsOption(const QString &name) {
    return name == u"--channel" || name == u"--last" || name == u"--subgroup" || name == u"--rules";
}

// A whole number in [least, most]; none otherwise.
std::optional<int> wholeIn(const QString &text, int least, int most) {
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value >= least && value <= most ? std::optional<int>(value) : std::nullopt;
}

// Seconds east of UTC from "Z", "+01:00", "+0100" or "+01"; none when out of range.
std::optional<int> offsetSeconds(const QString &text) {
    if (text == u"Z") {
        return 0;
    }
    const int sign = text.startsWith(QLatin1Char('-')) ? -1 : 1;
    QString digits = text.mid(1);
    digits.remove(QLatin1Char(':'));
    const int hours = digits.left(2).toInt();
    const int minutes = digits.size() > 2 ? digits.mid(2).toInt() : 0;
    if (hours > 14 || minutes > 59) {
        return std::nullopt;
    }
    return sign * (hours * 3600 + minutes * 60);
}

struct Parser {
    const QTimeZone &local;
    ParsedOptions parsed;
    QStringList positional;

    bool fail(const QString &error) {
        parsed.error = error;
        return false;
    }

    bool option(const QString &name, const QString &value) {
        Options &options = parsed.options;
        if (value.isEmpty()) {
            return fail(QStringLiteral("%1 wants a value").arg(name));
        }
        if (name == u"--db") {
            options.db = value;
        } else if (name == u"--since" || name == u"--until") {
            const std::optional<QDateTime> time = parseTimeArgument(value, local);
            if (!time) {
                return fail(QStringLiteral("%1 wants an ISO 8601 date or time such as "
                                           "2026-03-04 or 2026-03-04T10:15:00+01:00, not \"%2\"")
                                .arg(name, value));
            }
            (name == u"--since" ? options.filter.since : options.filter.until) = time;
        } else if (name == u"--part") {
            options.filter.number = value;
        } else if (isStatsOption(name)) {
            return statsOption(name, value);
        } else if (name == u"--out") {
            options.outFolder = value;
        } else if (name == u"--encoding") {
            if (value == u"windows-1252" || value == u"utf-8") {
                options.encoding = value == u"utf-8" ? zelapp::DfqEncoding::Utf8
                                                     : zelapp::DfqEncoding::Windows1252;
            } else {
                return fail(QStringLiteral("--encoding wants windows-1252 or utf-8, not \"%1\"")
                                .arg(value));
            }
        } else {
            if (!verdictCodes().contains(value)) {
                return fail(QStringLiteral("--verdict wants one of %1, not \"%2\"")
                                .arg(verdictCodes().join(QStringLiteral(", ")), value));
            }
            options.filter.verdict = value;
        }
        return true;
    }

    bool statsOption(const QString &name, const QString &value) {
        Options &options = parsed.options;
        if (name == u"--rules") {
            std::vector<int> rules;
            for (const QString &item : value.split(QLatin1Char(','))) {
                const std::optional<int> rule = wholeIn(item.trimmed(), 1, 8);
                if (!rule) {
                    return fail(QStringLiteral("--rules wants rule numbers 1 to 8 separated by "
                                               "commas, such as 1,2,5, not \"%1\"")
                                    .arg(value));
                }
                rules.push_back(*rule);
            }
            options.rules = rules;
            return true;
        }
        const int most = name == u"--subgroup" ? zelapp::kMostSubgroupSize : 1000000000;
        const std::optional<int> number = wholeIn(value, 1, most);
        if (!number) {
            return fail(QStringLiteral("%1 wants a whole number from 1 to %2, not \"%3\"")
                            .arg(name)
                            .arg(most)
                            .arg(value));
        }
        if (name == u"--channel") {
            options.channel = *number;
        } else if (name == u"--last") {
            options.lastParts = *number;
        } else {
            options.subgroupSize = *number;
        }
        return true;
    }

    bool read(const QStringList &args) {
        QStringList filterOptions;
        QStringList dfqOptions;
        QStringList statsOptions;
        for (qsizetype i = 0; i < args.size(); ++i) {
            const QString &arg = args[i];
            if (arg == u"--help" || arg == u"-h") {
                parsed.options.help = true;
                return true;
            }
            if (arg == u"--") {
                positional << args.mid(i + 1);
                break;
            }
            if (!arg.startsWith(u"--") || arg.size() == 2) {
                positional << arg;
                continue;
            }
            if (arg == u"--spreadsheet") {
                parsed.options.spreadsheet = true;
                continue;
            }
            if (arg == u"--pending") {
                parsed.options.dfqMode = DfqMode::Pending;
                dfqOptions << arg;
                continue;
            }
            const qsizetype equals = arg.indexOf(QLatin1Char('='));
            const QString name = equals < 0 ? arg : arg.left(equals);
            if (name != u"--db" && !isFilterOption(name) && !isDfqOption(name) &&
                !isStatsOption(name)) {
                return fail(QStringLiteral("unknown option %1").arg(name));
            }
            QString value;
            if (equals >= 0) {
                value = arg.mid(equals + 1);
            } else if (i + 1 < args.size()) {
                value = args[++i];
            } else {
                return fail(QStringLiteral("%1 wants a value").arg(name));
            }
            if (isFilterOption(name)) {
                filterOptions << name;
            }
            if (isDfqOption(name)) {
                dfqOptions << name;
            }
            if (isStatsOption(name)) {
                statsOptions << name;
            }
            if (!option(name, value)) {
                return false;
            }
        }
        return command(filterOptions, dfqOptions, statsOptions);
    }

    bool command(const QStringList &filterOptions, const QStringList &dfqOptions,
                 const QStringList &statsOptions) {
        Options &options = parsed.options;
        if (positional.isEmpty()) {
            return fail(QStringLiteral("no command given"));
        }
        const QString name = positional.takeFirst();
        if (name != u"csv" && options.spreadsheet) {
            return fail(QStringLiteral("%1 takes no --spreadsheet").arg(name));
        }
        if (name != u"dfq" && !dfqOptions.isEmpty()) {
            return fail(QStringLiteral("%1 takes no %2").arg(name, dfqOptions.first()));
        }
        if (name != u"stats" && !statsOptions.isEmpty()) {
            return fail(QStringLiteral("%1 takes no %2").arg(name, statsOptions.first()));
        }
        if (name == u"stats") {
            options.command = Command::Stats;
            if (filterOptions.contains(QStringLiteral("--verdict"))) {
                return fail(
                    QStringLiteral("stats takes no --verdict: it counts the parts of "
                                   "every verdict but not valid"));
            }
            if (options.channel == 0) {
                return fail(QStringLiteral("stats wants --channel N"));
            }
        } else if (name == u"dfq") {
            options.command = Command::Dfq;
            if (options.dfqMode == DfqMode::Pending) {
                QStringList others = filterOptions + dfqOptions;
                others.removeAll(QStringLiteral("--pending"));
                if (!others.isEmpty()) {
                    return fail(QStringLiteral("dfq --pending takes no %1").arg(others.first()));
                }
            } else if (options.outFolder.isEmpty()) {
                return fail(QStringLiteral("dfq wants --out DIR or --pending"));
            }
        } else if (name == u"list" || name == u"csv") {
            options.command = name == u"list" ? Command::List : Command::Csv;
        } else if (name == u"show" || name == u"backup") {
            options.command = name == u"show" ? Command::Show : Command::Backup;
            if (!filterOptions.isEmpty()) {
                return fail(QStringLiteral("%1 takes no %2").arg(name, filterOptions.first()));
            }
            if (positional.size() != 1) {
                return fail(name == u"show" ? QStringLiteral("show wants one part id")
                                            : QStringLiteral("backup wants one file"));
            }
            const QString argument = positional.takeFirst();
            if (options.command == Command::Backup) {
                options.backupFile = argument;
            } else {
                bool number = false;
                options.partId = argument.toLongLong(&number);
                if (!number || options.partId <= 0) {
                    return fail(QStringLiteral("show wants a part id (1, 2, ...), not \"%1\"")
                                    .arg(argument));
                }
            }
        } else {
            return fail(QStringLiteral("unknown command \"%1\"").arg(name));
        }
        if (!positional.isEmpty()) {
            return fail(QStringLiteral("unexpected argument \"%1\"").arg(positional.first()));
        }
        const zelapp::PartFilter &filter = options.filter;
        if (filter.since && filter.until && *filter.until <= *filter.since) {
            return fail(QStringLiteral("--until must be later than --since"));
        }
        return true;
    }
};

}  // namespace

std::optional<QDateTime> parseTimeArgument(const QString &text, const QTimeZone &local) {
    static const QRegularExpression iso(QStringLiteral(
        "^(\\d{4})-(\\d{2})-(\\d{2})"
        "(?:[T "
        "](\\d{2}):(\\d{2})(?::(\\d{2})(?:[.,](\\d{1,9}))?)?(Z|[+-]\\d{2}(?::?\\d{2})?)?)?$"));
    const QRegularExpressionMatch match = iso.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    const QDate date(match.captured(1).toInt(), match.captured(2).toInt(),
                     match.captured(3).toInt());
    QTime time(0, 0);
    if (match.hasCaptured(4)) {
        const int ms = (match.captured(7) + QStringLiteral("00")).left(3).toInt();
        time = QTime(match.captured(4).toInt(), match.captured(5).toInt(),
                     match.captured(6).toInt(), ms);
    }
    if (!date.isValid() || !time.isValid()) {
        return std::nullopt;
    }
    if (!match.hasCaptured(8)) {
        const QDateTime localTime(date, time, local);
        return localTime.isValid() ? std::optional<QDateTime>(localTime) : std::nullopt;
    }
    const std::optional<int> offset = offsetSeconds(match.captured(8));
    if (!offset) {
        return std::nullopt;
    }
    return QDateTime(date, time, QTimeZone(*offset));
}

QStringList verdictCodes() {
    using zelapp::ToleranceVerdict;
    QStringList codes;
    for (const ToleranceVerdict verdict :
         {ToleranceVerdict::Good, ToleranceVerdict::WarningPlus, ToleranceVerdict::WarningMinus,
          ToleranceVerdict::RejectPlus, ToleranceVerdict::RejectMinus,
          ToleranceVerdict::NotValid}) {
        codes << zelapp::verdictCode(verdict);
    }
    return codes;
}

ParsedOptions parseZelpartsOptions(const QStringList &args, const QTimeZone &local) {
    Parser parser{local, {}, {}};
    parser.read(args);
    return parser.parsed;
}

QString zelpartsUsage() {
    return QStringLiteral(
        "usage: zelparts [--db FILE] list|csv [--since T] [--until T] [--part NUMBER] "
        "[--verdict V]\n"
        "       zelparts [--db FILE] csv --spreadsheet [--since T] ...\n"
        "       zelparts [--db FILE] dfq --out DIR [--encoding E] [--since T] [--until T]\n"
        "                [--part NUMBER] [--verdict V]\n"
        "       zelparts [--db FILE] show ID\n"
        "       zelparts [--db FILE] backup FILE\n"
        "       zelparts [--db FILE] dfq --pending\n"
        "       zelparts [--db FILE] stats --channel N [--part NUMBER] [--since T] [--until T]\n"
        "                [--last N] [--subgroup k] [--rules 1,2,...]\n"
        "Try 'zelparts --help' for more.\n");
}

QString zelpartsHelp() {
    return QStringLiteral(
        "zelparts: reads the parts' history of zelapp without disturbing it.\n"
        "\n"
        "usage: zelparts [--db FILE] COMMAND [OPTIONS]\n"
        "\n"
        "Commands:\n"
        "  list      one line per part, oldest first, tab separated: id, time, part number,\n"
        "            serial, verdict, then C<n>=<value> per characteristic\n"
        "  csv       the parts as CSV (UTF-8, RFC 4180) on standard output: comma, \".\"\n"
        "  csv --spreadsheet\n"
        "            the same for a spreadsheet: semicolon, the locale's decimal separator\n"
        "            (LC_NUMERIC, LC_ALL, LANG), UTF-8 with a byte-order mark\n"
        "  dfq --out DIR\n"
        "            the parts as Q-DAS DFQ files in DIR, one per part number and setup\n"
        "            revision, named <part number>_<yyyyMMdd-HHmmss>_<serial>.dfq after its\n"
        "            first part; never over a file DIR holds\n"
        "  show ID   the part with that id and the setup revision that judged it\n"
        "  backup FILE\n"
        "            an online copy of the history into FILE, which must not exist\n"
        "  dfq --pending\n"
        "            the parts waiting for their DFQ folder, oldest first, tab separated\n"
        "            after a header line: id, time, part number, serial, folder, and\n"
        "            written (yes: its file waits under its temporary name to be renamed)\n"
        "  stats --channel N\n"
        "            the statistics of channel N of one part number (the newest part's unless\n"
        "            --part), over the latest stage of the period: one name<TAB>value line\n"
        "            each: n, mean, sigma_within (of the period), sigma_within_limits,\n"
        "            sigma_overall, with a distribution other than normal (the part\n"
        "            program's Distribution<n>) distribution and its shape, scale or mu,\n"
        "            sigma, then cp, cp_ci95, cpk, cpk_ci95, pp, pp_ci95, ppk, ppk_ci95\n"
        "            (one limit only: cpu, ppu or cpl, ppl with theirs; bounds <low>,<high>),\n"
        "            ppm_observed, ppm_within, ppm_overall, ad, ad_p (Anderson-Darling), lcl,\n"
        "            cl, ucl of the first chart (the stage's frozen limits when there are\n"
        "            any), then rule<k> per rule with the serials of the parts completing\n"
        "            each break, comma separated (empty: none); - where there is too little\n"
        "            data, an index, bound, ppm, test or rule followed by reason_<name>\n"
        "\n"
        "Options:\n"
        "  --db FILE      the history file; else ZEL_PARTS_DB, else Results/Database of\n"
        "                 ~/.config/zelapp/zelapp.conf, else ~/.local/share/zelapp/parts.db\n"
        "  --since T      parts from T on (list, csv, dfq, stats)\n"
        "  --until T      parts before T (list, csv, dfq, stats)\n"
        "  --part NUMBER  parts of that part number (list, csv, dfq, stats)\n"
        "  --verdict V    parts with that verdict: G, W+, W-, R+, R- or NV (list, csv, dfq)\n"
        "  --channel N    the characteristic's channel (stats)\n"
        "  --last N       only the newest N parts of the period (stats)\n"
        "  --subgroup k   consecutive parts per subgroup, 1 to 25 (1: individuals); else the\n"
        "                 part program's Subgroup (stats)\n"
        "  --rules LIST   the run rules 1 to 8 to watch, e.g. 1,2,5; else the part\n"
        "                 program's Rules<n>, else rule 1 (stats)\n"
        "  --encoding E   the DFQ files' text: windows-1252 or utf-8; else Results/DfqEncoding\n"
        "                 of the settings file, else windows-1252 (dfq)\n"
        "  --help         this help\n"
        "T is ISO 8601: 2026-03-04, 2026-03-04T10:15:00 (local time) or\n"
        "2026-03-04T10:15:00+01:00.\n"
        "\n"
        "Exit status: 0 fine, 1 bad argument (also: a DFQ file of that name is in DIR), 2 no\n"
        "such file, 3 the history cannot be read (damaged, locked) or the output cannot be\n"
        "written.\n");
}

}  // namespace zelparts
