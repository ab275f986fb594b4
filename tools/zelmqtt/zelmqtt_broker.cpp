#include "zelmqtt_broker.h"

#include <mqtt/async_client.h>
#include <QMetaObject>
#include <QPointer>
#include <chrono>

#include "zelmqtt_cause.h"

namespace zelmqtt {

namespace {

// Messages sent and not yet acknowledged: enough to keep a local broker busy, few enough that
// a crash resends little.
constexpr int kMaxInflight = 64;
constexpr auto kKeepAlive = std::chrono::seconds(20);
constexpr auto kConnectTimeout = std::chrono::seconds(10);
constexpr int kConnectTimeoutMs = int(std::chrono::milliseconds(kConnectTimeout).count());
// An attempt that failed this close to Paho's timeout timed out.
constexpr int kTimeoutMarginMs = 500;
// How long the look at the broker's address may take.
constexpr int kProbeMs = 5000;

std::string text(const QString &value) {
    return value.toStdString();
}

}  // namespace

QString refusalText(int code, const QString &detail) {
    switch (code) {
        case 1:
            return QStringLiteral("the broker does not speak this MQTT version");
        case 2:
            return QStringLiteral("the broker refused the client id");
        case 3:
            return QStringLiteral("the broker is unavailable");
        case 4:
            return QStringLiteral(
                "the broker refused the user name or password (see --user and --password-file)");
        case 5:
            return QStringLiteral(
                "the broker refused the connection: not authorized (see --user, --password-file "
                "and the broker's access rules)");
        default:
            return detail.isEmpty() ? QStringLiteral("cannot connect (%1)").arg(code)
                                    : QStringLiteral("cannot connect: %1").arg(detail);
    }
}

QString cannotConnectText(const QString &broker, const QString &cause) {
    return QStringLiteral("cannot connect to %1: %2").arg(broker, cause);
}

// Paho's listeners: each callback posts to the link's thread, and only while the link lives.
class BrokerLink::Listeners {
  public:
    explicit Listeners(BrokerLink *link) : connect(link), publish(link) {}

    struct Connect : mqtt::iaction_listener {
        explicit Connect(BrokerLink *l) : link(l) {}
        QPointer<BrokerLink> link;
        void on_success(const mqtt::token &) override {
            QMetaObject::invokeMethod(
                link, [l = link] { emit l->connected(); }, Qt::QueuedConnection);
        }
        void on_failure(const mqtt::token &token) override {
            const int code = token.get_return_code();
            const int reason = int(token.get_reason_code());
            QMetaObject::invokeMethod(
                link, [l = link, code, reason] { l->notConnected(code, reason); },
                Qt::QueuedConnection);
        }
    } connect;

