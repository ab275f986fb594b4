// zelmqtt: publishes the station's parts and state to the plant's MQTT broker.
#include <sys/socket.h>
#include <unistd.h>
#include <QCoreApplication>
#include <QFile>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>

#include "zelmqtt_check.h"
#include "zelmqtt_options.h"
#include "zelmqtt_publisher.h"
#include "zelmqtt_settings.h"

namespace {

int signalPipe[2] = {-1, -1};

void onSignal(int) {
    const char byte = 1;
    // Nothing else is safe here: the event loop reads the byte and stops.
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

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
    settings.version = QStringLiteral(ZEL_VERSION);
    if (parsed.options.check) {
        QFile out;
        QFile err;
        out.open(stdout, QIODevice::WriteOnly);
        err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);
        return zelmqtt::runCheck(settings, out, err);
    }
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        say(QStringLiteral("cannot set up signal handling"));
        return zelmqtt::kExitUsage;
    }
    zelmqtt::Publisher publisher(settings, say);
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        notifier.setEnabled(false);
        say(QStringLiteral("stopping"));
        publisher.stop();
        app.quit();
    });
    std::signal(SIGTERM, onSignal);
    std::signal(SIGINT, onSignal);
    say(QStringLiteral("publishing station %1 to %2 under %3/%1")
            .arg(settings.station, settings.options.broker, settings.options.prefix));
    publisher.start();
    return app.exec();
}
