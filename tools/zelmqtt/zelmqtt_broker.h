// The connection to the broker, through Eclipse Paho's asynchronous client. Paho calls back on
// threads of its own; every callback is handed to the owner's thread as a signal, so that the
// publisher's state has one thread.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <memory>

#include "zelmqtt_settings.h"

namespace mqtt {
class async_client;
}

namespace zelmqtt {

class FailureProbe;

class BrokerLink : public QObject {
    Q_OBJECT
  public:
    // `clientId` the name at the broker; `will` the retained last will on `willTopic` (an
    // empty topic: none).
    BrokerLink(const Settings &settings, const QString &clientId, const QString &willTopic,
               const QByteArray &will, QObject *parent = nullptr);
    ~BrokerLink() override;

    // One attempt; connected() or connectFailed() follows.
    void connectNow();
    bool isConnected() const;
    // Publishes; acknowledged(tag) when the broker has it (QoS 1), failed(tag) otherwise. False
    // when the client refused it at once (not connected).
    bool publish(const QString &topic, const QByteArray &payload, int qos, bool retained,
                 qint64 tag = 0);
    // Publishes with QoS 1 and waits at most `timeoutMs` for the broker to have it; for the
    // last words before a disconnect.
    bool publishAndWait(const QString &topic, const QByteArray &payload, bool retained,
                        int timeoutMs);
    // Ends the connection cleanly (no last will), waiting at most `timeoutMs`.
    void disconnect(int timeoutMs);

  signals:
    void connected();
    void connectFailed(const QString &why);
    void lost(const QString &why);
    void acknowledged(qint64 tag);
    void failed(qint64 tag);

  private:
    class Listeners;
    // Paho's failure to connect: the broker's refusal, or (Paho's own "Failure") the cause found
    // by a look at the broker's address.
    void notConnected(int code, int reason);

    std::unique_ptr<mqtt::async_client> client_;
    std::unique_ptr<Listeners> listeners_;
    Settings settings_;
    QString willTopic_;
    QByteArray will_;
    QElapsedTimer attempt_;          // since the last connectNow()
    FailureProbe *probe_ = nullptr;  // a look at the address under way
};

// Why a connection was refused, from the broker's CONNACK code or Paho's own.
QString refusalText(int code, const QString &detail);
// "cannot connect to tcp://host:1883: connection refused (...)"
QString cannotConnectText(const QString &broker, const QString &cause);

}  // namespace zelmqtt
