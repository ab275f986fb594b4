#include "zelmqtt_cause.h"

#include <QTcpSocket>
#include <QTimer>

namespace zelmqtt {

namespace {

constexpr quint16 kMqttPort = 1883;
constexpr quint16 kMqttTlsPort = 8883;

std::optional<BrokerAddress> fail(QString *error, const QString &why) {
    *error = why;
    return std::nullopt;
}

}  // namespace

std::optional<BrokerAddress> parseBrokerUri(const QString &uri, QString *error) {
    BrokerAddress address;
    address.tls = uri.startsWith(QStringLiteral("ssl://"));
    if (!address.tls && !uri.startsWith(QStringLiteral("tcp://"))) {
        return fail(error,
                    QStringLiteral("--broker wants tcp://HOST:PORT or ssl://HOST:PORT, not \"%1\"")
                        .arg(uri));
    }
    const QString rest = uri.mid(6);
    QString port;
    bool hasPort = false;
    if (rest.startsWith(QLatin1Char('['))) {  // [IPv6]:PORT
        const qsizetype close = rest.indexOf(QLatin1Char(']'));
        const QString after = close < 0 ? QString() : rest.mid(close + 1);
        if (close < 0 || (!after.isEmpty() && !after.startsWith(QLatin1Char(':')))) {
            return fail(error, QStringLiteral("--broker \"%1\": a bad IPv6 address").arg(uri));
        }
        address.host = rest.mid(1, close - 1);
        hasPort = !after.isEmpty();
        port = after.mid(1);
    } else {
        const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
        hasPort = colon >= 0;
        address.host = hasPort ? rest.left(colon) : rest;
        port = hasPort ? rest.mid(colon + 1) : QString();
    }
    if (address.host.isEmpty() || address.host.contains(QLatin1Char('/'))) {
        return fail(error, QStringLiteral("--broker \"%1\" names no host").arg(uri));
    }
    address.port = address.tls ? kMqttTlsPort : kMqttPort;
    if (hasPort) {
        bool digits = !port.isEmpty() && port.size() <= 5;
        for (const QChar c : port) {
            digits = digits && c.isDigit() && c.unicode() < 0x80;
        }
        const int number = digits ? port.toInt() : 0;
        if (number < 1 || number > 65535) {
            return fail(error,
                        QStringLiteral("--broker \"%1\": the port must be 1 to 65535").arg(uri));
        }
        address.port = quint16(number);
    }
    return address;
}

QString noAnswerText(int timeoutMs) {
    return QStringLiteral("no answer within %1 s").arg(timeoutMs / 1000);
}

FailureProbe::FailureProbe(const BrokerAddress &address, int timeoutMs, QObject *parent)
    : QObject(parent),
      address_(address),
      timeoutMs_(timeoutMs),
      socket_(new QTcpSocket(this)),
      timer_(new QTimer(this)) {
    timer_->setSingleShot(true);
    connect(timer_, &QTimer::timeout, this, [this] { finish(noAnswerText(timeoutMs_)); });
    connect(socket_, &QTcpSocket::connected, this, [this] {
        finish(address_.tls ? QStringLiteral("the TLS handshake failed (is the broker's "
                                             "certificate signed by --ca-file and made for this "
                                             "host name?)")
                            : QStringLiteral("the connection closed before the broker answered "
                                             "(is an MQTT broker listening at that port?)"));
    });
    connect(socket_, &QTcpSocket::errorOccurred, this, [this](QAbstractSocket::SocketError e) {
        switch (e) {
            case QAbstractSocket::ConnectionRefusedError:
                return finish(QStringLiteral("connection refused (nothing listens at that port)"));
            case QAbstractSocket::HostNotFoundError:
                return finish(QStringLiteral("host not found"));
            case QAbstractSocket::NetworkError:  // no route to the host or its network
                return finish(QStringLiteral("no route to the host"));
            case QAbstractSocket::SocketTimeoutError:
                return finish(noAnswerText(timeoutMs_));
            default:
                return finish(socket_->errorString());
        }
    });
}

FailureProbe::~FailureProbe() = default;

void FailureProbe::start() {
    done_ = false;
    timer_->start(timeoutMs_);
    socket_->connectToHost(address_.host, address_.port);
}

void FailureProbe::finish(const QString &cause) {
    if (done_) {
        return;  // told already
    }
    done_ = true;
    timer_->stop();
    socket_->abort();
    emit explained(cause);
}

}  // namespace zelmqtt
