// Where the broker is, and why it cannot be reached. Paho says only "Failure" when a connection
// does not get as far as the broker's answer; a TCP connection of our own to the same address
// then tells a refused port, a host without a route, a name not found and silence apart, and
// when it gets through, the fault was in the TLS handshake (ssl://) or the MQTT exchange.
#pragma once

#include <QObject>
#include <QString>
#include <optional>

class QTcpSocket;
class QTimer;

namespace zelmqtt {

struct BrokerAddress {
    bool tls = false;  // ssl://
    QString host;
    quint16 port = 0;
};

// tcp://HOST[:PORT] or ssl://HOST[:PORT]; an IPv6 address in brackets. Without a port, MQTT's
// own: 1883, or 8883 with TLS. None, with *error, for anything else, a port outside 1-65535
// among them.
std::optional<BrokerAddress> parseBrokerUri(const QString &uri, QString *error);

// Tries `address` once and says why a connection failed: "connection refused", "no route to
// the host", "host not found", "no answer within N s", or, when the port answers, the TLS or
// MQTT stage. Ends with explained().
class FailureProbe : public QObject {
    Q_OBJECT
  public:
    FailureProbe(const BrokerAddress &address, int timeoutMs, QObject *parent = nullptr);
    ~FailureProbe() override;

    void start();

  signals:
    void explained(const QString &cause);

  private:
    void finish(const QString &cause);

    BrokerAddress address_;
    int timeoutMs_;
    QTcpSocket *socket_;
    QTimer *timer_;
    bool done_ = true;  // explained() was emitted, or start() not yet called
};

// The words for silence: "no answer within 10 s".
QString noAnswerText(int timeoutMs);

}  // namespace zelmqtt
