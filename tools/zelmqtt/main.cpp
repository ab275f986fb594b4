// zelmqtt: publishes the station's parts and state to the plant's MQTT broker.
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

#include "base/stop_signals.h"
#include "zelmqtt_check.h"
#include "zelmqtt_options.h"
#include "zelmqtt_publisher.h"
#include "zelmqtt_settings.h"

namespace {

void say(const QString &message) {
    std::fprintf(stderr, "zelmqtt: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
}

}  // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);  // Qt SQL finds its SQLite driver through it
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const zelmqtt::ParsedOptions parsed =
        zelmqtt::parseZelmqttOptions(args, zelmqtt::defaultConfigFile());
    if (!parsed.ok()) {
        std::fprintf(stderr, "zelmqtt: %s\n%s", parsed.error.toLocal8Bit().constData(),
                     zelmqtt::zelmqttUsage().toLocal8Bit().constData());
        return zelmqtt::kExitUsage;
    }
    if (parsed.options.help) {
        std::fputs(zelmqtt::zelmqttHelp().toLocal8Bit().constData(), stdout);
        return zelmqtt::kExitOk;
    }
    zelmqtt::Settings settings;
    QString error;
    if (!zelmqtt::resolveSettings(parsed.options, &settings, &error)) {
        say(error);
        return zelmqtt::kExitUsage;
    }
    if (const QString missing = zelmqtt::missingHistory(settings); !missing.isEmpty()) {
        say(missing);
        return zelmqtt::kExitNoHistory;
    }
    settings.version = QStringLiteral(ZEL_VERSION);
    const auto warn = [&settings] {
        for (const QString &warning : zelmqtt::startWarnings(settings)) {
            say(QStringLiteral("warning: ") + warning);
        }
    };
    if (parsed.options.check) {
        warn();
        QFile out;
        QFile err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        return zelmqtt::runCheck(settings, out, err);
    }
    // SIGTERM, SIGINT and SIGHUP: the status says offline before the program goes.
    zelapp::StopSignals stops;
    if (!stops.isActive()) {
        say(QStringLiteral("cannot set up signal handling"));
        return zelmqtt::kExitUsage;
    }
    zelmqtt::Publisher publisher(settings, say);
    bool stopping = false;
    QObject::connect(&stops, &zelapp::StopSignals::stopRequested, &app, [&] {
        if (stopping) {
            return;
        }
        stopping = true;
        say(QStringLiteral("stopping"));
        publisher.stop();
        app.quit();
    });
    warn();
    say(QStringLiteral("publishing station %1 to %2 under %3/%1")
            .arg(settings.station, settings.options.broker, settings.options.prefix));
    if (!QFileInfo(settings.dbFile).isFile()) {
        say(QStringLiteral("waiting for the parts history %1").arg(settings.dbFile));
    }
    publisher.start();
    return app.exec();
}