    struct Publish : mqtt::iaction_listener {
        explicit Publish(BrokerLink *l) : link(l) {}
        QPointer<BrokerLink> link;
        void on_success(const mqtt::token &token) override {
            const auto tag = qint64(reinterpret_cast<quintptr>(token.get_user_context()));
            QMetaObject::invokeMethod(
                link, [l = link, tag] { emit l->acknowledged(tag); }, Qt::QueuedConnection);
        }
        void on_failure(const mqtt::token &token) override {
            const auto tag = qint64(reinterpret_cast<quintptr>(token.get_user_context()));
            QMetaObject::invokeMethod(
                link, [l = link, tag] { emit l->failed(tag); }, Qt::QueuedConnection);
        }
    } publish;
};

BrokerLink::BrokerLink(const Settings &settings, const QString &clientId, const QString &willTopic,
                       const QByteArray &will, QObject *parent)
    : QObject(parent),
      client_(std::make_unique<mqtt::async_client>(text(settings.options.broker), text(clientId),
                                                   nullptr)),
      listeners_(std::make_unique<Listeners>(this)),
      settings_(settings),
      willTopic_(willTopic),
      will_(will) {
    QPointer<BrokerLink> self(this);
    client_->set_connection_lost_handler([self](const std::string &cause) {
        const QString why = QString::fromStdString(cause);
        QMetaObject::invokeMethod(
            self,
            [self, why] {
                emit self->lost(why.isEmpty() ? QStringLiteral("connection lost") : why);
            },
            Qt::QueuedConnection);
    });
}

BrokerLink::~BrokerLink() {
    // Paho's threads end before the listeners they call go.
    client_.reset();
}

void BrokerLink::connectNow() {
    attempt_.start();
    auto options = mqtt::connect_options_builder()
                       .clean_session(true)
                       .keep_alive_interval(kKeepAlive)
                       .connect_timeout(kConnectTimeout)
                       .max_inflight(kMaxInflight)
                       .finalize();
    if (!settings_.options.user.isEmpty()) {
        options.set_user_name(text(settings_.options.user));
        options.set_password(text(settings_.password));
    }
    if (!willTopic_.isEmpty()) {
        options.set_will(mqtt::will_options(text(willTopic_), will_.toStdString(), 1, true));
    }
    if (settings_.options.broker.startsWith(QStringLiteral("ssl://"))) {
        // No error handler: Paho 1.2 calls it through a pointer to the options object, which
        // connect() has copied by then.
        auto ssl =
            mqtt::ssl_options_builder().enable_server_cert_auth(true).verify(true).finalize();
        if (!settings_.options.caFile.isEmpty()) {
            ssl.set_trust_store(text(settings_.options.caFile));
        }
        if (!settings_.options.certFile.isEmpty()) {
            ssl.set_key_store(text(settings_.options.certFile));
            ssl.set_private_key(text(settings_.options.keyFile));
        }
        options.set_ssl(std::move(ssl));
    }
    try {
        client_->connect(options, nullptr, listeners_->connect);
    } catch (const mqtt::exception &e) {
        const QString why = QString::fromStdString(e.what());
        QMetaObject::invokeMethod(
            this, [this, why] { emit connectFailed(why); }, Qt::QueuedConnection);
    }
}

void BrokerLink::notConnected(int code, int reason) {
    const int broker = code >= 1 && code <= 5 ? code : reason;
    if (broker >= 1 && broker <= 5) {
        emit connectFailed(refusalText(broker, {}));
        return;
    }
    const QString uri = settings_.options.broker;
    QString error;
    const std::optional<BrokerAddress> address = parseBrokerUri(uri, &error);
    if (!address) {
        emit connectFailed(
            refusalText(code, QString::fromStdString(mqtt::exception::error_str(code))));
        return;
    }
    if (attempt_.elapsed() >= kConnectTimeoutMs - kTimeoutMarginMs) {
        emit connectFailed(cannotConnectText(uri, noAnswerText(kConnectTimeoutMs)));
        return;
    }
    // Paho names no cause: a connection of our own to the address finds it.
    delete probe_;
    probe_ = new FailureProbe(*address, kProbeMs, this);
    connect(probe_, &FailureProbe::explained, this, [this, uri](const QString &cause) {
        probe_->deleteLater();
        probe_ = nullptr;
        emit connectFailed(cannotConnectText(uri, cause));
    });
    probe_->start();
}

bool BrokerLink::isConnected() const {
    return client_->is_connected();
}

bool BrokerLink::publish(const QString &topic, const QByteArray &payload, int qos, bool retained,
                         qint64 tag) {
    try {
        auto message = mqtt::make_message(text(topic), payload.constData(), size_t(payload.size()),
                                          qos, retained);
        client_->publish(message, reinterpret_cast<void *>(quintptr(tag)), listeners_->publish);
        return true;
    } catch (const mqtt::exception &) {
        return false;
    }
}

bool BrokerLink::publishAndWait(const QString &topic, const QByteArray &payload, bool retained,
                                int timeoutMs) {
    try {
        return client_
            ->publish(mqtt::make_message(text(topic), payload.constData(), size_t(payload.size()),
                                         1, retained))
            ->wait_for(std::chrono::milliseconds(timeoutMs));
    } catch (const mqtt::exception &) {
        return false;
    }
}

void BrokerLink::disconnect(int timeoutMs) {
    try {
        if (client_->is_connected()) {
            // Nothing is left in flight that matters: the parts not acknowledged are sent
            // again next time.
            client_->disconnect(std::chrono::milliseconds(0))
                ->wait_for(std::chrono::milliseconds(timeoutMs));
        }
    } catch (const mqtt::exception &) {
        // Going anyway: the broker sends the last will, which says the same.
    }
}

}  // namespace zelmqtt
