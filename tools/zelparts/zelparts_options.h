// The command line of zelparts, read without touching the history: which command, which file
// and which parts.
#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTimeZone>
#include <optional>
#include <vector>

#include "dfq/dfq_file.h"
#include "history/part_store.h"

namespace zelparts {

// 0 fine, 1 a bad argument, 2 no such file (as sqlite3 and the shell's tools do), 3 the
// history cannot be read (damaged, not a history, locked) or the output cannot be written.
constexpr int kExitOk = 0;
constexpr int kExitUsage = 1;
constexpr int kExitNoFile = 2;
constexpr int kExitFailed = 3;

enum class Command { List, Csv, Show, Backup, Dfq, Stats };

// What `dfq` does.
enum class DfqMode {
    Out,      // --out DIR: one file per part number and revision into DIR
    Pending,  // --pending: the parts waiting in the export queue
};

struct Options {
    Command command = Command::List;
    QString db;  // --db; empty: found as zelapp finds it
    zelapp::PartFilter filter;
    bool spreadsheet = false;  // csv --spreadsheet: the spreadsheet profile
    qint64 partId = 0;         // show
    QString backupFile;        // backup
    DfqMode dfqMode = DfqMode::Out;
    QString outFolder;                            // dfq --out
    std::optional<zelapp::DfqEncoding> encoding;  // dfq --encoding; none: the settings file's
    // stats
    int channel = 0;                        // --channel N (required)
    int lastParts = 0;                      // --last N; 0: every part of the period
    std::optional<int> subgroupSize;        // --subgroup k; none: the part program's
    std::optional<std::vector<int>> rules;  // --rules 1,2,...; none: the part program's
    bool help = false;                      // --help: show the help and do nothing else
};

struct ParsedOptions {
    Options options;
    QString error;  // why the arguments cannot be used; empty when they can
    bool ok() const { return error.isEmpty(); }
};

// Reads the arguments that follow the program name; times without an offset are in `local`.
ParsedOptions parseZelpartsOptions(const QStringList &args,
                                   const QTimeZone &local = QTimeZone::systemTimeZone());

// ISO 8601: "2026-03-04" (midnight), "2026-03-04T10:15", "...:30", "...:30.250" in `local`;
// any of the times followed by "Z", "+01:00", "+0100" or "+01" at that offset. A space may
// stand for the "T". None when it is not such a time.
std::optional<QDateTime> parseTimeArgument(const QString &text, const QTimeZone &local);

// The verdict codes --verdict takes.
QStringList verdictCodes();

// The few lines shown after a usage error.
QString zelpartsUsage();
// The whole help text of --help.
QString zelpartsHelp();

}  // namespace zelparts
