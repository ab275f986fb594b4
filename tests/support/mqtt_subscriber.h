// A test's subscriber through Eclipse Paho: connects, subscribes with QoS 1 and keeps every
// message. Waits end as soon as what they wait for has come; the deadline is only reached when
// a test fails.
#pragma once

#include <mqtt/async_client.h>
#include <QByteArray>
#include <QString>
#include <QTest>
#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

namespace zeltest {

class MqttSubscriber {
  public:
    static constexpr int kDeadlineMs = 15000;
    struct Message {
        QString topic;
        QByteArray payload;
        bool retained = false;
    };

    MqttSubscriber(const QString &uri, const QString &clientId)
        : client_(uri.toStdString(), clientId.toStdString(), nullptr) {
        client_.set_message_callback([this](mqtt::const_message_ptr message) {
            std::lock_guard lock(mutex_);
            const auto &payload = message->get_payload();
            messages_.push_back({QString::fromStdString(message->get_topic()),
                                 QByteArray(payload.data(), qsizetype(payload.size())),
                                 message->is_retained()});
        });
    }
    ~MqttSubscriber() {
        try {
            if (client_.is_connected()) {
                client_.disconnect()->wait_for(std::chrono::seconds(2));
            }
        } catch (const mqtt::exception &) {
        }
    }

    // Connects (with options, say TLS) and subscribes; false when either failed.
    bool subscribe(const QString &topic,
                   mqtt::connect_options options = mqtt::connect_options_builder().finalize()) {
        try {
            options.set_clean_session(true);
            if (!client_.connect(options)->wait_for(std::chrono::milliseconds(kDeadlineMs))) {
                return false;
            }
            return client_.subscribe(topic.toStdString(), 1)
                ->wait_for(std::chrono::milliseconds(kDeadlineMs));
        } catch (const mqtt::exception &) {
            return false;
        }
    }

    std::vector<Message> messages() const {
        std::lock_guard lock(mutex_);
        return messages_;
    }
    // Waits until `done` holds for the messages so far.
    bool waitFor(const std::function<bool(const std::vector<Message> &)> &done,
                 int deadlineMs = kDeadlineMs) const {
        // Paho delivers on its own thread; the test's event loop runs meanwhile.
        return QTest::qWaitFor([&] { return done(messages()); }, deadlineMs);
    }
    bool waitForCount(size_t count, int deadlineMs = kDeadlineMs) const {
        return waitFor([count](const auto &m) { return m.size() >= count; }, deadlineMs);
    }

  private:
    mqtt::async_client client_;
    mutable std::mutex mutex_;
    std::vector<Message> messages_;
};

}  // namespace zeltest
