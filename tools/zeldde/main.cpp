// zeldde: prints live values from a running program's service, for scripts and the shell.
#include <QString>
#include <QStringList>
#include <cstdio>

#include "exchange/link_address.h"
#include "zeldde_client.h"
#include "zeldde_options.h"

int main(int argc, char **argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i) {
        args.append(QString::fromLocal8Bit(argv[i]));
    }
    const zeldde::ParsedOptions parsed = zeldde::parseZelddeOptions(args);
    if (!parsed.ok()) {
        std::fprintf(stderr, "zeldde: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     zeldde::zelddeUsage().toLocal8Bit().constData());
        return zeldde::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(zeldde::zelddeHelp().toLocal8Bit().constData(), stdout);
        return zeldde::kExitOk;
    }
    zeldde::catchInterrupts();
    const QString socketPath =
        zelapp::linkSocketPath(zelapp::linkSocketFolder(), parsed.options.service);
    return zeldde::runConversation(parsed.options, socketPath, stdout, stderr);
}
