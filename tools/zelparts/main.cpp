// zelparts: reads the parts' history of zelapp, for scripts and the shell.
#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <cstdio>

#include "dfq/dfq_settings.h"
#include "history/parts_location.h"
#include "zelparts_options.h"
#include "zelparts_run.h"

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);  // Qt SQL finds its SQLite driver through it
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const zelparts::ParsedOptions parsed = zelparts::parseZelpartsOptions(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zelparts: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     zelparts::zelpartsUsage().toLocal8Bit().constData());
        return zelparts::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(zelparts::zelpartsHelp().toLocal8Bit().constData(), stdout);
        return zelparts::kExitOk;
    }
    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
    const QString file =
        zelapp::findPartsLocation(parsed.options.db, zelapp::defaultSettingsFile()).file;
    zelparts::Options options = parsed.options;
    if (options.command == zelparts::Command::Dfq && !options.encoding) {
        options.encoding = zelapp::readDfqSettings(zelapp::defaultSettingsFile()).encoding;
    }
    const int status = zelparts::runZelparts(options, file, out, err);
    if (!out.flush() && status == zelparts::kExitOk) {
        std::fputs("zelparts: cannot write the output\n", stderr);
        return zelparts::kExitFailed;
    }
    return status;
}
