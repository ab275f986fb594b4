#include "mosquitto_broker.h"

#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

extern char **environ;

namespace zeltest {

namespace {
constexpr int kStartDeadlineMs = 10000;
}

QString MosquittoBroker::program() {
    // Debian installs it in /usr/sbin, which a user's PATH may lack.
    QString found = QStandardPaths::findExecutable(QStringLiteral("mosquitto"));
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(
            QStringLiteral("mosquitto"),
            {QStringLiteral("/usr/sbin"), QStringLiteral("/usr/local/sbin")});
    }
    return found;
}

int freeLoopbackPort() {
    QTcpServer server;
    return server.listen(QHostAddress::LocalHost, 0) ? server.serverPort() : 0;
}

MosquittoBroker::MosquittoBroker(const QString &folder, QStringList extraConfig)
    : folder_(folder), extraConfig_(std::move(extraConfig)), port_(freeLoopbackPort()) {}

MosquittoBroker::~MosquittoBroker() {
    stop();
}

void MosquittoBroker::addPlainListener() {
    extraPort_ = freeLoopbackPort();
}

QString MosquittoBroker::uri() const {
    return QStringLiteral("tcp://127.0.0.1:%1").arg(port_);
}

QString MosquittoBroker::log() const {
    QFile file(folder_ + QStringLiteral("/mosquitto.log"));
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

bool MosquittoBroker::start() {
    const QString config = folder_ + QStringLiteral("/mosquitto.conf");
    QStringList lines = {
        // Started as root, mosquitto would drop to its own user, which cannot read the test's
        // private folder.
        QStringLiteral("user %1").arg(QString::fromLocal8Bit(::getpwuid(::geteuid())->pw_name)),
        QStringLiteral("per_listener_settings true"),
        QStringLiteral("persistence false"),
        QStringLiteral("log_dest file %1/mosquitto.log").arg(folder_),
        // Connections and refusals, not every packet.
        QStringLiteral("log_type error"),
        QStringLiteral("log_type warning"),
        QStringLiteral("log_type notice"),
        QStringLiteral("log_type information"),
        QStringLiteral("listener %1 127.0.0.1").arg(port_),
    };
    lines += extraConfig_;
    if (!extraConfig_.join(QLatin1Char('\n')).contains(QStringLiteral("password_file"))) {
        lines << QStringLiteral("allow_anonymous true");
    }
    if (extraPort_ != 0) {
        lines << QStringLiteral("listener %1 127.0.0.1").arg(extraPort_)
              << QStringLiteral("allow_anonymous true");
    }
    QFile file(config);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write((lines.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8()) < 0) {
        return false;
    }
    file.close();
    // A child of ours, so that stop() can wait for it and the port is free again after.
    const QByteArray path = QFile::encodeName(program());
    const QByteArray configPath = QFile::encodeName(config);
    char *const argv[] = {const_cast<char *>(path.constData()), const_cast<char *>("-c"),
                          const_cast<char *>(configPath.constData()), nullptr};
    pid_t pid = -1;
    if (::posix_spawn(&pid, path.constData(), nullptr, nullptr, argv, environ) != 0) {
        return false;
    }
    pid_ = pid;
    // Listening when a connection is accepted; an exit ends the wait at once.
    const QDeadlineTimer deadline(kStartDeadlineMs);
    while (!deadline.hasExpired()) {
        if (::waitpid(pid_t(pid_), nullptr, WNOHANG) != 0) {
            pid_ = -1;  // it exited: the log says why
            return false;
        }
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, quint16(port_));
        if (probe.waitForConnected(200)) {
            return true;
        }
        probe.abort();
        QThread::msleep(20);  // a refused connection returns at once: pace the next look
    }
    stop();
    return false;
}

void MosquittoBroker::stop() {
    if (pid_ <= 0) {
        return;
    }
    ::kill(pid_t(pid_), SIGTERM);
    ::waitpid(pid_t(pid_), nullptr, 0);
    pid_ = -1;
}

}  // namespace zeltest
