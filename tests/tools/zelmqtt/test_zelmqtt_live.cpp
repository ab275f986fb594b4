// zelmqtt --live against a live-value service the test plays (docs/live-values.md): the values,
// the cycle and the status follow what the service pushes.
#include <gtest/gtest.h>

#include <QDir>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <map>
#include <memory>
#include <set>
#include <vector>

#include "mosquitto_broker.h"
#include "mqtt_subscriber.h"
#include "part_samples.h"
#include "temp_folder.h"
#include "zelmqtt_process.h"

namespace {

using zeltest::MosquittoBroker;
using zeltest::MqttSubscriber;

// The service's side of the protocol, for two channels and the Part items: answers INITIATE
// and ADVISE, pushes the present text on advising and every change after.
class FakeLinkService {
  public:
    explicit FakeLinkService(const QString &folder) {
        QDir().mkpath(folder);
        server_.listen(folder + QStringLiteral("/zelapp"));
        QObject::connect(&server_, &QLocalServer::newConnection, [this] {
            while (QLocalSocket *socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QLocalSocket::readyRead,
                                 [this, socket] { read(socket); });
            }
        });
        texts_ = {{"labelChan(1)", " 0.0012"},
                  {"labelChan(2)", "DDE"},
                  {"state", "READY"},
                  {"verdict", ""},
                  {"count", "0"},
                  {"reason", ""},
                  {"id", ""}};
    }
    bool listening() const { return server_.isListening(); }

    void set(const QByteArray &item, const QByteArray &text) {
        texts_[item] = text;
        for (const auto &[socket, items] : advised_) {
            if (items.count(item)) {
                socket->write("DATA\t" + item + '\t' + text + '\n');
            }
        }
    }

  private:
    void read(QLocalSocket *socket) {
        while (socket->canReadLine()) {
            QByteArray line = socket->readLine();
            line.chop(1);
            const QList<QByteArray> fields = line.split('\t');
            if (fields[0] == "INITIATE") {
                socket->write("ACK\tINITIATE\n");
            } else if (fields[0] == "ADVISE" && fields.size() == 2) {
                if (!texts_.count(fields[1])) {
                    socket->write("NACK\tADVISE\t" + fields[1] + '\n');
                    continue;
                }
                advised_[socket].insert(fields[1]);
                socket->write("ACK\tADVISE\t" + fields[1] + '\n');
                socket->write("DATA\t" + fields[1] + '\t' + texts_[fields[1]] + '\n');
            }
        }
    }

    QLocalServer server_;
    std::map<QByteArray, QByteArray> texts_;
    std::map<QLocalSocket *, std::set<QByteArray>> advised_;
};

QJsonObject json(const QByteArray &payload) {
    return QJsonDocument::fromJson(payload).object();
}

// Whether the newest message on `topic` has `key` equal to `value`.
auto newest(const QString &topic, const char *key, const QString &value) {
    return [=](const std::vector<MqttSubscriber::Message> &messages) {
        for (auto it = messages.rbegin(); it != messages.rend(); ++it) {
            if (it->topic == topic) {
                return json(it->payload).value(QLatin1String(key)).toVariant().toString() == value;
            }
        }
        return false;
    };
}

TEST(ZelmqttLive, PublishesTheValuesTheCycleAndTheUnitTheServiceGives) {
    if (MosquittoBroker::program().isEmpty()) {
        GTEST_SKIP() << "mosquitto is not installed (make deps installs it)";
    }
    zeltest::TempFolder folder;
    const QString root = QString::fromStdString(folder.path());
    const QString db = root + QStringLiteral("/parts.db");
    zelapp::PartStore writer;
    ASSERT_TRUE(writer.open(db).ok());
    ASSERT_TRUE(writer.append(zeltest::goodPart(), zeltest::snapshot()).ok());
    FakeLinkService service(root + QStringLiteral("/dde"));
    ASSERT_TRUE(service.listening());
    MosquittoBroker broker(root);
    ASSERT_TRUE(broker.start()) << broker.log().toStdString();
    MqttSubscriber subscriber(broker.uri(), QStringLiteral("test-sub"));
    ASSERT_TRUE(subscriber.subscribe(QStringLiteral("zel8/G1/#")));

    zeltest::ZelmqttProcess publisher(root);
    publisher.setEnv(QStringLiteral("ZEL_DDE_DIR"), root + QStringLiteral("/dde"));
    ASSERT_TRUE(publisher.start({QStringLiteral("--broker"), broker.uri(), QStringLiteral("--db"),
                                 db, QStringLiteral("--station"), QStringLiteral("G1"),
                                 QStringLiteral("--live")}));
    const QString status = QStringLiteral("zel8/G1/status");
    ASSERT_TRUE(subscriber.waitFor(
        newest(QStringLiteral("zel8/G1/live/1"), "value", QStringLiteral("0.0012"))))
        << publisher.log().toStdString();
    ASSERT_TRUE(subscriber.waitFor(
        newest(QStringLiteral("zel8/G1/live/2"), "text", QStringLiteral("DDE"))));
    ASSERT_TRUE(subscriber.waitFor(
        newest(QStringLiteral("zel8/G1/cycle"), "state", QStringLiteral("READY"))));
    ASSERT_TRUE(subscriber.waitFor(newest(status, "cycle", QStringLiteral("READY"))));
    EXPECT_TRUE(newest(status, "unit", QStringLiteral("communicating"))(subscriber.messages()));
    EXPECT_TRUE(newest(status, "part_number", QStringLiteral("A-100"))(subscriber.messages()));

    service.set("state", "MEASURING");
    ASSERT_TRUE(subscriber.waitFor(newest(status, "cycle", QStringLiteral("MEASURING"))));
    service.set("labelChan(2)", "-0.5");
    ASSERT_TRUE(subscriber.waitFor(
        newest(QStringLiteral("zel8/G1/live/2"), "value", QStringLiteral("-0.5"))));

    // The part ends with the unit lost: the status says so until the next cycle.
    service.set("reason", "unit lost");
    service.set("verdict", "NV");
    service.set("count", "1");
    service.set("state", "RESULT");
    ASSERT_TRUE(subscriber.waitFor(newest(status, "unit", QStringLiteral("lost"))));
    ASSERT_TRUE(
        subscriber.waitFor(newest(QStringLiteral("zel8/G1/cycle"), "count", QStringLiteral("1"))));
    EXPECT_TRUE(newest(QStringLiteral("zel8/G1/cycle"), "verdict",
                       QStringLiteral("NV"))(subscriber.messages()));
    service.set("state", "MEASURING");
    ASSERT_TRUE(subscriber.waitFor(newest(status, "unit", QStringLiteral("communicating"))));
    EXPECT_EQ(publisher.stop(), 0);
}

}  // namespace
